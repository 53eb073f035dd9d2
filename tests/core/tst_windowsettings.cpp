#include "Recordset.h"
#include "TestSupport.h"
#include "WindowSettings.h"

#include <QtTest>

// The main window's place and column widths kept in OptionMaster.
class TestWindowSettings : public QObject {
    Q_OBJECT

private:
    static int rows(Storage& s)
    {
        Recordset rs(s, DbFile::OptionData);
        return rs.open(QStringLiteral("OptionMaster")) ? rs.recordCount() : -1;
    }
    static void setRow(Storage& s, const QVector<QPair<QString, QVariant>>& values)
    {
        Recordset rs(s, DbFile::OptionData);
        QVERIFY(rs.open(QStringLiteral("OptionMaster")));
        QCOMPARE(rs.recordCount(), 1);
        for (const auto& v : values)
            rs.setValue(v.first, v.second);
        QVERIFY(rs.update());
    }

private slots:
    void firstStartAddsExactlyOneRowWithDefaults()
    {
        TempAppDir dir;
        WindowSettings::Placement p;
        QString error;
        QCOMPARE(rows(dir.storage()), 0);
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(rows(dir.storage()), 1);
        QVERIFY(!p.top && !p.left);  // the window keeps its own place
        QCOMPARE(p.column1, 3000);
        QCOMPARE(p.column2, 3000);
        QCOMPARE(p.column3, 2250);
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QVERIFY(WindowSettings::save(dir.storage(), 100, 200, 4000, 5000, &error));
        QCOMPARE(rows(dir.storage()), 1);
    }

    void savedPlaceComesBack()
    {
        TempAppDir dir;
        WindowSettings::Placement p;
        QString error;
        QVERIFY(WindowSettings::save(dir.storage(), 1, 1, 1, 1, &error));  // no row yet: adds the default row
        QCOMPARE(rows(dir.storage()), 1);
        QVERIFY(WindowSettings::save(dir.storage(), 1500, 4500, 4000, 5000, &error));
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.top.value_or(-1), 1500);
        QCOMPARE(p.left.value_or(-1), 4500);
        // Widths are only trusted once the marker column has a value.
        QCOMPARE(p.column1, 3000);
        setRow(dir.storage(), {{QStringLiteral("ML_C1"), 1}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.column1, 4000);
        QCOMPARE(p.column2, 5000);
        QCOMPARE(p.column3, 3000);  // U_C3 is written as 0: falls back to a third
        Recordset rs(dir.storage(), DbFile::OptionData);
        QVERIFY(rs.open(QStringLiteral("OptionMaster")));
        QCOMPARE(rs.integer(QStringLiteral("U_C3"), -1), 0);
    }

    void windowIsKeptOnScreen()
    {
        TempAppDir dir;
        WindowSettings::Placement p;
        QString error;
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        // Almost entirely off the left edge: the right edge comes back to 2000 twips.
        setRow(dir.storage(), {{QStringLiteral("USR_LEFT"), -11000}, {QStringLiteral("USR_TOP"), 300}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.left.value_or(0), 2000 - 12000);
        QCOMPARE(p.top.value_or(0), 300);
        // Beyond the right edge of the screen.
        setRow(dir.storage(), {{QStringLiteral("USR_LEFT"), 29500}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.left.value_or(0), 28000);
        // Nothing stored and a sensible design place: nothing to move.
        setRow(dir.storage(), {{QStringLiteral("USR_LEFT"), QVariant()}, {QStringLiteral("USR_TOP"), QVariant()}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QVERIFY(!p.left && !p.top);
        // Non-positive widths fall back to a third of the list.
        setRow(dir.storage(), {{QStringLiteral("ML_C1"), 1}, {QStringLiteral("U_C1"), -5}, {QStringLiteral("U_C2"), 0}});
        QVERIFY(WindowSettings::restore(dir.storage(), 9000, 12000, 3000, 30000, &p, &error));
        QCOMPARE(p.column1, 3000);
        QCOMPARE(p.column2, 3000);
    }
};

QTEST_GUILESS_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
