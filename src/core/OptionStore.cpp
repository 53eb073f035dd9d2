#include "OptionStore.h"

#include "Recordset.h"
#include "Storage.h"
#include "WindowSettings.h"

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// The table's one row, made current; added when the table has none.
bool openRow(Recordset& rs, const QString& table, QString* error)
{
    if (!rs.open(table))
        return failWith(error, rs.errorString());
    if (rs.recordCount() > 0) {
        rs.moveFirst();
        return true;
    }
    if (rs.addNew() <= 0)
        return failWith(error, rs.errorString());
    return true;
}

void readInt(const Recordset& rs, const char* column, int* value)
{
    const QString c = QString::fromLatin1(column);
    if (!rs.isNull(c))
        *value = static_cast<int>(rs.integer(c, *value));
}

void readInt64(const Recordset& rs, const QString& column, qint64* value)
{
    if (!rs.isNull(column))
        *value = rs.integer(column, *value);
}

void readText(const Recordset& rs, const QString& column, QString* value)
{
    if (!rs.isNull(column))
        *value = rs.text(column);
}

bool codeList(Storage& storage, const QString& table, const QString& column, QStringList* out, QString* error)
{
    out->clear();
    Recordset rs(storage, DbFile::MasterData);
    if (!rs.open(table))
        return failWith(error, rs.errorString());
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out->append(rs.text(column));
    return true;
}

QString memoColumn(int i)
{
    return QStringLiteral("MEMO%1").arg(i + 2, 2, 10, QLatin1Char('0'));
}

const char* const kCorpColumns[] = {"CORP_STR", "POST_STR", "ADR1_STR", "ADR2_STR",
                                    "Tel_Str",  "FAX_STR",  "E_MAIL_STR", "URL_STR"};

std::array<QString*, 8> corpFields(OptionValues& v)
{
    return {&v.corpName, &v.corpPost, &v.corpAddr1, &v.corpAddr2, &v.corpTel, &v.corpFax, &v.corpMail, &v.corpUrl};
}

// Empty fields are stored as empty texts, not as nulls: a null would read
// back as "nothing stored" and bring the design value back.
QString stored(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

OptionValues& shared()
{
    static OptionValues values;
    return values;
}

bool g_changed = false;

}  // namespace

const QStringList& OptionValues::buttonCaptions()
{
    static const QStringList captions{
        QStringLiteral("印刷"),     QStringLiteral("売上入力"),       QStringLiteral("顧客登録"),
        QStringLiteral("取引先登録"), QStringLiteral("サーバ情報"),     QStringLiteral("オプション"),
        QStringLiteral("アカウント設定"), QStringLiteral("削除"),     QStringLiteral("転送"),
        QStringLiteral("返信"),     QStringLiteral("送受信"),         QStringLiteral("メール作成"),
    };
    return captions;
}

namespace OptionStore {

bool load(Storage& storage, OptionValues* values, QString* error)
{
    OptionValues v = *values;
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!rs.open(QStringLiteral("OptionMaster")))
            return failWith(error, rs.errorString());
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            readInt(rs, "STUP", &v.startup);
            readInt(rs, "TIMflg", &v.timerFlag);
            readInt(rs, "TIMERdt", &v.timerInterval);
            readInt(rs, "BLODflg", &v.openedMailFlag);
            readInt(rs, "BOLD_CNT", &v.openedMailDelay);
            readInt(rs, "SendID", &v.sendId);
        }
    }
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!rs.open(QStringLiteral("CorpMaster")))
            return failWith(error, rs.errorString());
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            const auto fields = corpFields(v);
            for (size_t i = 0; i < fields.size(); ++i)
                readText(rs, QString::fromLatin1(kCorpColumns[i]), fields[i]);
        }
    }
    {
        Recordset rs(storage, DbFile::AnotherOption);
        if (!rs.open(QStringLiteral("MemoTable")))
            return failWith(error, rs.errorString());
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            for (int i = 0; i < OptionValues::kButtons; ++i) {
                const QString c = memoColumn(i);
                if (!rs.isNull(c))
                    v.buttons[static_cast<size_t>(i)] = rs.integer(c) != 0 ? 1 : 0;
            }
        }
    }
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!rs.open(QStringLiteral("FontOption")))
            return failWith(error, rs.errorString());
        if (rs.recordCount() > 0) {
            rs.moveFirst();
            for (int n = 1; n <= 4; ++n) {
                FontSet& f = v.fonts[static_cast<size_t>(n - 1)];
                readText(rs, QStringLiteral("FontName%1").arg(n), &f.name);
                readText(rs, QStringLiteral("FontStyle%1").arg(n), &f.style);
                readText(rs, QStringLiteral("FontSize%1").arg(n), &f.size);
                qint64 index = f.colorIndex;
                readInt64(rs, QStringLiteral("FontColor%1").arg(n), &index);
                f.colorIndex = static_cast<int>(index);
                readInt64(rs, QStringLiteral("FontColor0%1").arg(n), &f.colorValue);
            }
            readText(rs, QStringLiteral("LineStyle1"), &v.lineStyle);
            readInt(rs, "LineInt1", &v.lineStyleIndex);
            readInt(rs, "WakuFlg", &v.frameFlag);
            readText(rs, QStringLiteral("SeiFukuText1"), &v.seiFuku1);
            readText(rs, QStringLiteral("SeiFukuText2"), &v.seiFuku2);
        }
    }
    *values = v;
    return true;
}

