#include "AppDir.h"
#include "FakeViewer.h"
#include "ShikkuHuseExcel.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

namespace {

void touch(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeTestFile(path, content);
}

QString cell(const QString& path, const QString& address)
{
    XlsxWorkbook book;
    XlsxCell c;
    if (!book.open(path) || !book.readCell(ShikkuHuseExcel::kSheet, address, &c))
        return QStringLiteral("<%1>").arg(book.errorString());
    return c.value;
}

ProjectData project()
{
    ProjectData p;
    p.bid = 7;
    put(p.gaiyou, {{"Buken", "山田邸"}, {"Name1", "青空設計事務所"}, {"Name2", "設計　太郎"}});
    return p;
}

}  // namespace

class TestSickHouse : public QObject {
    Q_OBJECT

private slots:
    void copiesTakeTheFirstFreeNumber()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("SHIC"));
        QCOMPARE(QFileInfo(ShikkuHuseExcel::nextCopyPath(folder)).fileName(), QStringLiteral("シックハウス基準001.xlsx"));
        touch(ShikkuHuseExcel::copyPath(folder, 1));
        touch(ShikkuHuseExcel::copyPath(folder, 2));
        QCOMPARE(QFileInfo(ShikkuHuseExcel::nextCopyPath(folder)).fileName(), QStringLiteral("シックハウス基準003.xlsx"));
        QFile::remove(ShikkuHuseExcel::copyPath(folder, 1));
        QCOMPARE(QFileInfo(ShikkuHuseExcel::nextCopyPath(folder)).fileName(), QStringLiteral("シックハウス基準001.xlsx"));
    }

    void aNewCopyGetsTheProjectsData()
    {
        TempAppDir dir;
        QVERIFY(QFile::copy(QStringLiteral(SD_SICK_TEMPLATE_PATH), ShikkuHuseExcel::templatePath()));
        // An earlier copy 002 stays as it is; the new one takes 001.
        const QString earlier = ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 2);
        touch(earlier, "earlier");
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString created;
        QString error;
        QVERIFY2(sick.createNew(project(), QDate(2005, 4, 1), &created, &error), qPrintable(error));
        QCOMPARE(created, ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 1));
        QCOMPARE(viewer.shown, QStringList{created});
        QCOMPARE(sick.lastCopyPath(), created);
        QCOMPARE(cell(created, QStringLiteral("E3")) + cell(created, QStringLiteral("E5")) + cell(created, QStringLiteral("I4"))
                     + cell(created, QStringLiteral("I5")),
                 QStringLiteral("平成17年04月01日山田邸青空設計事務所設計　太郎"));
        QCOMPARE(readTestFile(earlier), QByteArray("earlier"));
        // The template itself is never written.
        QCOMPARE(cell(ShikkuHuseExcel::templatePath(), QStringLiteral("E5")), QString());

        // Still open in the viewer: the next new copy closes it first.
        touch(QFileInfo(created).absolutePath() + QStringLiteral("/.~lock.") + QFileInfo(created).fileName()
              + QLatin1Char('#'));
        QVERIFY(sick.createNew(project(), QDate(2019, 5, 1), &created, &error));
        QCOMPARE(viewer.closed, 1);
        QCOMPARE(QFileInfo(created).fileName(), QStringLiteral("シックハウス基準003.xlsx"));
        QCOMPARE(cell(created, QStringLiteral("E3")), QStringLiteral("令和元年05月01日"));
    }

    void aSavedCopyOpensAsItIs()
    {
        TempAppDir dir;
        QVERIFY(QFile::copy(QStringLiteral(SD_SICK_TEMPLATE_PATH), ShikkuHuseExcel::templatePath()));
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString created;
        QString error;
        QVERIFY(sick.createNew(project(), QDate(2024, 6, 3), &created, &error));
        const QByteArray bytes = readTestFile(created);
        viewer.shown.clear();

        QVERIFY2(sick.run(project(), created, QDate(2030, 1, 1), &error), qPrintable(error));
        QCOMPARE(viewer.shown, QStringList{created});
        QCOMPARE(readTestFile(created), bytes);

        QVERIFY(!sick.openSaved(dir.file(QStringLiteral("SHIC/ない.xlsx")), &error));
        QVERIFY(error.contains(QStringLiteral("見つかりません")));
        QCOMPARE(viewer.shown.size(), 1);
    }

    void aMissingTemplateWarnsAndMakesNothing()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        FakeViewer viewer;
        ShikkuHuseExcel sick(&viewer);
        QString error;
        QVERIFY(!sick.run(project(), QString(), QDate(2024, 6, 3), &error));
        QCOMPARE(prompter.texts(), QStringList{"必要とするシステムファイルが存在しません。"});
        QCOMPARE(prompter.shown.first().title, QStringLiteral("警告"));
        QVERIFY(viewer.shown.isEmpty());
        QVERIFY(!QFileInfo::exists(ShikkuHuseExcel::copyPath(ShikkuHuseExcel::copyFolder(), 1)));
    }

    void theTemplateIsACheckSheet()
    {
        XlsxWorkbook book;
        QVERIFY(book.open(QStringLiteral(SD_SICK_TEMPLATE_PATH)));
        QCOMPARE(book.sheetNames().value(0), ShikkuHuseExcel::kSheet);
        QCOMPARE(book.activeSheet(), ShikkuHuseExcel::kSheet);
        for (const char* s : {"換気計算", "内装仕上げ", "建材一覧", "チェックリスト"})
            QVERIFY2(book.hasSheet(QString::fromUtf8(s)), s);
        XlsxCell c;
        // The required ventilation and the formaldehyde area check compute from the entries.
        QVERIFY(book.readCell(QStringLiteral("換気計算"), QStringLiteral("I8"), &c));
        QVERIFY(c.formula.contains(QLatin1String("G8*H8")));
        QVERIFY(book.readCell(QStringLiteral("換気計算"), QStringLiteral("H8"), &c));
        QVERIFY(c.formula.contains(QLatin1String("0.5")) && c.formula.contains(QLatin1String("0.3")));
        QVERIFY(book.readCell(QStringLiteral("内装仕上げ"), QStringLiteral("L8"), &c));
        QVERIFY(c.formula.contains(QLatin1String("J8<=D8")));
        for (const char* address : {"E3", "E5", "I4", "I5"}) {
            QVERIFY(book.readCell(ShikkuHuseExcel::kSheet, QString::fromLatin1(address), &c));
            QCOMPARE(c.kind, XlsxCell::Kind::Empty);
        }
    }
};

QTEST_GUILESS_MAIN(TestSickHouse)
#include "tst_sickhouse.moc"
