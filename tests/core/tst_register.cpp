#include "AppDir.h"
#include "FolderStore.h"
#include "ProjectData.h"
#include "ProjectRegister.h"
#include "RecordBook.h"
#include "Recordset.h"
#include "ScheduleStore.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QtTest>

// The register's lifecycle against real database files: what a user does
// with projects and folders, and what another computer may do meanwhile.
class TestRegister : public QObject {
    Q_OBJECT

private:
    static int rows(Storage& s, const QString& table, qint64 bid)
    {
        Recordset rs(s, DbFile::Kakunin);
        return rs.open(table, QStringLiteral("B_ID"), bid) ? rs.recordCount() : -1;
    }

private slots:
    void newProjectHasEveryRowAndItsPhotoFolder()
    {
        TempAppDir dir;
        const QDateTime when(QDate(2005, 4, 15), QTime(9, 5, 3));
        QCOMPARE(ProjectRegister::photoFolderName(when), QStringLiteral("PHOTOFLD200541590503"));
        const qint64 first = newProject(dir.storage(), 1, when);
        const qint64 second = newProject(dir.storage(), 1, when);  // same second
        QVERIFY(first > 0 && second > first);

        // B_ID is the row's own auto number.
        const QString photo1 = QStringLiteral("PHOTOFLD200541590503");
        expectStored(dir.storage(), DbFile::Kakunin, "GAIYOU", first,
                     {{"B_ID", QString::number(first)}, {"Kouji", "<新規>"}, {"FLD", "1"}, {"PHOTO_FLD", photo1}});
        const QString photo2 = stored(dir.storage(), DbFile::Kakunin, "GAIYOU", second, "PHOTO_FLD").toString();
        QVERIFY(!photo2.isEmpty() && photo2 != photo1);
        QVERIFY(QDir(dir.file(photo1)).exists());
        QVERIFY(QDir(dir.file(photo2)).exists());

        for (auto it = kNewProjectRows.cbegin(); it != kNewProjectRows.cend(); ++it)
            QCOMPARE(rows(dir.storage(), it.key(), first), it.value());

        Recordset k(dir.storage(), DbFile::Kakunin);
        QVERIFY(k.open(QStringLiteral("KAIBETU"), QStringLiteral("B_ID"), first));
        QStringList seen, want;  // "building:floor:its name:floors:basements:above ground", a row each
        for (; !k.eof(); k.moveNext()) {
            QStringList row;
            for (const char* c : {"SU_NO", "F1Ban60", "F1Kai60", "T_KAI", "B_SU", "F_SU"})
                row << k.text(QString::fromLatin1(c));
            seen << row.join(QLatin1Char(':'));
        }
        for (int building = 1; building <= 3; ++building)
            for (int floor = 1; floor <= 6; ++floor)
                want << QStringLiteral("%1:%2:%2F:6:0:6").arg(building).arg(floor);
        QCOMPARE(seen, want);
        Recordset sc(dir.storage(), DbFile::Kakunin);
        QVERIFY(sc.open(QStringLiteral("SCHEDULE"), QStringLiteral("B_ID"), first));
        QCOMPARE(sc.integer(QStringLiteral("SCJ_YEAR")), 2005);
        QCOMPARE(sc.integer(QStringLiteral("SCJ_MONTH")), 4);
    }