bool save(Storage& storage, const OptionValues& v, QString* error)
{
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!rs.open(QStringLiteral("OptionMaster")))
            return failWith(error, rs.errorString());
        if (rs.recordCount() == 0) {
            // The row every computer starts with; the user's values follow.
            if (rs.addNew() <= 0)
                return failWith(error, rs.errorString());
            WindowSettings::applyOptionDefaults(rs);
        } else {
            rs.moveFirst();
        }
        rs.setValue(QStringLiteral("STUP"), v.startup);
        rs.setValue(QStringLiteral("TIMflg"), v.timerFlag);
        rs.setValue(QStringLiteral("BLODflg"), v.openedMailFlag);
        rs.setValue(QStringLiteral("SendID"), v.sendId);
        rs.setValue(QStringLiteral("TIMERdt"), v.timerInterval);
        rs.setValue(QStringLiteral("BOLD_CNT"), v.openedMailDelay);
        if (!rs.update())
            return failWith(error, rs.errorString());
        Options::markChanged();
    }
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!openRow(rs, QStringLiteral("CorpMaster"), error))
            return false;
        OptionValues copy = v;
        const auto fields = corpFields(copy);
        for (size_t i = 0; i < fields.size(); ++i)
            rs.setValue(QString::fromLatin1(kCorpColumns[i]), stored(*fields[i]));
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
    {
        Recordset rs(storage, DbFile::AnotherOption);
        if (!openRow(rs, QStringLiteral("MemoTable"), error))
            return false;
        rs.setValue(QStringLiteral("MEMO24"), stored(QString()));
        rs.setValue(QStringLiteral("MEMO25"), stored(QString()));
        for (int i = 0; i < OptionValues::kButtons; ++i)
            rs.setValue(memoColumn(i), v.buttons[static_cast<size_t>(i)] ? 1 : 0);
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
    {
        Recordset rs(storage, DbFile::OptionData);
        if (!openRow(rs, QStringLiteral("FontOption"), error))
            return false;
        for (int n = 1; n <= 4; ++n) {
            const FontSet& f = v.fonts[static_cast<size_t>(n - 1)];
            rs.setValue(QStringLiteral("FontName%1").arg(n), stored(f.name));
            rs.setValue(QStringLiteral("FontStyle%1").arg(n), stored(f.style));
            rs.setValue(QStringLiteral("FontSize%1").arg(n), stored(f.size));
            rs.setValue(QStringLiteral("FontColor%1").arg(n), f.colorIndex);
            rs.setValue(QStringLiteral("FontColor0%1").arg(n), f.colorValue);
        }
        rs.setValue(QStringLiteral("LineStyle1"), stored(v.lineStyle));
        rs.setValue(QStringLiteral("LineInt1"), v.lineStyleIndex);
        rs.setValue(QStringLiteral("WakuFlg"), v.frameFlag);
        rs.setValue(QStringLiteral("SeiFukuText1"), stored(v.seiFuku1));
        rs.setValue(QStringLiteral("SeiFukuText2"), stored(v.seiFuku2));
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
    Options::setCurrent(v);
    return true;
}

bool fontNames(Storage& storage, QStringList* out, QString* error)
{
    return codeList(storage, QStringLiteral("FontName"), QStringLiteral("FONT_name"), out, error);
}

bool fontStyles(Storage& storage, QStringList* out, QString* error)
{
    return codeList(storage, QStringLiteral("FontStyle"), QStringLiteral("FontStyle"), out, error);
}

bool lineStyles(Storage& storage, QStringList* out, QString* error)
{
    return codeList(storage, QStringLiteral("LineStyle"), QStringLiteral("LineStyle"), out, error);
}

}  // namespace OptionStore

namespace Options {

const OptionValues& current()
{
    return shared();
}

void setCurrent(const OptionValues& values)
{
    shared() = values;
}

bool reload(Storage& storage, QString* error)
{
    OptionValues v;
    if (!OptionStore::load(storage, &v, error))
        return false;
    shared() = v;
    return true;
}

bool changedThisRun()
{
    return g_changed;
}

void markChanged()
{
    g_changed = true;
}

}  // namespace Options
