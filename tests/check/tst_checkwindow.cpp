#include "EntryWindows.h"
#include "IfcImportForm.h"
#include "MenuForm.h"
#include "P_GaiyouForm.h"
#include "P_TatemonoBetuForm.h"
#include "ShinseiCheckForm.h"
#include "SubmissionSetForm.h"
#include "TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

QTreeWidgetItem* rowOf(ShinseiCheckForm& form, const char* id, const char* field)
{
    for (int i = 0; i < form.list()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = form.list()->topLevelItem(i);
        const ShinseiCheck::Finding* f = form.findingOf(item);
        if (f && f->ruleId == QLatin1String(id) && f->field == QLatin1String(field))
            return item;
    }
    return nullptr;
}

// Enter on the finding of id about field; false when there is none.
bool enterOn(ShinseiCheckForm& form, const char* id, const char* field)
{
    QTreeWidgetItem* item = rowOf(form, id, field);
    if (!item)
        return false;
    form.list()->setCurrentItem(item);
    form.list()->setFocus();
    QTest::keyClick(form.list(), Qt::Key_Return);
    return true;
}

}  // namespace

// The window of the check from the main window: its count in the output
// menu, the question before printing, and the jump to the field.
class TestCheckWindow : public QObject {
    Q_OBJECT

private slots:
    void findingsOpenTheirFieldAndPrintingAsksFirst()
    {
        int printed = 0;
        Desk d([&printed](Storage& s, CommandRegistry& c) {
            EntryWindows::registerOpeners(s, c);
            CheckWindows::registerOpeners(s, c);
            c.setOutputHandler([&printed](MenuForm&, int) { ++printed; });
        });
        MenuForm& menu = d.form;
        ScriptedPrompter& prompter = d.prompter;

        // A new project lacks its designer, among much else.
        menu.updateCheckCount();
        QVERIFY2(menu.action(u("CheckBtn"))->text().contains(u("エラー %1件").arg(menu.checkErrors(-1))),
                 qPrintable(menu.action(u("CheckBtn"))->text()));
        QVERIFY(menu.checkErrors(0) > 0);

        // Printing a set with errors asks (yes prints: tst_menuform); no opens the check instead.
        QAction* application = nullptr;
        for (QAction* a : menu.outputMenu()->actions())
            if (a->text() == u("確認申請"))
                application = a;
        QVERIFY(application);
        prompter.answers.enqueue(Prompter::No);
        application->trigger();
        QVERIFY(prompter.texts().last().contains(u("エラーが %1 件").arg(menu.checkErrors(0))));
        QCOMPARE(printed, 0);
        auto* form = menu.findChild<ShinseiCheckForm*>();
        QVERIFY(form && form->isVisible());
        QCOMPARE(form->bid(), menu.currentProject().bid);

        // Double-click: the designer's registration number on its tab.
        QTreeWidgetItem* item = rowOf(*form, "D-DESIGNER", "Gou2");
        QVERIFY(item);
        form->list()->scrollToItem(item);
        const QPoint at = form->list()->visualItemRect(item).center();
        QTest::mouseClick(form->list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->list()->viewport(), Qt::LeftButton, {}, at);
        auto* people = menu.findChild<P_GaiyouForm*>();
        QVERIFY(people && people->isVisible());
        QCOMPARE(people->focusWidget(), people->field(u("Gou2")));
        QVERIFY(people->field(u("Gou2"))->isVisible());
        // A field on another tab brings its tab to the front.
        QVERIFY(enterOn(*form, "D-TEKIHAN", "Tekihan1"));
        QCOMPARE(people->focusWidget(), people->field(u("Tekihan1")));
        QVERIFY(people->field(u("Tekihan1"))->isVisible());

        // Enter: the structure of building 1 in the per-building window.
        QVERIFY(enterOn(*form, "D-BUILDING", "Zou31"));
        auto* buildings = menu.findChild<P_TatemonoBetuForm*>();
        QVERIFY(buildings && buildings->isVisible());
        QCOMPARE(buildings->shownBuilding(), 1);
        QCOMPARE(buildings->focusWidget(), buildings->field(u("Zou31")));

        // A right click on the project (no drag) opens its menu with the check.
        QTreeWidgetItem* project = menu.projectList()->topLevelItem(0);
        QVERIFY(project);
        const QPoint p = menu.projectList()->visualItemRect(project).center();
        QTest::mousePress(menu.projectList()->viewport(), Qt::RightButton, {}, p);
        QTest::mouseRelease(menu.projectList()->viewport(), Qt::RightButton, {}, p);
        QVERIFY(menu.projectMenu()->isVisible());
        menu.projectMenu()->hide();
        // So does the keyboard's menu key, at the current project.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, {});
        QApplication::sendEvent(menu.projectList(), &menuKey);
        QVERIFY(menu.projectMenu()->isVisible());
        menu.projectMenu()->hide();

        // The set window proposes the kind's documents, ticked, first; the
        // 委任状 only with a 代理者.
        ProjectData withAgent = menu.currentProject();
        withAgent.gaiyou.insert(u("Name5"), u("代理次郎"));
        SubmissionSetForm set(menu.storage(), withAgent);
        auto* docs = child<QListWidget>(set, "documents");
        auto ticked = [docs] {
            QStringList out;
            for (int i = 0; i < docs->count(); ++i)
                if (docs->item(i)->checkState() == Qt::Checked)
                    out << docs->item(i)->text();
            return out;
        };
        QCOMPARE(ticked(), (QStringList{u("確認申請"), u("概要書"), u("委任状")}));
        QCOMPARE(docs->count(), 12);
        set.findChild<QComboBox*>()->setCurrentText(u("完了検査"));
        QCOMPARE(ticked(), (QStringList{u("完了申請"), u("委任状")}));
        docs->setCurrentRow(0);
        for (QPushButton* b : set.findChildren<QPushButton*>())
            if (b->text() == u("下へ(&D)"))
                b->click();
        QCOMPARE(ticked(), (QStringList{u("委任状"), u("完了申請")}));
    }

