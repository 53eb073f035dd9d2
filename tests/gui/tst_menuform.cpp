#include "CommandRegistry.h"
#include "FreshOffice.h"
#include "HelpForm.h"
#include "MenuCommands.h"
#include "MenuForm.h"
#include "Recordset.h"
#include "TestSupport.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString kNoProject = QStringLiteral("物件登録が行われていません、別件の新規作成を行ってください。");
const QString kSaveAsk = QStringLiteral("内容が変更されていますが、登録しますか？");

int optionRows(Storage& storage)
{
    Recordset rs(storage, DbFile::OptionData);
    return rs.open(QStringLiteral("OptionMaster")) ? rs.recordCount() : -1;
}

// The one row of the options, where there is one.
bool openOption(Recordset& rs)
{
    if (!rs.open(QStringLiteral("OptionMaster")) || rs.recordCount() == 0)
        return false;
    rs.moveFirst();
    return true;
}

QVariant optionValue(Storage& storage, const QString& column)
{
    Recordset rs(storage, DbFile::OptionData);
    return openOption(rs) ? rs.value(column) : QVariant();
}

bool setOption(Storage& storage, const QString& column, int value)
{
    Recordset rs(storage, DbFile::OptionData);
    return openOption(rs) && rs.setValue(column, value) && rs.update();
}

}  // namespace

class TestMenuForm : public QObject, private FreshOffice {
    Q_OBJECT

private slots:
    void init() { begin(); }
    void cleanup() { dir.reset(); }

    void windowShowsTabsListsAndCodeLists()
    {
        {
            // A row without a value still holds its place as an empty item.
            Recordset rs(dir->storage(), DbFile::MasterData);
            QVERIFY(rs.open(QStringLiteral("UserType")));
            QVERIFY(rs.addNew() > 0 && rs.setValue(QStringLiteral("USER_TYPE"), QStringLiteral("組合's")) &&
                    rs.update());
            QVERIFY(rs.addNew() > 0 && rs.update());
        }
        MenuForm form(dir->storage());

        QCOMPARE(form.projectList()->selectionMode(), QAbstractItemView::ExtendedSelection);
        auto* shu1 = child<QComboBox>(form, "Shu1");
        QCOMPARE((QStringList{shu1->itemText(0), shu1->itemText(shu1->count() - 2), shu1->itemText(shu1->count() - 1),
                              child<QComboBox>(form, "Shu2")->itemText(0)}),
                 (QStringList{QStringLiteral("国"), QStringLiteral("組合's"), QString(), QStringLiteral("農林水産業")}));
        QCOMPARE(shu1->currentIndex(), -1);
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(!form.isEdited());
    }

