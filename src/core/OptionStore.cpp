#include "OptionStore.h"

#include "Recordset.h"
#include "Storage.h"
#include "WindowSettings.h"

#include <functional>
#include <variant>

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// The table's one row, made current; added when the table has none.
bool openRow(Recordset& rs, const QString& table, QString* error, bool* added)
{
    if (!rs.open(table))
        return failWith(error, rs.errorString());
    *added = rs.recordCount() == 0;
    if (!*added) {
        rs.moveFirst();
        return true;
    }
    if (rs.addNew() <= 0)
        return failWith(error, rs.errorString());
    return true;
}

// The four option tables, in the order they are written.
struct OptionTable {
    DbFile file;
    const char* name;
};
enum TableIndex { Master, Corp, Memo, Font, kTableCount };
const OptionTable kTables[kTableCount] = {
    {DbFile::OptionData, "OptionMaster"},
    {DbFile::OptionData, "CorpMaster"},
    {DbFile::AnotherOption, "MemoTable"},
    {DbFile::OptionData, "FontOption"},
};

// Where a stored option lives in OptionValues; none for a column that is
// only ever written empty.
using Slot = std::variant<std::monostate, int*, qint64*, QString*>;

// One stored option: table and column, the value a new office has, and
// the member that holds it. A switch is stored and read as 0 or 1.
struct Directive {
    TableIndex table;
    QString column;
    QVariant defaultValue;
    std::function<Slot(OptionValues&)> slot;
    bool isSwitch = false;
};

template <typename T>
Directive option(TableIndex table, const char* column, const QVariant& defaultValue, T OptionValues::*member)
{
    return {table, QString::fromLatin1(column), defaultValue,
            [member](OptionValues& v) -> Slot { return &(v.*member); }};
}

QVector<Directive> makeDirectives()
{
    const QString noText;
    QVector<Directive> d{
        option(Master, "STUP", 0, &OptionValues::startup),
        option(Master, "TIMflg", 0, &OptionValues::timerFlag),
        option(Master, "BLODflg", 0, &OptionValues::openedMailFlag),
        option(Master, "SendID", 0, &OptionValues::sendId),
        option(Master, "TIMERdt", 1, &OptionValues::timerInterval),
        option(Master, "BOLD_CNT", 0, &OptionValues::openedMailDelay),
        option(Corp, "CORP_STR", noText, &OptionValues::corpName),
        option(Corp, "POST_STR", noText, &OptionValues::corpPost),
        option(Corp, "ADR1_STR", noText, &OptionValues::corpAddr1),
        option(Corp, "ADR2_STR", noText, &OptionValues::corpAddr2),
        option(Corp, "Tel_Str", noText, &OptionValues::corpTel),
        option(Corp, "FAX_STR", noText, &OptionValues::corpFax),
        option(Corp, "E_MAIL_STR", noText, &OptionValues::corpMail),
        option(Corp, "URL_STR", noText, &OptionValues::corpUrl),
        {Memo, QStringLiteral("MEMO24"), noText, [](OptionValues&) { return Slot(); }},
        {Memo, QStringLiteral("MEMO25"), noText, [](OptionValues&) { return Slot(); }},
    };
    // MEMO02 to MEMO13, one per main-screen button, all shown.
    for (int i = 0; i < OptionValues::kButtons; ++i)
        d.append({Memo, QStringLiteral("MEMO%1").arg(i + 2, 2, 10, QLatin1Char('0')), 1,
                  [i](OptionValues& v) -> Slot { return &v.buttons[static_cast<size_t>(i)]; }, true});
    for (int n = 1; n <= 4; ++n) {
        const auto font = [n](OptionValues& v) -> FontSet& { return v.fonts[static_cast<size_t>(n - 1)]; };
        d.append({Font, QStringLiteral("FontName%1").arg(n), QStringLiteral("ＭＳ 明朝"),
                  [font](OptionValues& v) -> Slot { return &font(v).name; }});
        d.append({Font, QStringLiteral("FontStyle%1").arg(n), QStringLiteral("標準"),
                  [font](OptionValues& v) -> Slot { return &font(v).style; }});
        d.append({Font, QStringLiteral("FontSize%1").arg(n), QStringLiteral("10"),
                  [font](OptionValues& v) -> Slot { return &font(v).size; }});
        d.append({Font, QStringLiteral("FontColor%1").arg(n), 0,
                  [font](OptionValues& v) -> Slot { return &font(v).colorIndex; }});
        d.append({Font, QStringLiteral("FontColor0%1").arg(n), qint64(0),
                  [font](OptionValues& v) -> Slot { return &font(v).colorValue; }});
    }
    d << option(Font, "LineStyle1", QStringLiteral("実線"), &OptionValues::lineStyle)
      << option(Font, "LineInt1", 1, &OptionValues::lineStyleIndex)
      << option(Font, "WakuFlg", 0, &OptionValues::frameFlag)
      << option(Font, "SeiFukuText1", QStringLiteral("正"), &OptionValues::seiFuku1)
      << option(Font, "SeiFukuText2", QStringLiteral("副"), &OptionValues::seiFuku2);
    return d;
}

