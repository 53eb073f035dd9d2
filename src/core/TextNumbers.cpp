#include "TextNumbers.h"

#include <QHash>

namespace TextNumbers {

namespace {

// Kept equal to the entry windows' field tables by tst_entrywindows.
const QHash<QString, Kind>& columns()
{
    static const QHash<QString, Kind> map = [] {
        QHash<QString, Kind> m;
        const char* const decimal[] = {
            "GYOUMU.ED1", "GYOUMU.ED2", "GYOUMU.ED3", "GYOUMU.ED4", "GYOUMU.ED5", "GYOUMU.ED6",
            "GYOUMU.KEIY1", "GYOUMU.KEIY2", "GYOUMU.KEIY3", "GYOUMU.KEIY4", "GYOUMU.KEIY5", "GYOUMU.KEIY6",
            "GYOUMU.KIN1", "GYOUMU.KIN2", "GYOUMU.YOSAN1", "GYOUMU.YOSAN2", "GYOUMU.YOSAN3", "GYOUMU.YOSAN4",
            "GYOUMU.YOSAN5", "GYOUMU.YOSAN6", "KAIBETU.F1MEN60", "KAIBETU.F1MEN61", "KAIBETU.F1MEN62",
            "KAIBETU.F1MEN63", "KAIBETU.F1MEN64", "KAIBETU.F1MEN65", "KAIBETU.F1SHOUKEI",
            "KAIBETU.F1SUITYOKU", "KAIBETU.F1TAKASA", "KAIBETU.F1TENJO", "KANRYOU.MEN1", "KOUJI.GOU1",
            "KOUJI.GOU2", "KOUJI.GOU3", "KOUJI.GOU4", "KOUJI.MEN1", "KOUJI.BMEN11", "KOUJI.BMEN12",
            "KOUJI.BMEN13", "KOUJI.BMEN21", "KOUJI.BMEN22", "KOUJI.BMEN23", "KOUJI.BMEN31", "KOUJI.BMEN32",
            "KOUJI.BMEN33", "SHIKICHI.MEN1", "SHIKICHI.MEN10",
            "SHIKICHI.MEN11", "SHIKICHI.MEN13", "SHIKICHI.MEN14", "SHIKICHI.MEN16", "SHIKICHI.MEN17",
            "SHIKICHI.MEN20", "SHIKICHI.MEN21", "SHIKICHI.MEN23", "SHIKICHI.MEN24", "SHIKICHI.MEN26",
            "SHIKICHI.MEN27", "SHIKICHI.MEN29", "SHIKICHI.MEN30", "SHIKICHI.MEN32", "SHIKICHI.MEN33",
            "SHIKICHI.MEN35", "SHIKICHI.MEN36", "SHIKICHI.MEN38", "SHIKICHI.MEN39", "SHIKICHI.MEN41",
            "SHIKICHI.MEN42", "SHIKICHI.MEN44", "SHIKICHI.MEN45", "SHIKICHI.MEN47", "SHIKICHI.MEN48",
            "SHIKICHI.MEN2", "SHIKICHI.MEN4", "SHIKICHI.MEN5", "SHIKICHI.MEN7", "SHIKICHI.MEN8",
            "SHIKICHI.PAR1", "SHIKICHI.PAR10", "SHIKICHI.PAR2", "SHIKICHI.PAR3", "SHIKICHI.PAR4",
            "SHIKICHI.PAR5", "SHIKICHI.PAR6", "SHIKICHI.PAR7", "SHIKICHI.PAR8", "SHIKICHI.PAR9",
            "SHIKICHI.SIZE1", "SHIKICHI.SIZE10", "SHIKICHI.SIZE11", "SHIKICHI.SIZE12", "SHIKICHI.SIZE2",
            "SHIKICHI.SIZE3", "SHIKICHI.SIZE4", "SHIKICHI.SIZE5", "SHIKICHI.SIZE6", "SHIKICHI.SIZE7",
            "SHIKICHI.SIZE8", "SHIKICHI.SIZE9", "SHIKICHI.TAKA1", "SHIKICHI.TAKA2", "TATEMONOBETU.MEN40",
            "TATEMONOBETU.MEN41", "TATEMONOBETU.MEN43", "TATEMONOBETU.MEN44", "TATEMONOBETU.MEN46",
            "TATEMONOBETU.MEN47", "TATEMONOBETU.MEN49", "TATEMONOBETU.MEN50", "TATEMONOBETU.MEN52",
            "TATEMONOBETU.MEN53", "TATEMONOBETU.MEN55", "TATEMONOBETU.MEN56", "TATEMONOBETU.TAKASA30",
            "TATEMONOBETU.TAKASA31", "TATEMONOBETU.YUKA40",
            "DOKURITSU.NOBEMEN", "DOKURITSU.TAKASA1", "DOKURITSU.TAKASA2",
        };
        const char* const digit[] = {
            "KAIBETU.F1KUBUN60", "KAIBETU.F1KUBUN61", "KAIBETU.F1KUBUN62", "KAIBETU.F1KUBUN63",
            "KAIBETU.F1KUBUN64", "KAIBETU.F1KUBUN65", "KANRYOU.KAI1", "KANRYOU.KAI11", "KANRYOU.KAI12",
            "KANRYOU.KAI17", "KANRYOU.KAI2", "SHIKICHI.DAI1", "SHIKICHI.DAI2", "SHIKICHI.DAI3", "SHIKICHI.KAI1",
            "SHIKICHI.KAI2", "SHIKICHI.KAI3", "SHIKICHI.KAI4",
            "TATEMONOBETU.KAI30",
            "TATEMONOBETU.KAI31", "TATEMONOBETU.KAI32", "TATEMONOBETU.KAI33",
            "DOKURITSU.KAI1", "DOKURITSU.KAI2",
        };
        for (const char* c : decimal)
            m.insert(QString::fromLatin1(c), Kind::Decimal);
        for (const char* c : digit)
            m.insert(QString::fromLatin1(c), Kind::Digit);
        return m;
    }();
    return map;
}

}  // namespace

int firstRejected(const QString& text, Kind kind)
{
    if (kind == Kind::None)
        return -1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            continue;
        if (kind == Kind::Decimal) {
            if (c == QLatin1Char('.') || c == QLatin1Char(','))
                continue;
            if (c == QLatin1Char('-') && i == 0)
                continue;
        }
        return i;
    }
    return -1;
}

QString toHalfWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)  // ０-９
            c = QChar(u - 0xFF10 + '0');
        else if (u == 0xFF0E)  // ．
            c = QLatin1Char('.');
        else if (u == 0xFF0C)  // ，
            c = QLatin1Char(',');
        else if (u == 0xFF0D || u == 0x2212)  // － −
            c = QLatin1Char('-');
    }
    return out;
}

Kind kindOf(const QString& table, const QString& column)
{
    return columns().value(table.toUpper() + QLatin1Char('.') + column.toUpper(), Kind::None);
}

QString refusal(const QString& table, const QString& column, const QString& value)
{
    const Kind kind = kindOf(table, column);
    const int bad = firstRejected(value, kind);
    if (bad < 0)
        return {};
    return QStringLiteral("列 %1 は数値の欄です（%2）。「%3」の「%4」は入力できません。保存済みの値はそのままです。")
        .arg(column,
             kind == Kind::Decimal ? QStringLiteral("半角の数字、小数点、桁区切りのカンマ、先頭のマイナス") : QStringLiteral("半角の数字のみ"),
             value, value.mid(bad, 1));
}

}  // namespace TextNumbers