    // Every toolbar key and menu item runs the window hooked onto its key (a
    // menu item that of its toolbar twin) once what it needs is there: the
    // data-entry windows and the project menu's want a project and open
    // nothing without one, and the per-floor window first wants the floor
    // counts of the per-building one.
    void commandsRunTheWindowsHookedOntoTheirKeys()
    {
        CommandRegistry commands;
        MenuForm form(dir->storage(), commands);
        form.show();
        const auto target = [](const QAction* a) {
            const MenuCommands::Command* c = MenuCommands::find(a->objectName());
            return c && c->runs ? MenuCommands::find(QString::fromLatin1(c->runs)) : c;
        };
        QSet<QString> needProject;
        for (QAction* a : form.findChild<QMenu*>(QStringLiteral("mnDataInput"))->actions() + form.projectMenu()->actions())
            needProject << QString::fromLatin1(target(a)->key);

        QStringList opened;
        QList<QAction*> hooked;
        for (QAction* a : form.findChildren<QAction*>()) {
            const MenuCommands::Command* c = MenuCommands::find(a->objectName());
            if (!c)
                continue;
            // Every command is within reach, named as the table says; every
            // button has a picture of its own that draws.
            QVERIFY2(!a->associatedObjects().isEmpty(), c->key);
            QCOMPARE(a->text(), QString::fromUtf8(c->text));
            if (form.toolbar()->actions().contains(a))
                QVERIFY2(!a->toolTip().isEmpty() && !a->icon().pixmap(24, 24).toImage().isNull(), c->key);
            if (target(a)->run != MenuCommands::Run::Opener)
                continue;
            const QString key = QString::fromLatin1(target(a)->key);
            commands.registerOpener(key, [&opened, key](MenuForm&) { opened << key; });
            hooked << a;
        }
        for (const bool withProject : {false, true}) {
            if (withProject)
                form.newProject();
            for (QAction* a : std::as_const(hooked)) {
                const QString key = QString::fromLatin1(target(a)->key);
                prompter.clear();
                opened.clear();
                a->trigger();
                if (!withProject && needProject.contains(key)) {
                    QCOMPARE(prompter.texts(), QStringList{kNoProject});
                    QVERIFY2(opened.isEmpty(), qPrintable(a->objectName()));
                } else if (key == QLatin1String("btnKaiBetu")) {
                    QCOMPARE(prompter.shown.size() == 1 ? prompter.shown[0].title : QString(), QStringLiteral("登録エラー警告"));
                    QVERIFY(prompter.shown[0].text.startsWith(QStringLiteral("1棟目の建物別登録で、地上・地下の階数が設定されていません")));
                    QCOMPARE(opened, QStringList{QStringLiteral("btnTatemonoBetu")});
                } else {
                    QVERIFY2(prompter.shown.isEmpty(), qPrintable(a->objectName()));
                    QCOMPARE(opened, QStringList{key});
                }
            }
        }
        opened.clear();
        commands.registerOpener(QStringLiteral("SrchBtn"), [&opened](MenuForm&) { opened << QStringLiteral("SrchBtn"); });
        form.findChild<QPushButton*>(QStringLiteral("SrchBtn"))->click();
        QCOMPARE(opened, QStringList{QStringLiteral("SrchBtn")});
    }