    // BIMデータ読込: nothing is ticked at first; two ticked items are taken,
    // the rest stays as it was, and the model is recorded with the project.
    void ifcWindowTakesOnlyTickedItems()
    {
        Desk d([](Storage& s, CommandRegistry& c) { IfcImportForm::registerOpener(s, c); });
        MenuForm& menu = d.form;
        IfcImportForm form(d.dir.storage(), menu.currentProject(), &menu);
        connect(&form, &IfcImportForm::applied, &menu, [&menu] { menu.reloadCurrentProject(); });
        form.show();
        const QString model = QStringLiteral(SD_TEST_DATA_DIR "/ifc/quantities-ifc4.ifc");
        QVERIFY(form.loadFile(model));
        auto* table = child<QTableWidget>(form, "ItemTable");
        auto* apply = child<QPushButton>(form, "ApplyBtn");
        QVERIFY(table->rowCount() > 10);
        QVERIFY(!apply->isEnabled());
        auto rowOfKey = [table](const char* key) {
            for (int r = 0; r < table->rowCount(); ++r)
                if (table->item(r, 0)->data(Qt::UserRole).toString() == QLatin1String(key))
                    return r;
            return -1;
        };
        for (const char* key : {"site.area", "b1.above"}) {
            const int r = rowOfKey(key);
            QVERIFY2(r >= 0, key);
            QCOMPARE(table->item(r, 0)->checkState(), Qt::Unchecked);
            table->item(r, 0)->setCheckState(Qt::Checked);
        }
        QVERIFY(apply->isEnabled());
        QTest::mouseClick(apply, Qt::LeftButton);
        QVERIFY2(d.prompter.shown.isEmpty(), qPrintable(d.prompter.texts().join('\n')));

        const ProjectData& p = menu.currentProject();
        QCOMPARE((QStringList{p.text(p.shikichi, u("Size5")), p.text(p.shikichi, u("Size17")), p.text(p.shikichi, u("Men1")),
                              p.text(p.buildings[0], u("Kai30")), p.text(p.buildings[0], u("Kai31"))}),
                 (QStringList{"250.45", "250.45", "", "2", ""}));  // Men1 and Kai31 were not ticked
        QVERIFY(form.findChild<QLabel*>(u("InfoLabel"))->text().contains(u("2 項目を取り込みました")));
        QVERIFY(IfcForms::lastModelNote(d.dir.storage(), p.bid).endsWith(IfcForms::sha256Of(model)));
        // The list now shows the project as it is: nothing ticked, the taken items agree.
        QCOMPARE(table->item(rowOfKey("site.area"), 2)->text(), u("250.45"));
        QVERIFY(!apply->isEnabled());
    }
};

QTEST_MAIN(TestCheckWindow)
#include "tst_checkwindow.moc"
