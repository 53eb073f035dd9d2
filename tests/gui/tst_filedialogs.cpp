#include "AppDir.h"
#include "FileDialogs.h"
#include "FolderStore.h"
#include "ProjectRegister.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QSet>
#include <QtTest>

// The program's file dialogs beside its databases.
class TestFileDialogs : public QObject {
    Q_OBJECT

private:
    static QSet<qint64> projects(Storage& storage)
    {
        QSet<qint64> ids;
        Recordset rs(storage, DbFile::Kakunin);
        if (!rs.open(QStringLiteral("GAIYOU")))
            return ids;
        for (; !rs.eof(); rs.moveNext())
            ids.insert(rs.integer(QStringLiteral("B_ID")));
        return ids;
    }

    static QSet<qint64> cliProjects(const QString& appDir)
    {
        const ProcessRun r =
            runProcess(QStringLiteral(SD_CLI_PATH), {"--appdir", appDir, "project", "list"});
        QSet<qint64> ids;
        for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            ids.insert(line.section(QLatin1Char('\t'), 0, 0).toLongLong());
        return ids;
    }

    static qint64 cliNewProject(const QString& appDir)
    {
        const ProcessRun r =
            runProcess(QStringLiteral(SD_CLI_PATH), {"--appdir", appDir, "project", "new"});
        return r.code == 0 ? r.out.trimmed().toLongLong() : -1;
    }

    // Descriptors of this process whose file was deleted under it.
    static QStringList deletedFiles()
    {
        QStringList out;
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
            const QString target = QFile::symLinkTarget(fds.filePath(fd));
            if (target.endsWith(QLatin1String("(deleted)")))
                out << target;
        }
        return out;
    }

    // Shows a dialog over folder until its listing, with icons and types,
    // is complete, then closes it as Esc does.
    static void browse(const QString& folder, QFileDialog::AcceptMode mode)
    {
        auto dialog = FileDialogs::make(nullptr, QStringLiteral("試験"), folder,
                                        QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)"),
                                        mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile, mode);
        dialog->setViewMode(QFileDialog::Detail);
        auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        dialog->show();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 10000);
        const QModelIndex root = model->index(folder);
        for (int row = 0; row < model->rowCount(root); ++row) {
            model->data(model->index(row, 0, root), Qt::DecorationRole);
            model->data(model->index(row, 2, root), Qt::DisplayRole);
        }
        QTest::qWait(300);
        dialog->reject();
    }

private slots:
    void browsingTheApplicationFolderKeepsTheDatabaseShared()
    {
        if (TempAppDir::usingPostgres())
            QSKIP("SQLite のファイルロックの試験です（PostgreSQL ではデータベースファイルがありません）。");
        TempAppDir dir;
        Storage& gui = dir.storage();
        QVector<FolderItem> folders;
        QString error;
        QVERIFY2(FolderStore(gui, FolderStore::Kind::Projects).list(&folders, &error) && !folders.isEmpty(), qPrintable(error));
        qint64 first = 0;
        QVERIFY2(ProjectRegister(gui).createProject(folders.first().fid, &first, &error), qPrintable(error));
        writeBytes(dir.file(QStringLiteral("顧客.csv")), "a,b\r\n");
        QVERIFY(QFile::exists(dir.file(QStringLiteral("kakunin.db-wal"))));

        browse(dir.path(), QFileDialog::AcceptOpen);
        browse(dir.path(), QFileDialog::AcceptSave);

        // Another program comes and goes twice; the window program writes between.
        const qint64 theirs = cliNewProject(dir.path());
        QVERIFY(theirs > 0);
        QVERIFY2(deletedFiles().isEmpty(), qPrintable(deletedFiles().join(QLatin1Char('\n'))));
        qint64 mine = 0;
        QVERIFY2(ProjectRegister(gui).createProject(folders.first().fid, &mine, &error), qPrintable(error));
        const qint64 theirsAgain = cliNewProject(dir.path());
        QVERIFY(theirsAgain > 0);
        QVERIFY2(deletedFiles().isEmpty(), qPrintable(deletedFiles().join(QLatin1Char('\n'))));

        const QSet<qint64> all{first, theirs, mine, theirsAgain};
        QCOMPARE(all.size(), 4);
        QCOMPARE(projects(gui), all);
        QCOMPARE(cliProjects(dir.path()), all);
        // Nothing is lost when the window program ends.
        gui.closeAll();
        QCOMPARE(projects(*dir.openAnother()), all);
    }

    void theDialogListsNoDatabase()
    {
        TempAppDir dir;
        writeBytes(dir.file(QStringLiteral("顧客.csv")), {});
        // With the server engine the folder holds no database file; one of
        // that name must stay hidden all the same.
        if (!QFile::exists(dir.file(QStringLiteral("kakunin.db"))))
            writeBytes(dir.file(QStringLiteral("kakunin.db")), {});
        auto dialog = FileDialogs::make(nullptr, QStringLiteral("試験"), dir.path(), QStringLiteral("すべてのファイル (*)"),
                                        QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
        auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model && dialog->proxyModel());
        dialog->show();
        auto namesIn = [&](const QAbstractItemModel* m, const QModelIndex& root) {
            QStringList names;
            for (int row = 0; row < m->rowCount(root); ++row)
                names << m->index(row, 0, root).data().toString();
            return names;
        };
        // The model fills in the background; the proxy is read once the
        // folder's databases and the CSV have arrived underneath it.
        const QModelIndex source = model->index(dir.path());
        QTRY_VERIFY_WITH_TIMEOUT(namesIn(model, source).contains(QStringLiteral("kakunin.db"))
                                     && namesIn(model, source).contains(QStringLiteral("顧客.csv")),
                                 10000);
        const QStringList names = namesIn(dialog->proxyModel(), dialog->proxyModel()->mapFromSource(source));
        QVERIFY2(names.contains(QStringLiteral("顧客.csv")), qPrintable(names.join(QLatin1Char(' '))));
        for (const QString& n : names)
            QVERIFY2(!n.contains(QLatin1String(".db")), qPrintable(n));
        dialog->reject();
    }
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