    // The documents of the drop-down and its PDF items run their handler
    // only for a stored project, with its sheet, and with what the database
    // holds once unsaved edits are saved.
    void documentsRunTheirHandlerWithTheStoredProject()
    {
        CommandRegistry commands;
        QList<int> sheets;
        QStringList names, koujiSeen;
        commands.setOutputHandler([&](MenuForm&, int sheet) { sheets << sheet; });
        commands.setPdfHandler([&](MenuForm& f, int sheet, const QString& name) {
            sheets << sheet;
            names << name;
            koujiSeen << f.currentProject().text(f.currentProject().gaiyou, QStringLiteral("Kouji"));
        });
        MenuForm form(dir->storage(), commands);
        form.show();
        // 申請前チェック and 提出書類一式 come first, apart from the documents.
        QCOMPARE(form.outputMenu()->actions().mid(0, 2),
                 (QList<QAction*>{form.action(QStringLiteral("CheckBtn")), form.action(QStringLiteral("SubmitBtn"))}));
        auto* pdf = form.outputMenu()->findChild<QMenu*>(QStringLiteral("PdfMenu"));
        QVERIFY(pdf);

        pdf->actions().first()->trigger();
        QCOMPARE(prompter.texts(), QStringList{kNoProject});
        QVERIFY(sheets.isEmpty());

        form.action(QStringLiteral("NewVoucher"))->trigger();
        form.findChild<QLineEdit*>(QStringLiteral("Kouji"))->setText(QStringLiteral("佐藤邸"));
        prompter.clear();
        // Save the edits; then make the document in spite of the check's errors (no agent yet).
        prompter.answers.enqueue(Prompter::Yes);
        prompter.answers.enqueue(Prompter::Yes);
        for (QAction* a : pdf->actions())
            if (a->text() == QStringLiteral("委任状"))
                a->trigger();
        QCOMPARE(prompter.texts().size(), 2);
        QCOMPARE(prompter.texts().first(), kSaveAsk);
        QVERIFY(prompter.texts().last().contains(QStringLiteral("エラーが %1 件").arg(form.checkErrors(3))));
        QCOMPARE(sheets, QList<int>{3});
        QCOMPARE(names + koujiSeen, (QStringList{QStringLiteral("委任状"), QStringLiteral("佐藤邸")}));
        QVERIFY(!form.isEdited());

        // Every document of the workbook, then the sick-house workbook.
        sheets.clear();
        for (QAction* a : form.outputMenu()->actions()) {
            if (a->isSeparator() || a->menu() || !a->data().isValid())
                continue;
            if (a->data().toInt() >= 0 && form.checkErrors(a->data().toInt()) > 0)
                prompter.answers.enqueue(Prompter::Yes);
            a->trigger();
        }
        QCOMPARE(sheets, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1}));
        prompter.answers.enqueue(Prompter::Yes);
        pdf->actions().first()->trigger();
        QCOMPARE(sheets.last(), -1);
        QCOMPARE(names.last(), QStringLiteral("すべての書類"));
    }

    void functionsWithoutWindowLeaveANote()
    {
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        MenuForm form(dir->storage());
        QStatusBar* status = form.statusBar();

        for (const char* key : {"pUsetMaster", "UserEdit"}) {
            status->clearMessage();
            form.action(QString::fromLatin1(key))->trigger();
            QCOMPARE(status->currentMessage(), QStringLiteral("「顧客登録」はまだ利用できません。"));
        }
        for (QAction* a : form.outputMenu()->actions())
            if (a->text() == QStringLiteral("概要書"))
                a->trigger();
        QVERIFY(status->currentMessage().contains(QStringLiteral("概要書")));

        status->clearMessage();
        form.action(QStringLiteral("mnMelMaga"))->trigger();
        QVERIFY(status->currentMessage().isEmpty());

        // An empty number is no search; a typed one is.
        form.findChild<QPushButton*>(QStringLiteral("SrchBtn2"))->click();
        QVERIFY(status->currentMessage().isEmpty());
        form.findChild<QLineEdit*>(QStringLiteral("TelText"))->setText(QStringLiteral("03-1234"));
        form.findChild<QPushButton*>(QStringLiteral("SrchBtn2"))->click();
        QVERIFY(!status->currentMessage().isEmpty());
        QVERIFY(prompter.shown.isEmpty());

        form.action(QStringLiteral("Version"))->trigger();
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown[0].text.contains(QStringLiteral("9.8.7")));
        QVERIFY(!form.isEdited());
    }

    void optionRowAndPlacementAcrossRuns()
    {
        QCOMPARE(optionRows(dir->storage()), 0);
        {
            MenuForm form(dir->storage());
            QCOMPARE(optionRows(dir->storage()), 1);
            QCOMPARE(optionValue(dir->storage(), QStringLiteral("TIMERdt")).toInt(), 1);
            form.move(140, 90);
            form.projectList()->header()->resizeSection(0, 210);
            form.projectList()->header()->resizeSection(1, 150);
            form.exitApplication();
            QCOMPARE(optionValue(dir->storage(), QStringLiteral("USR_LEFT")).toInt(), WindowPlacement::toTwips(140, form.logicalDpiX()));
            QCOMPARE(optionValue(dir->storage(), QStringLiteral("U_C1")).toInt(), WindowPlacement::toTwips(210, form.logicalDpiX()));
            QCOMPARE(optionValue(dir->storage(), QStringLiteral("U_C3")).toInt(), 0);
        }
        {
            // Stored widths count only once the mail list has kept its own
            // (ML_C1); until then both columns share the list evenly.
            MenuForm form(dir->storage());
            QCOMPARE(form.pos(), QPoint(140, 90));
            QCOMPARE(form.projectList()->header()->sectionSize(0), form.projectList()->header()->sectionSize(1));
        }
        QVERIFY(setOption(dir->storage(), QStringLiteral("ML_C1"), 1500));
        {
            MenuForm form(dir->storage());
            QCOMPARE(form.projectList()->header()->sectionSize(0), 210);
            QCOMPARE(form.projectList()->header()->sectionSize(1), 150);
        }
        // A window left off the screen, or on a larger one, comes back
        // whole: its title bar within reach and its bottom in sight.
        QVERIFY(setOption(dir->storage(), QStringLiteral("USR_LEFT"), -40000));
        QVERIFY(setOption(dir->storage(), QStringLiteral("USR_TOP"), 40000));
        MenuForm form(dir->storage());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(form.pos().x() >= screen.left() && form.pos().y() >= screen.top());
        QVERIFY2(screen.contains(QRect(form.pos(), form.size())), qPrintable(QDebug::toString(QRect(form.pos(), form.size()))));
        QCOMPARE(optionRows(dir->storage()), 1);
        QVERIFY(prompter.shown.isEmpty());
    }

    void exitAsksOnlyAboutEditsAndOnlyOnce()
    {
        {
            // Without edits nothing is asked (optionRowAndPlacementAcrossRuns);
            // キャンセル stays, edits and all; Ctrl+S saves them.
            MenuForm form(dir->storage());
            QVERIFY(showAndWait(form));
            QTest::keyClick(form.buildingCountBox(), Qt::Key_Up);
            prompter.answers.enqueue(Prompter::Cancel);
            form.exitApplication();
            QVERIFY(form.isVisible());
            QVERIFY(form.isEdited());
            prompter.answers.enqueue(Prompter::Cancel);
            QVERIFY(!form.close());
            QCOMPARE(prompter.shown.size(), 2);
            QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
            QVERIFY(!form.isEdited());
            form.exitApplication();
            QVERIFY(!form.isVisible());
        }
        // Through the exit command and through the window frame, in either
        // order of the two: one question, and the place is kept even when
        // the edit is thrown away.
        for (bool frameFirst : {false, true}) {
            for (Prompter::Button answer : {Prompter::No, Prompter::Yes}) {
                prompter.clear();
                MenuForm form(dir->storage());
                QVERIFY(showAndWait(form));
                QTest::keyClick(form.buildingCountBox(), Qt::Key_Up);
                QVERIFY(form.isEdited());
                const int left = (frameFirst ? 40 : 60) + answer;
                form.move(left, 70);
                prompter.answers.enqueue(answer);
                if (frameFirst)
                    QVERIFY(form.close());
                form.exitApplication();
                form.close();
                QCOMPARE(prompter.texts(), QStringList{kSaveAsk});
                QCOMPARE(prompter.shown[0].buttons, Prompter::Buttons(Prompter::Yes | Prompter::No | Prompter::Cancel));
                QCOMPARE(form.isEdited(), answer == Prompter::No);
                QVERIFY(!form.isVisible());
                QCOMPARE(optionValue(dir->storage(), QStringLiteral("USR_LEFT")).toInt(), WindowPlacement::toTwips(left, form.logicalDpiX()));
                QCOMPARE(QApplication::overrideCursor(), nullptr);
            }
        }
    }

    void storageErrorStillOpensTheWindow()
    {
        QString error;
        QSqlQuery drop(dir->storage().connection(DbFile::OptionData, &error));
        QVERIFY2(drop.exec(QStringLiteral("DROP TABLE \"OptionMaster\"")), qPrintable(error));

        MenuForm form(dir->storage());
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(prompter.shown[0].title, QStringLiteral("エラー"));
        QVERIFY(form.findChild<QComboBox*>(QStringLiteral("Shu1"))->count() > 0);
        QCOMPARE(form.buildingCount(), 1);
    }

    void buildingCountStaysWithinOneToThree()
    {
        Desk d(false);
        MenuForm& form = d.form;
        QSpinBox* count = form.buildingCountBox();
        QCOMPARE(count->value(), 1);

        // Down from 1 stays at 1 and changes nothing; up stops at 3.
        bool moved = false;
        for (const auto& [up, expected] : {std::pair{false, 1}, {true, 2}, {true, 3}, {true, 3}, {false, 2}, {false, 1}, {false, 1}}) {
            QTest::keyClick(count, up ? Qt::Key_Up : Qt::Key_Down);
            moved = moved || up;
            QCOMPARE(form.buildingCount(), expected);
            QCOMPARE(form.isEdited(), moved);
        }
        form.setBuildingCount(7);
        QCOMPARE(count->value(), 3);
        form.saveProject();
        QVERIFY(!form.isEdited());
    }

    void enterWalksTheHeaderFields()
    {
        MenuForm form(dir->storage());
        QVERIFY(showAndWait(form));
        auto* kouji = form.findChild<QLineEdit*>(QStringLiteral("Kouji"));
        kouji->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), kouji);
        QCOMPARE(kouji->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(kouji->palette().color(QPalette::Text), QColor(Qt::white));

        // Typing before any project exists has nothing to save.
        QTest::keyClicks(kouji, QStringLiteral("abc"));
        QVERIFY(!form.isEdited());

        // The building count is a field of its own: typing there changes
        // the count, never the field before it.
        const QStringList order = {"Buken", "Furi1", "Tousu", "Furi2", "Name7", "Post6", "Addr6",
                                   "Tel4",  "Shu1",  "Shu2",  "Kin1",  "Kin1"};
        for (const QString& next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QWidget* at = QApplication::focusWidget();
            if (qobject_cast<QSpinBox*>(at->parentWidget()))
                at = at->parentWidget();
            QCOMPARE(at->objectName(), next);
            if (next == QLatin1String("Tousu")) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                // A full-width digit, as the input method types it.
                QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), Qt::Key_unknown, QStringLiteral("２"), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), Qt::Key_unknown, QStringLiteral("２"), Qt::NoModifier);
            }
            if (next == QLatin1String("Buken"))
                QCOMPARE(kouji->palette().color(QPalette::Base), form.palette().color(QPalette::Base));
            if (next.startsWith(QLatin1String("Shu")))
                QVERIFY(QApplication::focusWidget()->palette().color(QPalette::Base) != QColor(Qt::black));
        }
        QCOMPARE(kouji->text(), QStringLiteral("abc"));
        QCOMPARE(form.buildingCount(), 2);

        // Enter in the postal code fills the address on its way on.
        auto* post = form.findChild<QLineEdit*>(QStringLiteral("Post6"));
        auto* addr = form.findChild<QLineEdit*>(QStringLiteral("Addr6"));
        post->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), post);
        post->setText(QStringLiteral("〒100-0001"));
        QTest::keyClick(post, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Addr6"));
        QCOMPARE(addr->text(), QStringLiteral("東京都千代田区千代田"));
        QVERIFY(prompter.shown.isEmpty());
    }

    void helpShowsThePageOfTheCurrentTab()
    {
        QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("MANUAL")));
        writeBytes(dir->file(QStringLiteral("MANUAL/main.html")),
                   "<html><head><meta charset=\"utf-8\"></head><body><p>物件情報の使い方</p></body></html>");

        MenuForm form(dir->storage());
        QVERIFY(showAndWait(form));
        // The manual's contents open in the same viewer, never in a browser
        // that may be missing; a missing page says which one it wanted.
        HelpForm* help = nullptr;
        for (const auto& [tab, command, page] : {std::tuple{MenuForm::ProjectTab, "mnHelp", "main.html"},
                                                 {MenuForm::ScheduleTab, "mnHelp", "scajule.html"},
                                                 {MenuForm::PhotoTab, "mnHelp", "photo.html"},
                                                 {MenuForm::PhotoTab, "ManualDisp", "index.html"}}) {
            form.tabs()->setCurrentIndex(tab);
            form.action(QString::fromLatin1(command))->trigger();
            help = form.helpForm();
            QVERIFY(help && help->isVisible());
            QVERIFY2(help->page().endsWith(QStringLiteral("MANUAL/") + QLatin1String(page)), qPrintable(help->page()));
            const bool found = tab == MenuForm::ProjectTab;
            QCOMPARE(help->pageFound(), found);
            QCOMPARE(help->browser()->toPlainText().contains(QStringLiteral("物件情報の使い方")), found);
            QVERIFY(found || help->browser()->toPlainText().contains(QLatin1String(page)));
        }
        const QSize before = help->browser()->size();
        help->resize(help->size() + QSize(120, 80));
        QTRY_COMPARE(help->browser()->size(), before + QSize(120, 80));

        help->findChild<QPushButton*>(QStringLiteral("NextBtn"))->click();
        QVERIFY(!help->isVisible());
        QVERIFY(prompter.shown.isEmpty());
    }
};

QTEST_MAIN(TestMenuForm)
#include "tst_menuform.moc"