    void failedCreationLeavesNothingBehind()
    {
        TempAppDir dir;
        QVERIFY(newProject(dir.storage()) > 0);
        // Another program holds the write lock for longer than we wait.
        auto other = dir.openAnother();
        QString error;
        WriteLockHolder hold(*other, DbFile::Kakunin);
        QVERIFY2(hold.isHeld(), qPrintable(hold.errorString()));
        qint64 bid = 0;
        QVERIFY(!ProjectRegister(dir.storage()).createProject(1, &bid, &error));
        QVERIFY2(error.contains(QStringLiteral("使用中")), qPrintable(error));
        hold.release();
        Recordset rs(dir.storage(), DbFile::Kakunin);
        QVERIFY(rs.open(QStringLiteral("GAIYOU")));
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.open(QStringLiteral("KAIBETU")));
        QCOMPARE(rs.recordCount(), 18);
        const QStringList photos = QDir(dir.path()).entryList({QStringLiteral("PHOTOFLD*")}, QDir::Dirs);
        QCOMPARE(photos.size(), 1);
    }

    void deleteRemovesEveryRowAndOnlyEmptyPhotoFolders()
    {
        TempAppDir dir;
        const qint64 a = newProject(dir.storage());
        const qint64 b = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(5));
        const qint64 keep = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(10));
        ProjectData pa, pb;
        QString error;
        QVERIFY(ProjectData::load(dir.storage(), a, &pa, &error));  // makes the record book
        QVERIFY(ProjectData::load(dir.storage(), b, &pb, &error));
        const QString photoA = dir.file(pa.text(pa.gaiyou, QStringLiteral("PHOTO_FLD")));
        const QString photoB = dir.file(pb.text(pb.gaiyou, QStringLiteral("PHOTO_FLD")));
        writeBytes(photoB + QStringLiteral("/site.jpg"), "jpeg");

        QVERIFY2(ProjectRegister(dir.storage()).deleteProjects({a, b}, &error), qPrintable(error));
        for (const QString& t : ProjectTables::all) {
            QCOMPARE(rows(dir.storage(), t, a), 0);
            QCOMPARE(rows(dir.storage(), t, b), 0);
        }
        QCOMPARE(rows(dir.storage(), QStringLiteral("KAIBETU"), keep), 18);
        Recordset lines(dir.storage(), DbFile::AnotherOption);
        QVERIFY(lines.open(QStringLiteral("StrIntTable"), QStringLiteral("F_INT01"), a));
        QCOMPARE(lines.recordCount(), 0);
        QVERIFY(!QDir(photoA).exists());
        QVERIFY(QFile::exists(photoB + QStringLiteral("/site.jpg")));  // photographs are never thrown away
    }

    void loadGathersTheProjectAndMakesItsRecordBookOnce()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        setColumns(dir.storage(), DbFile::Kakunin, "SHIKICHI", "B_ID", bid, {{"Tou1", QStringLiteral("2")}});
        ProjectData p;
        QString error;
        QVERIFY2(ProjectData::load(dir.storage(), bid, &p, &error), qPrintable(error));
        // Project, buildings, the seventh floor's building, schedule lines,
        // record book lines and three of their titles.
        QCOMPARE((QStringList{QString::number(p.bid), QString::number(p.buildingCount), p.text(p.floors[6], QStringLiteral("SU_NO")),
                              QString::number(p.schedule.size()), QString::number(p.recordBook.size()),
                              p.recordBook.first().title, p.recordBook[5].title, p.recordBook.last().title}),
                 (QStringList{QString::number(bid), "2", "2", "1", "90", "見積書提出", "", "監理報告書"}));
        QVERIFY(ProjectData::load(dir.storage(), bid, &p, &error));
        Recordset lines(dir.storage(), DbFile::AnotherOption);
        QVERIFY(lines.open(QStringLiteral("StrIntTable"), QStringLiteral("F_INT01"), bid));
        QCOMPARE(lines.recordCount(), 90);

        // The office's own titles apply to record books made afterwards.
        QStringList titles = RecordBook::builtInTitles();
        titles[0] = QStringLiteral("初回相談");
        QVERIFY(RecordBook::saveDefaultTitles(titles, &error));
        QCOMPARE(RecordBook::defaultTitles(), titles);
        const qint64 later = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(3));
        QVERIFY(ProjectData::load(dir.storage(), later, &p, &error));
        QCOMPARE(p.recordBook.first().title, QStringLiteral("初回相談"));

        // An empty or odd count reads as one building.
        QCOMPARE((QList<int>{buildingCountFromText(QString()), buildingCountFromText(QStringLiteral("x")),
                             buildingCountFromText(QStringLiteral("3"))}), (QList<int>{1, 1, 3}));
        QVERIFY(!ProjectData::load(dir.storage(), 99999, &p, &error));
        QVERIFY(!error.isEmpty());
    }

    void headerSaveKeepsWhatAnotherComputerChanged()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        const qint64 bid = newProject(dir.storage());
        ProjectData mine;
        QString error;
        QVERIFY(ProjectData::load(dir.storage(), bid, &mine, &error));

        // The other computer renames the project and saves first.
        auto other = dir.openAnother();
        ProjectData theirs;
        QVERIFY(ProjectData::load(*other, bid, &theirs, &error));
        QStringList kept;
        QVERIFY(ProjectRegister(*other).saveHeader(theirs, {{QStringLiteral("Kouji"), QStringLiteral("佐藤邸新築工事")}},
                                                   1, &kept, &error));
        QVERIFY(kept.isEmpty());
        QVERIFY(prompter.shown.isEmpty());

        RowValues edited{{QStringLiteral("Kouji"), QStringLiteral("鈴木邸新築工事")},
                         {QStringLiteral("Buken"), QStringLiteral("鈴木邸")},
                         {QStringLiteral("Tel4"), QStringLiteral("03-1234-5678")}};
        QVERIFY(ProjectRegister(dir.storage()).saveHeader(mine, edited, 3, &kept, &error));
        QCOMPARE(kept, QStringList{"Kouji"});
        QCOMPARE(prompter.texts(), QStringList{"他の方が、編集中に名前を変更しています。"});
        QCOMPARE(prompter.shown[0].title, QStringLiteral("更新警告"));
        ProjectData now;
        QVERIFY(ProjectData::load(dir.storage(), bid, &now, &error));
        QCOMPARE((QStringList{now.text(now.gaiyou, QStringLiteral("Kouji")), now.text(now.gaiyou, QStringLiteral("Buken")),
                              QString::number(now.buildingCount)}), (QStringList{"佐藤邸新築工事", "鈴木邸", "3"}));

        // Any other field changed elsewhere gets the second message.
        prompter.clear();
        QVERIFY(ProjectRegister(*other).saveHeader(now, {{QStringLiteral("Buken"), QStringLiteral("佐藤邸")}}, 3, &kept, &error));
        QVERIFY(ProjectRegister(dir.storage()).saveHeader(now, {{QStringLiteral("Buken"), QStringLiteral("別名")}}, 3, &kept, &error));
        QCOMPARE(prompter.texts(), QStringList{"他の方が、編集中にふりがなを変更しています。"});
    }

    void moveAndCopyFollowTheFiveFolderRule()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        FolderStore folders(dir.storage(), FolderStore::Kind::Projects);
        QString error;
        QVector<qint64> fids{1};
        for (int i = 0; i < 5; ++i) {
            qint64 id = 0;
            QVERIFY(folders.add(&id, &error));
            QVector<FolderItem> all;
            QVERIFY(folders.listByKey(&all, &error));
            fids << all.last().fid;
        }
        const qint64 a = newProject(dir.storage());
        const qint64 b = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(2));
        ProjectRegister reg(dir.storage());
        QVector<ProjectItem> items;

        // Moving two selected projects moves both.
        QVERIFY(reg.moveProjects({a, b}, 1, fids[1], &error));
        QVERIFY(reg.projectsInFolder(1, &items, &error));
        QVERIFY(items.isEmpty());
        QVERIFY(reg.projectsInFolder(fids[1], &items, &error));
        QCOMPARE(items.size(), 2);

        // Copies appear in further folders until five are used.
        for (int i = 2; i <= 5; ++i)
            QVERIFY(reg.copyProjects({a}, fids[i], &error));
        QVERIFY(prompter.shown.isEmpty());
        QVector<qint64> held;
        QVERIFY(reg.folderSlots(a, &held, &error));
        QCOMPARE(held, (QVector<qint64>{fids[1], fids[2], fids[3], fids[4], fids[5]}));
        QVERIFY(reg.copyProjects({a}, fids[3], &error));  // already there: nothing happens
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(reg.copyProjects({a, b}, fids[0], &error));  // a is full, b gets it
        QCOMPARE(prompter.texts(), QStringList{"これ以上コピー移動できません(MAX5件まで)"});
        QCOMPARE(prompter.shown[0].title, QStringLiteral("確認"));
        QVERIFY(reg.projectsInFolder(fids[0], &items, &error));
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].bid, b);
        QVERIFY(reg.projectsInFolder(fids[4], &items, &error));
        QCOMPARE(items.size(), 1);

        // Moving out of a folder the project was copied into leaves its other folders.
        QVERIFY(reg.moveProjects({a}, fids[4], fids[0], &error));
        QVERIFY(reg.folderSlots(a, &held, &error));
        QCOMPARE(held, (QVector<qint64>{fids[1], fids[2], fids[3], fids[0], fids[5]}));
        // Moving into a folder it is already in through another slot keeps one entry.
        QVERIFY(reg.moveProjects({a}, fids[1], fids[2], &error));
        QVERIFY(reg.folderSlots(a, &held, &error));
        QCOMPARE(held, (QVector<qint64>{fids[2], 0, fids[3], fids[0], fids[5]}));
    }

    void foldersRefuseDuplicateNamesAndKeysOnlyGrow()
    {
        TempAppDir dir;
        FolderStore folders(dir.storage(), FolderStore::Kind::Projects);
        QString error;
        QVector<FolderItem> all;
        QVERIFY(folders.list(&all, &error));
        QCOMPARE(all.size(), 1);  // a fresh install has one folder
        QCOMPARE(all[0].name, QStringLiteral("物件一覧"));
        qint64 id = 0;
        QVERIFY(folders.add(&id, &error));
        QVERIFY(folders.listByKey(&all, &error));
        QCOMPARE(all.last().name, QStringLiteral("<新規>"));
        QCOMPARE(all.last().fid, all.first().fid + 1);
        QVERIFY(!folders.rename(id, QStringLiteral("物件一覧"), &error));
        QCOMPARE(error, QStringLiteral("同じフォルダ名が存在します、名前を変えてください。"));
        QVERIFY(!folders.rename(id, QStringLiteral("<新規>"), &error));  // its own name counts too
        QVERIFY(folders.rename(id, QStringLiteral("2026年度"), &error));
        QVERIFY(folders.listByKey(&all, &error));
        QCOMPARE(all.last().name, QStringLiteral("2026年度"));
        const qint64 lastKey = all.last().fid;

        // A deleted folder's projects stay in the register.
        const qint64 bid = newProject(dir.storage(), lastKey);
        QVERIFY(folders.remove(id, &error));
        QVERIFY(folders.add(&id, &error));
        QVERIFY(folders.listByKey(&all, &error));
        QVERIFY(all.last().fid > lastKey - 1);
        QCOMPARE(rows(dir.storage(), QStringLiteral("GAIYOU"), bid), 1);

        FolderStore customers(dir.storage(), FolderStore::Kind::Customers);
        QVERIFY(customers.list(&all, &error));
        QCOMPARE(all.size(), 1);
        QCOMPARE(customers.table(), QStringLiteral("UserFolder"));
    }

    void phoneSearchFindsTheFirstMatch()
    {
        TempAppDir dir;
        const qint64 a = newProject(dir.storage());
        const qint64 b = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(2));
        const qint64 c = newProject(dir.storage(), 1, QDateTime::currentDateTime().addSecs(4));
        setColumns(dir.storage(), DbFile::Kakunin, "GAIYOU", "B_ID", a, {{"Tel4", QStringLiteral("06-1111-2222")}});
        setColumns(dir.storage(), DbFile::Kakunin, "GAIYOU", "B_ID", b, {{"Tel4", QStringLiteral("(03)1234-5678")}});
        setColumns(dir.storage(), DbFile::Kakunin, "GAIYOU", "B_ID", c, {{"Tel4", QStringLiteral("03-1234-5678")}, {"FLD", 7}});
        ProjectRegister reg(dir.storage());
        ProjectItem found;
        qint64 folder = 0;
        QString error;
        QVERIFY(reg.findByPhone(QStringLiteral("1234-5678"), &found, &folder, &error));
        QCOMPARE(found.bid, b);
        QCOMPARE(folder, 1);
        QVERIFY(reg.findByPhone(QStringLiteral("0611112222"), &found, &folder, &error));
        QCOMPARE(found.bid, a);
        QVERIFY(!reg.findByPhone(QStringLiteral("999"), &found, &folder, &error));
        QVERIFY(!reg.findByPhone(QStringLiteral("--"), &found, &folder, &error));
    }

    void scheduleSaveOverwritesDeletesAndAdds()
    {
        TempAppDir dir;
        const qint64 bid = newProject(dir.storage());
        QString error;
        QVERIFY(ScheduleStore::addEntry(dir.storage(), bid, QDate(2026, 12, 5), &error));
        QVERIFY(ScheduleStore::addEntry(dir.storage(), bid, QDate(2026, 12, 6), &error));
        QVector<RowValues> entries;
        QVERIFY(ScheduleStore::load(dir.storage(), bid, &entries, &error));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[1].value(QStringLiteral("SCJ_TITLE")).toString(), QStringLiteral("<新規>"));
        QCOMPARE(ScheduleStore::listText(entries[1]), QStringLiteral("2026/12/5 :"));
        const qint64 thirdRow = entries[2].value(QStringLiteral("ID")).toLongLong();
        entries[0][QStringLiteral("SCJ_TITLE")] = QStringLiteral("一番目");
        entries[2][QStringLiteral("SCJ_TITLE")] = QStringLiteral("三番目");
        entries.remove(1);
        QVERIFY(ScheduleStore::save(dir.storage(), bid, entries, &error));
        QVector<RowValues> back;
        QVERIFY(ScheduleStore::load(dir.storage(), bid, &back, &error));
        QCOMPARE(back.size(), 2);
        QCOMPARE((QStringList{back[0].value(QStringLiteral("SCJ_TITLE")).toString(), back[1].value(QStringLiteral("SCJ_TITLE")).toString(),
                              back[1].value(QStringLiteral("SCJ_DAY")).toString()}), (QStringList{"一番目", "三番目", "6"}));
        QVERIFY(back[1].value(QStringLiteral("ID")).toLongLong() != thirdRow);  // the third row is the one removed
        entries << back[0] << back[0];
        QVERIFY(ScheduleStore::save(dir.storage(), bid, entries, &error));
        QVERIFY(ScheduleStore::load(dir.storage(), bid, &back, &error));
        QCOMPARE(back.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "tst_register.moc"
