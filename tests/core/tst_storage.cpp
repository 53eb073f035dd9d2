#include "Recordset.h"
#include "Storage.h"
#include "TestSupport.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

// The storage layer against real SQLite files: what every window relies on.
class TestStorage : public QObject {
    Q_OBJECT

private:
    static qint64 addGaiyou(Storage& s, qint64 bid, const QString& kouji)
    {
        Recordset rs(s, DbFile::Kakunin);
        if (!rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), 0))
            return 0;
        const qint64 id = rs.addNew();
        rs.setValue(QStringLiteral("B_ID"), bid);
        rs.setValue(QStringLiteral("Kouji"), kouji);
        return rs.update() ? id : 0;
    }

private slots:
    void addNewKnowsIdAndRowsComeInIdOrder()
    {
        TempAppDir dir;
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY2(rs.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), 7), qPrintable(rs.errorString()));
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.eof());
        QVector<qint64> ids;
        for (int i = 0; i < 5; ++i) {
            const qint64 id = rs.addNew();
            QVERIFY(id > 0);
            QCOMPARE(rs.id(), id);  // readable before update
            rs.setValue(QStringLiteral("B_ID"), i % 2 ? 8 : 7);
            rs.setValue(QStringLiteral("SU_NO"), QString::number(i));
            QVERIFY2(rs.update(), qPrintable(rs.errorString()));
            if (!ids.isEmpty())
                QVERIFY(id > ids.last());
            ids << id;
        }
        Recordset again(dir.storage(), DbFile::Kakunin);
        QVERIFY(again.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), 7));
        QCOMPARE(again.recordCount(), 3);
        QStringList seen;
        for (again.moveFirst(); !again.eof(); again.moveNext())
            seen << again.text(QStringLiteral("SU_NO"));
        QCOMPARE(seen, (QStringList{"0", "2", "4"}));
        // A number given as text filters an integer column the same way.
        QVERIFY(again.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), QStringLiteral("8")));
        QCOMPARE(again.recordCount(), 2);
        QVERIFY(again.open(QStringLiteral("KAIBETU")));
        QCOMPARE(again.recordCount(), 5);
        again.moveLast();
        QCOMPARE(again.id(), ids.last());
    }

    void valuesAreStoredAndFoundExactlyAsTyped()
    {
        TempAppDir dir;
        const QStringList names{"O'Brien 設計", "\"株式会社\"; DROP TABLE GAIYOU; --", "山田'; --", "  空白付き  "};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(addGaiyou(dir.storage(), i + 1, names[i]) > 0);
        for (int i = 0; i < names.size(); ++i) {
            Recordset rs(dir.storage(), DbFile::Kakunin);
            QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("Kouji"), names[i]));
            QCOMPARE(rs.recordCount(), 1);
            QCOMPARE(rs.text(QStringLiteral("Kouji")), names[i]);
            QCOMPARE(rs.integer(QStringLiteral("B_ID")), i + 1);
        }
        Recordset all(dir.storage(), DbFile::Kakunin);
        QVERIFY(all.open(QStringLiteral("GAIYOU")));
        QCOMPARE(all.recordCount(), names.size());
    }

    void nullsEmptiesAndTypedColumns()
    {
        TempAppDir dir;
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        rs.addNew();
        QVERIFY(rs.isNull(QStringLiteral("Kouji")));
        QCOMPARE(rs.text(QStringLiteral("Kouji")), QString());
        rs.setValue(QStringLiteral("Buken"), QString(""));
        rs.setValue(QStringLiteral("FLD"), QStringLiteral(" 12 "));
        QVERIFY(rs.update());
        Recordset back(dir.storage(), DbFile::Kakunin);
        QVERIFY(back.open(QStringLiteral("GAIYOU")));
        QVERIFY(back.isNull(QStringLiteral("Kouji")));
        QVERIFY(!back.isNull(QStringLiteral("Buken")));  // empty text is a value, not null
        QCOMPARE(back.integer(QStringLiteral("FLD")), 12);
        // An integer column refuses words with a message instead of storing them.
        back.setValue(QStringLiteral("FLD"), QStringLiteral("十二"));
        QVERIFY(!back.update());
        QVERIFY(back.errorString().contains(QStringLiteral("FLD")));
        // Unknown names are reported, not silently ignored.
        QVERIFY(!back.setValue(QStringLiteral("NoSuchColumn"), 1));
        QVERIFY(!back.open(QStringLiteral("NoSuchTable")));
        QVERIFY(back.errorString().contains(QStringLiteral("NoSuchTable")));
        QVERIFY(!back.open(QStringLiteral("GAIYOU"), QStringLiteral("Nope"), 1));
    }

    void chosenColumnsOnly()
    {
        TempAppDir dir;
        QVERIFY(addGaiyou(dir.storage(), 3, QStringLiteral("工事")) > 0);
        Recordset rs(dir.storage(), DbFile::Kakunin);
        rs.selectColumns({QStringLiteral("Kouji")});
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), 3));
        QCOMPARE(rs.columns(), (QStringList{"ID", "Kouji"}));
        QCOMPARE(rs.text(QStringLiteral("Kouji")), QStringLiteral("工事"));
        QVERIFY(rs.isNull(QStringLiteral("B_ID")));
        rs.selectColumns({QStringLiteral("Nope")});
        QVERIFY(!rs.open(QStringLiteral("GAIYOU")));
        QVERIFY(rs.errorString().contains(QStringLiteral("Nope")));
    }

    void deleteUntilEndOfFileRemovesOnlyTheFilteredRows()
    {
        TempAppDir dir;
        qint64 last = 0;
        for (int i = 0; i < 6; ++i)
            QVERIFY((last = addGaiyou(dir.storage(), i < 2 ? 2 : 1, QStringLiteral("件%1").arg(i))) > 0);
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), 1));
        int deleted = 0;
        while (!rs.eof()) {
            QVERIFY2(rs.deleteCurrent(), qPrintable(rs.errorString()));
            ++deleted;
            rs.moveNext();
        }
        QCOMPARE(deleted, 4);
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), 1));
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        QCOMPARE(rs.recordCount(), 2);
        // Auto numbers are never given again, the highest one deleted included.
        QVERIFY(addGaiyou(dir.storage(), 3, QStringLiteral("c")) > last);
    }

    void newRowThatIsNeverUpdatedDisappears()
    {
        TempAppDir dir;
        {
            Recordset rs(dir.storage(), DbFile::Kakunin);
            QVERIFY(rs.open(QStringLiteral("SCHEDULE")));
            QVERIFY(rs.addNew() > 0);
            rs.setValue(QStringLiteral("B_ID"), 5);
        }
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("SCHEDULE")));
        QCOMPARE(rs.recordCount(), 0);
    }

    void twoComputersKeepEachOthersColumns()
    {
        TempAppDir dir;
        const qint64 id = addGaiyou(dir.storage(), 1, QStringLiteral("元の工事名"));
        auto other = dir.openAnother();
        Recordset mine(dir.storage(), DbFile::Kakunin);
        Recordset theirs(*other, DbFile::Kakunin);
        QVERIFY(mine.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), id));
        QVERIFY(theirs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), id));
        mine.setValue(QStringLiteral("Kouji"), QStringLiteral("こちらの工事名"));
        theirs.setValue(QStringLiteral("Buken"), QStringLiteral("あちらの建物名"));
        QVERIFY(mine.update());
        QVERIFY(theirs.update());
        Recordset check(dir.storage(), DbFile::Kakunin);
        QVERIFY(check.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), id));
        QCOMPARE(check.text(QStringLiteral("Kouji")), QStringLiteral("こちらの工事名"));
        QCOMPARE(check.text(QStringLiteral("Buken")), QStringLiteral("あちらの建物名"));
    }

    void transactionsAreAllOrNothing()
    {
        TempAppDir dir;
        Storage& s = dir.storage();
        {
            Transaction tx(s, DbFile::Kakunin);
            QVERIFY(tx.isActive());
            QVERIFY(addGaiyou(s, 1, QStringLiteral("取り消される")) > 0);
            // no commit: the destructor rolls back
        }
        {
            Transaction tx(s, DbFile::Kakunin);
            QVERIFY(addGaiyou(s, 2, QStringLiteral("残る")) > 0);
            QVERIFY(tx.commit());
        }
        {
            // An inner step that gives up takes the whole operation with it.
            Transaction outer(s, DbFile::Kakunin);
            QVERIFY(addGaiyou(s, 3, QStringLiteral("外側")) > 0);
            {
                Transaction inner(s, DbFile::Kakunin);
                QVERIFY(addGaiyou(s, 4, QStringLiteral("内側")) > 0);
            }
            QVERIFY(!outer.commit());
            QVERIFY(!outer.errorString().isEmpty());
        }
        Recordset rs(s, DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("Kouji")), QStringLiteral("残る"));
    }

    void missingAndCorruptFilesNameTheFile()
    {
        if (TempAppDir::usingPostgres())
            QSKIP("about the SQLite files; the unreachable server is tst_engines' case");
        TempAppDir dir;
        StorageConfig cfg = dir.storage().config();
        dir.storage().closeAll();
        QVERIFY(QFile::remove(dir.file(QStringLiteral("maildata.db"))));
        {
            Storage fresh(cfg);
            Recordset rs(fresh, DbFile::MailData);
            QVERIFY(!rs.open(QStringLiteral("MailData")));
            QVERIFY2(rs.errorString().contains(QStringLiteral("maildata.db")), qPrintable(rs.errorString()));
            QVERIFY(rs.errorString().contains(QStringLiteral("見つかりません")));
            QVERIFY(!QFile::exists(dir.file(QStringLiteral("maildata.db"))));  // not silently recreated
        }
        {
            QFile f(dir.file(QStringLiteral("postdb.db")));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'x'));
        }
        Storage fresh(cfg);
        Recordset rs(fresh, DbFile::PostDb);
        QVERIFY(!rs.open(QStringLiteral("POST_DB")));
        QVERIFY2(rs.errorString().contains(QStringLiteral("postdb.db")), qPrintable(rs.errorString()));
        QVERIFY(rs.errorString().contains(QStringLiteral("壊れている")));
    }

    void lockedAndReadOnlyDatabasesLoseNothing()
    {
        TempAppDir dir;
        const qint64 id = addGaiyou(dir.storage(), 1, QStringLiteral("保存済み"));
        auto other = dir.openAnother();
        QString error;
        // The other computer is in the middle of a long write.
        WriteLockHolder hold(*other, DbFile::Kakunin);
        QVERIFY2(hold.isHeld(), qPrintable(hold.errorString()));
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), id));  // reading still works
        rs.setValue(QStringLiteral("Kouji"), QStringLiteral("上書き"));
        QVERIFY(!rs.update());
        QVERIFY2(rs.errorString().contains(QStringLiteral("使用中")), qPrintable(rs.errorString()));
        QVERIFY(rs.errorString().contains(QStringLiteral("kakunin")));
        hold.release();

        // A database that refuses writes.
        QVERIFY2(setReadOnly(dir.storage(), DbFile::Kakunin, true, &error), qPrintable(error));
        QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("ID"), id));
        rs.setValue(QStringLiteral("Kouji"), QStringLiteral("上書き"));
        QVERIFY(!rs.update());
        QVERIFY2(rs.errorString().contains(QStringLiteral("書き込めません")), qPrintable(rs.errorString()));
        QCOMPARE(rs.addNew(), 0);
        QVERIFY(setReadOnly(dir.storage(), DbFile::Kakunin, false, &error));
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("Kouji")), QStringLiteral("保存済み"));
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
