#include "OptionStore.h"
#include "Recordset.h"
#include "TestSupport.h"
#include "WindowSettings.h"

#include <QtTest>

namespace {

int rows(Storage& storage, DbFile db, const QString& table)
{
    Recordset rs(storage, db);
    return rs.open(table) ? rs.recordCount() : -1;
}

QVariant value(Storage& storage, DbFile db, const QString& table, const QString& column)
{
    Recordset rs(storage, db);
    if (!rs.open(table) || rs.recordCount() == 0)
        return QStringLiteral("<no row>");
    rs.moveFirst();
    return rs.value(column);
}

void setOptionRow(Storage& s, const QVector<QPair<QString, QVariant>>& values)
{
    Recordset rs(s, DbFile::OptionData);
    QVERIFY(rs.open(QStringLiteral("OptionMaster")));
    QCOMPARE(rs.recordCount(), 1);
    for (const auto& v : values)
        rs.setValue(v.first, v.second);
    QVERIFY(rs.update());
}

}  // namespace

// The option tables: what a first start has, what Apply writes and what a
// later start reads back; the main window's place and column widths kept
// in OptionMaster.
class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void aFirstStartGetsTheDefaultRow()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        QCOMPARE(rows(s, DbFile::OptionData, QStringLiteral("OptionMaster")), 0);
        // The main window's start makes the row; the window keeps its own place.
        WindowSettings::Placement p;
        QString error;
        QVERIFY2(WindowSettings::restore(s, 9000, 12000, 3000, 30000, &p, &error), qPrintable(error));
        QCOMPARE(rows(s, DbFile::OptionData, QStringLiteral("OptionMaster")), 1);
        QVERIFY(!p.top && !p.left);
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(p.column1).arg(p.column2).arg(p.column3), QStringLiteral("3000 3000 2250"));
        QVERIFY(WindowSettings::restore(s, 9000, 12000, 3000, 30000, &p, &error));
        QVERIFY(WindowSettings::save(s, 100, 200, 4000, 5000, &error));
        QCOMPARE(rows(s, DbFile::OptionData, QStringLiteral("OptionMaster")), 1);
        const QList<std::pair<const char*, int>> defaults{{"STUP", 0}, {"TIMflg", 0}, {"TIMERdt", 1}, {"BLODflg", 0},
                                                          {"Tax", 5},  {"TAX_CAL", 0}, {"PROPTY_FLG", 0}};
        for (const auto& [column, expected] : defaults)
            QCOMPARE(value(s, DbFile::OptionData, QStringLiteral("OptionMaster"), QString::fromLatin1(column)).toInt(),
                     expected);

        // With empty tables the window shows the design values.
        OptionValues v;
        v.corpName = QStringLiteral("unchanged");
        QVERIFY2(OptionStore::load(s, &v, &error), qPrintable(error));
        const QStringList shown{v.corpName, QString::number(v.timerInterval), v.fonts[0].name, v.fonts[3].style, QString::number(v.buttons[5])};
        QCOMPARE(shown.join(QLatin1Char('|')), QStringLiteral("unchanged|1|ＭＳ 明朝|標準|1"));
    }

    void applyWritesEveryTableOnce()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        OptionValues v;
        v.startup = 1;
        v.timerFlag = 1;
        v.timerInterval = 15;
        v.openedMailFlag = 1;
        v.openedMailDelay = 4;
        v.sendId = 12;
        v.corpName = QStringLiteral("青空設計事務所");
        v.corpPost = QStringLiteral("100-0001");
        v.corpAddr1 = QStringLiteral("東京都千代田区千代田1-1");
        v.corpMail = QStringLiteral("info@example.jp");
        v.buttons[1] = 0;
        v.buttons[11] = 0;
        v.fonts[0].name = QStringLiteral("ＭＳ ゴシック");
        v.fonts[0].colorIndex = 7;
        v.fonts[0].colorValue = 0x004080;
        v.fonts[2].size = QStringLiteral("12");
        v.lineStyle = QStringLiteral("点線");
        v.lineStyleIndex = 3;
        v.frameFlag = 1;
        v.seiFuku1 = QString();
        QString error;
        // The OptionMaster row is missing: it is made, with the user's values.
        QVERIFY2(OptionStore::save(s, v, &error), qPrintable(error));
        QVERIFY(OptionStore::save(s, v, &error));
        for (const auto& [db, table] : {std::pair{DbFile::OptionData, "OptionMaster"}, std::pair{DbFile::OptionData, "CorpMaster"},
                                        std::pair{DbFile::AnotherOption, "MemoTable"}, std::pair{DbFile::OptionData, "FontOption"}})
            QCOMPARE(rows(s, db, QString::fromLatin1(table)), 1);

        // "column=value" of the one row of a table.
        auto stored = [&](DbFile db, const char* table, std::initializer_list<const char*> columns) {
            QStringList out;
            for (const char* c : columns)
                out << QString::fromLatin1(c) + QLatin1Char('=')
                           + value(s, db, QString::fromLatin1(table), QString::fromLatin1(c)).toString();
            return out.join(QLatin1Char(' '));
        };
        QCOMPARE(stored(DbFile::OptionData, "OptionMaster", {"TIMERdt", "BLODflg", "BOLD_CNT", "SendID", "Tax"}),
                 QStringLiteral("TIMERdt=15 BLODflg=1 BOLD_CNT=4 SendID=12 Tax=5"));
        QCOMPARE(stored(DbFile::OptionData, "FontOption", {"FontColor1", "FontColor01", "LineInt1", "LineStyle1", "FontSize3"}),
                 QStringLiteral("FontColor1=7 FontColor01=16512 LineInt1=3 LineStyle1=点線 FontSize3=12"));  // 0x004080
        QCOMPARE(stored(DbFile::AnotherOption, "MemoTable", {"MEMO02", "MEMO03", "MEMO13", "MEMO24"}),
                 QStringLiteral("MEMO02=1 MEMO03=0 MEMO13=0 MEMO24="));
        QCOMPARE(stored(DbFile::OptionData, "CorpMaster", {"E_MAIL_STR"}), QStringLiteral("E_MAIL_STR=info@example.jp"));

        // A later start, another computer: reads back what was saved.
        auto other = dir.openAnother();
        OptionValues back;
        QVERIFY(OptionStore::load(*other, &back, &error));
        QVERIFY(back.buttons == v.buttons);
        auto n = [](qint64 i) { return QString::number(i); };
        const QStringList got{back.corpName, back.corpAddr1, back.fonts[0].name, n(back.fonts[0].colorIndex), n(back.fonts[0].colorValue),
                              n(back.lineStyleIndex), n(back.frameFlag), back.seiFuku1, back.seiFuku2, n(back.startup), n(back.openedMailDelay)};
        QCOMPARE(got.join(QLatin1Char('|')), QStringLiteral("青空設計事務所|東京都千代田区千代田1-1|ＭＳ ゴシック|7|16512|3|1||副|1|4"));
    }

    void keepsTheColumnsItDoesNotOwn()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        WindowSettings::Placement p;
        QString error;
        QVERIFY(WindowSettings::restore(s, 3000, 12000, 100, 20000, &p, &error));
        QVERIFY(WindowSettings::save(s, 1200, 3400, 2000, 2500, &error));
        {
            Recordset rs(s, DbFile::OptionData);
            QVERIFY(rs.open(QStringLiteral("CorpMaster")));
            QVERIFY(rs.addNew() > 0);
            rs.setValue(QStringLiteral("POFFICE_NO1"), QStringLiteral("東京中央"));
            QVERIFY(rs.update());
        }
        OptionValues v;
        QVERIFY(OptionStore::load(s, &v, &error));
        v.corpName = QStringLiteral("事務所");
        QVERIFY(OptionStore::save(s, v, &error));
        QCOMPARE(value(s, DbFile::OptionData, QStringLiteral("OptionMaster"), QStringLiteral("USR_TOP")).toInt(), 1200);
        QCOMPARE(value(s, DbFile::OptionData, QStringLiteral("OptionMaster"), QStringLiteral("U_C2")).toInt(), 2500);
        QCOMPARE(value(s, DbFile::OptionData, QStringLiteral("CorpMaster"), QStringLiteral("POFFICE_NO1")).toString(),
                 QStringLiteral("東京中央"));
        QCOMPARE(rows(s, DbFile::OptionData, QStringLiteral("OptionMaster")), 1);
    }

    void savedPlaceComesBack()
    {
        TempAppDir dir;
        WindowSettings::Placement p;
        QString error;
        QVERIFY(WindowSettings::save(dir.storage(), 1, 1, 1, 1, &error));  // no row yet: adds the default row
        QCOMPARE(rows(dir.storage(), DbFile::OptionData, QStringLiteral("OptionMaster")), 1);
        QVERIFY(WindowSettings::save(dir.storage(), 1500, 4500, 4000, 5000, &error));
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.top.value_or(-1), 1500);
        QCOMPARE(p.left.value_or(-1), 4500);
        // Widths are only trusted once the marker column has a value.
        QCOMPARE(p.column1, 3000);
        setOptionRow(dir.storage(), {{QStringLiteral("ML_C1"), 1}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.column1, 4000);
        QCOMPARE(p.column2, 5000);
        QCOMPARE(p.column3, 3000);  // U_C3 is written as 0: falls back to a third
        QCOMPARE(value(dir.storage(), DbFile::OptionData, QStringLiteral("OptionMaster"), QStringLiteral("U_C3")).toString(),
                 QStringLiteral("0"));
    }

    void windowIsKeptOnScreen()
    {
        TempAppDir dir;
        WindowSettings::Placement p;
        QString error;
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        // Almost entirely off the left edge: the right edge comes back to 2000 twips.
        setOptionRow(dir.storage(), {{QStringLiteral("USR_LEFT"), -11000}, {QStringLiteral("USR_TOP"), 300}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.left.value_or(0), 2000 - 12000);
        QCOMPARE(p.top.value_or(0), 300);
        // Beyond the right edge of the screen.
        setOptionRow(dir.storage(), {{QStringLiteral("USR_LEFT"), 29500}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.left.value_or(0), 28000);
        // Nothing stored and a sensible design place: nothing to move.
        setOptionRow(dir.storage(), {{QStringLiteral("USR_LEFT"), QVariant()}, {QStringLiteral("USR_TOP"), QVariant()}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QVERIFY(!p.left && !p.top);
        // Non-positive widths fall back to a third of the list.
        setOptionRow(dir.storage(), {{QStringLiteral("ML_C1"), 1}, {QStringLiteral("U_C1"), -5}, {QStringLiteral("U_C2"), 0}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.column1, 3000);
        QCOMPARE(p.column2, 3000);
    }

    void codeListsInTableOrder()
    {
        TempAppDir dir;
        QStringList names, styles, lines;
        QString error;
        QVERIFY(OptionStore::fontNames(dir.storage(), &names, &error));
        QVERIFY(OptionStore::fontStyles(dir.storage(), &styles, &error));
        QVERIFY(OptionStore::lineStyles(dir.storage(), &lines, &error));
        QCOMPARE(names.value(0), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(styles.value(0), QStringLiteral("標準"));
        // The position of an item is the stored line-style number.
        QCOMPARE(lines.indexOf(QStringLiteral("線なし")), 0);
        QCOMPARE(lines.indexOf(QStringLiteral("実線")), 1);
        QCOMPARE(lines.indexOf(QStringLiteral("点線")), 3);
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