const QVector<Directive>& directives()
{
    static const QVector<Directive> table = makeDirectives();
    return table;
}

// A null column leaves the value as it is.
void readInto(const Recordset& rs, const Directive& d, OptionValues& v)
{
    if (rs.isNull(d.column))
        return;
    const Slot slot = d.slot(v);
    if (int* const* i = std::get_if<int*>(&slot))
        **i = d.isSwitch ? (rs.integer(d.column) != 0 ? 1 : 0) : static_cast<int>(rs.integer(d.column, **i));
    else if (qint64* const* l = std::get_if<qint64*>(&slot))
        **l = rs.integer(d.column, **l);
    else if (QString* const* t = std::get_if<QString*>(&slot))
        **t = rs.text(d.column);
}

// Empty texts are stored as empty texts, not as nulls: a null would read
// back as "nothing stored" and bring the design value back.
QVariant storedValue(const Directive& d, OptionValues& v)
{
    const Slot slot = d.slot(v);
    if (int* const* i = std::get_if<int*>(&slot))
        return d.isSwitch ? (**i ? 1 : 0) : **i;
    if (qint64* const* l = std::get_if<qint64*>(&slot))
        return **l;
    const QString* const* t = std::get_if<QString*>(&slot);
    return t && !(*t)->isNull() ? **t : QStringLiteral("");
}

void setDefault(const Directive& d, OptionValues& v)
{
    const Slot slot = d.slot(v);
    if (int* const* i = std::get_if<int*>(&slot))
        **i = d.defaultValue.toInt();
    else if (qint64* const* l = std::get_if<qint64*>(&slot))
        **l = d.defaultValue.toLongLong();
    else if (QString* const* t = std::get_if<QString*>(&slot))
        **t = d.defaultValue.toString();
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

}  // namespace

OptionValues::OptionValues()
{
    for (const Directive& d : directives())
        setDefault(d, *this);
}

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
    for (int t = 0; t < kTableCount; ++t) {
        Recordset rs(storage, kTables[t].file);
        if (!rs.open(QString::fromLatin1(kTables[t].name)))
            return failWith(error, rs.errorString());
        if (rs.recordCount() == 0)
            continue;
        rs.moveFirst();
        for (const Directive& d : directives())
            if (d.table == t)
                readInto(rs, d, v);
    }
    *values = v;
    return true;
}

bool save(Storage& storage, const OptionValues& values, QString* error)
{
    OptionValues v = values;
    for (int t = 0; t < kTableCount; ++t) {
        Recordset rs(storage, kTables[t].file);
        bool added = false;
        if (!openRow(rs, QString::fromLatin1(kTables[t].name), error, &added))
            return false;
        // The row every computer starts with; the user's values follow.
        if (added && t == Master)
            WindowSettings::applyOptionDefaults(rs);
        for (const Directive& d : directives())
            if (d.table == t)
                rs.setValue(d.column, storedValue(d, v));
        if (!rs.update())
            return failWith(error, rs.errorString());
    }
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
