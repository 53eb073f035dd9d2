#include "WindowSettings.h"

#include "Recordset.h"
#include "Storage.h"

namespace WindowSettings {

void applyOptionDefaults(Recordset& rs)
{
    rs.setValue(QStringLiteral("STUP"), 0);
    rs.setValue(QStringLiteral("TIMflg"), 0);
    rs.setValue(QStringLiteral("TIMERdt"), 1);
    rs.setValue(QStringLiteral("BLODflg"), 0);
    rs.setValue(QStringLiteral("Tax"), 5);
    rs.setValue(QStringLiteral("TAX_CAL"), 0);
    rs.setValue(QStringLiteral("PROPTY_FLG"), 0);
}

namespace {

bool addDefaultRow(Recordset& rs, QString* error)
{
    if (rs.addNew() <= 0) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    applyOptionDefaults(rs);
    if (!rs.update()) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    return true;
}

}  // namespace

bool restore(Storage& storage, int listWidth, int windowWidth, int designLeft, int screenWidth,
             Placement* out, QString* error)
{
    Recordset rs(storage, DbFile::OptionData);
    if (!rs.open(QStringLiteral("OptionMaster"))) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    Placement p;
    if (rs.recordCount() == 0) {
        if (!addDefaultRow(rs, error))
            return false;
        p.column1 = p.column2 = listWidth / 3;
        p.column3 = listWidth / 4;
        *out = p;
        return true;
    }
    rs.moveFirst();
    if (!rs.isNull(QStringLiteral("USR_TOP")))
        p.top = static_cast<int>(rs.integer(QStringLiteral("USR_TOP")));
    if (!rs.isNull(QStringLiteral("USR_LEFT")))
        p.left = static_cast<int>(rs.integer(QStringLiteral("USR_LEFT")));
    const int third = listWidth / 3;
    if (rs.isNull(QStringLiteral("ML_C1"))) {
        p.column1 = p.column2 = p.column3 = third;
    } else {
        auto width = [&](const char* col) {
            const qint64 w = rs.integer(QString::fromLatin1(col));
            return w > 0 ? static_cast<int>(w) : third;
        };
        p.column1 = width("U_C1");
        p.column2 = width("U_C2");
        p.column3 = width("U_C3");
    }
    int left = p.left.value_or(designLeft);
    if (left + windowWidth < kTwipsKeptOnScreen)
        left = kTwipsKeptOnScreen - windowWidth;
    // Keep the window from lying beyond the right edge of the screen too.
    if (screenWidth > 0 && left > screenWidth - kTwipsKeptOnScreen)
        left = screenWidth - kTwipsKeptOnScreen;
    if (p.left || left != designLeft)
        p.left = left;
    *out = p;
    return true;
}

bool save(Storage& storage, int top, int left, int column1, int column2, QString* error)
{
    Recordset rs(storage, DbFile::OptionData);
    if (!rs.open(QStringLiteral("OptionMaster"))) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    if (rs.recordCount() == 0)
        return addDefaultRow(rs, error);
    rs.moveFirst();
    rs.setValue(QStringLiteral("USR_TOP"), top);
    rs.setValue(QStringLiteral("USR_LEFT"), left);
    rs.setValue(QStringLiteral("U_C1"), column1);
    rs.setValue(QStringLiteral("U_C2"), column2);
    rs.setValue(QStringLiteral("U_C3"), 0);
    if (!rs.update()) {
        if (error)
            *error = rs.errorString();
        return false;
    }
    return true;
}

}  // namespace WindowSettings
