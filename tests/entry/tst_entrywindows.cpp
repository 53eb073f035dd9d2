#include "EntryTestSupport.h"
#include "EntryWindows.h"
#include "HelpForm.h"
#include "MenuForm.h"
#include "P_GaiyouForm.h"
#include "P_KoujiForm.h"
#include "P_KanryouForm.h"
#include "P_IninForm.h"
#include "P_GyoumuForm.h"
#include "P_BoukaForm.h"
#include "P_KaibetuForm.h"
#include "P_KirokuboForm.h"
#include "P_ShikichiForm.h"
#include "P_TatemonoBetuForm.h"
#include "PostalLookup.h"
#include "RowTables.h"
#include "Schema.h"
#include "ShuYoutoForm.h"
#include "TestSupport.h"
#include "TextNumbers.h"

#include <QAction>
#include <QRadioButton>
#include <QDir>
#include <QFile>
#include <QSpinBox>
#include <QTreeWidget>

#include <functional>

using namespace EntryTest;

// The windows of the people, the buildings and the floors, the main-use
// picker, and how the main window opens them.
class TestEntryWindows : public QObject {
    Q_OBJECT

private slots:
    // The items of the forms in force: typed and chosen in the windows,
    // stored, and shown again on reopening.
    void newFormItemsAreStoredAndReadBack()
    {
        Office o;
        // The columns stem1 … stemN stored as ticked in the given row.
        auto tickedOf = [&](const char* table, const char* stem, int count, int row = 0) {
            QStringList on;
            for (int i = 1; i <= count; ++i)
                if (stored(o.st, u(table), o.bid, u(stem) + QString::number(i), row).toInt() == 1)
                    on << u(stem) + QString::number(i);
            return on;
        };
        auto& gaiyou = o.open<P_GaiyouForm>();
        gaiyou.tabs()->setCurrentIndex(3);
        QCOMPARE(focused(), u("Tosho1"));
        keys(QApplication::focusWidget(), u("意匠図一式"));
        pressEnter();
        QCOMPARE(focused(), u("HyoujiName1"));
        box(gaiyou, "Hyouji2")->click();
        type(gaiyou, "HyoujiName2", u("構造 次郎"));
        pressEnter();
        QCOMPARE(focused(), u("HyoujiGou2"));
        keys(QApplication::focusWidget(), u("1234"));
        radio(gaiyou, "Tekihan1")->click();
        radio(gaiyou, "Tekihan3")->click();
        type(gaiyou, "TekihanKikan", u("判定センター 静岡市"));
        // The reason of 提出不要 only while 提出不要 is chosen; Enter skips it.
        QVERIFY(!combo(gaiyou, "ShoeneRiyu")->isEnabled());
        radio(gaiyou, "Shoene3")->click();
        QVERIFY(combo(gaiyou, "ShoeneRiyu")->isEnabled());
        QCOMPARE(gaiyou.items(u("ShoeneRiyu")), P_GaiyouForm::energyExemptions());
        choose(combo(gaiyou, "ShoeneRiyu"), u("第2号に該当"));
        radio(gaiyou, "Shoene1")->click();
        QVERIFY(!combo(gaiyou, "ShoeneRiyu")->isEnabled());
        type(gaiyou, "ShoeneKikan", u("市役所"));
        pressEnter();
        QCOMPARE(focused(), u("ShoeneKikan"));
        radio(gaiyou, "Shoene3")->click();
        QVERIFY(gaiyou.apply());
        QCOMPARE(storedTexts(o.st, "GAIYOU", o.bid, {"Tosho1", "HyoujiGou2", "ShoeneRiyu"}),
                 (QStringList{"意匠図一式", "1234", "第2号に該当"}));
        QCOMPARE(tickedOf("GAIYOU", "Hyouji", 4) + tickedOf("GAIYOU", "Tekihan", 3) + tickedOf("GAIYOU", "Shoene", 3),
                 (QStringList{"Hyouji2", "Tekihan3", "Shoene3"}));
        P_GaiyouForm gaiyou2(o.st, o.bid);
        QVERIFY(radio(gaiyou2, "Tekihan3")->isChecked());
        QVERIFY(box(gaiyou2, "Hyouji2")->isChecked());
        QVERIFY(combo(gaiyou2, "ShoeneRiyu")->isEnabled());
        QCOMPARE(combo(gaiyou2, "ShoeneRiyu")->currentText(), u("第2号に該当"));
        QVERIFY(!gaiyou2.isEdited());

        // Items 5 to 7 per building; the old 耐火建築物 boxes are gone from entry.
        auto& buildings = o.open<P_TatemonoBetuForm>(2);
        QVERIFY(!buildings.field(u("Taika30")));
        buildings.tabs()->setCurrentIndex(1);
        QCOMPARE(focused(), u("Kouzoubu1"));
        for (const char* r : {"Kouzoubu3", "Kouzoubu4", "Jou21_2", "Jou61_5"})
            radio(buildings, r)->click();
        buildings.showBuilding(2);
        QVERIFY(!radio(buildings, "Kouzoubu4")->isChecked());
        radio(buildings, "Kouzoubu2")->click();
        buildings.showBuilding(1);
        QVERIFY(radio(buildings, "Kouzoubu4")->isChecked());
        QVERIFY(buildings.apply());
        QCOMPARE(tickedOf("TATEMONOBETU", "Kouzoubu", 7), QStringList{u("Kouzoubu4")});
        QCOMPARE(storedTexts(o.st, "TATEMONOBETU", o.bid, {"Jou21_2", "Jou61_5"}, 0), (QStringList{"1", "1"}));
        QCOMPARE(tickedOf("TATEMONOBETU", "Kouzoubu", 7, 1), QStringList{u("Kouzoubu2")});
        P_TatemonoBetuForm buildings2(o.st, o.bid, 2);
        QVERIFY(radio(buildings2, "Jou61_5")->isChecked());
        buildings2.showBuilding(2);
        QVERIFY(radio(buildings2, "Kouzoubu2")->isChecked());
        QVERIFY(!radio(buildings2, "Jou61_5")->isChecked());

        // 特定天井 of one floor.
        auto& floors = o.open<P_KaibetuForm>(1);
        radio(floors, "F1Tokutei1")->click();
        radio(floors, "F1Tokutei2")->click();
        QVERIFY(floors.apply());
        QCOMPARE(tickedOf("KAIBETU", "F1Tokutei", 2), QStringList{u("F1Tokutei2")});
        P_KaibetuForm floors2(o.st, o.bid, 1);
        QVERIFY(radio(floors2, "F1Tokutei2")->isChecked());
        QVERIFY(!radio(floors2, "F1Tokutei1")->isChecked());
    }

    void personPicksFollowTheRoleFlag()
    {
        Office o;
        addMasterRow(o.st, "Architect", {{"A_FLG", 1}, {"S_FLG", 0}, {"U_NAME", "建築 一郎"}, {"U_CLASS1", "一級"}});
        addMasterRow(o.st, "Architect", {{"S_FLG", 1}, {"K_FLG", 1}, {"U_NAME", "設計 花子"}, {"U_CLASS1", "二級"},
                                         {"U_CLASS2", "東京都知事"}, {"U_CLASS3", "12345"}, {"C_NAME", "花子設計室"},
                                         {"C_POST1", "100-0001"}, {"C_ADDR1", "東京都"}, {"C_ADDR2", "千代田区千代田"},
                                         {"C_ADDR3", "1-1"}, {"C_TEL", "03-1111-2222"}, {"U_POST1", "150-0001"},
                                         {"U_ADDR1", "東京都"}, {"U_ADDR2", "渋谷区神宮前"}});
        addMasterRow(o.st, "Architect", {{"M_FLG", 1}, {"U_NAME", "施工 三郎"}, {"C_NAME", "三郎建設"}, {"U_TEL", "045-000-0000"}});
        auto& form = o.open<P_GaiyouForm>();
        QCOMPARE(form.items(u("Name2")), (QStringList{u("建築 一郎"), u("設計 花子")}));
        QCOMPARE(form.items(u("Name3")), QStringList{u("設計 花子")});
        QCOMPARE(form.items(u("Name5")), QStringList());
        QCOMPARE(form.items(u("Name9")), QStringList{u("施工 三郎")});
        QVERIFY(form.items(u("Tiji2")).contains(u("東京都知事")));

        choose(combo(form, "Name2"), u("建築 一郎"));  // a designer without S_FLG: nothing is copied
        QCOMPARE(shown(form, {"Name2", "Kyu2"}), (QStringList{"建築 一郎", ""}));
        QVERIFY(form.isEdited());

        choose(combo(form, "Name2"), u("設計 花子"));
        QCOMPARE(shown(form, {"Kyu2", "Tiji2", "Gou2", "Name1", "Post1", "Addr1"}),
                 (QStringList{"二級", "東京都知事", "12345", "花子設計室", "100-0001", "東京都千代田区千代田1-1"}));
        QCOMPARE(edit(form, "Fax1")->text(), QString());  // null copies as empty

        choose(combo(form, "Name3"), u("設計 花子"));
        QCOMPARE(shown(form, {"Name4", "Post3"}), (QStringList{"花子設計室", "150-0001"}));
        QCOMPARE(form.text(u("Addr3")), u("東京都渋谷区神宮前"));  // an empty third part adds nothing

        form.tabs()->setCurrentIndex(1);
        QCOMPARE(focused(), u("Name5"));
        choose(combo(form, "Name9"), u("施工 三郎"));
        QCOMPARE(shown(form, {"Name10", "Tel6"}), (QStringList{"三郎建設", "045-000-0000"}));
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "GAIYOU", o.bid, {"Addr1", "Kouji"}),
                 (QStringList{"東京都千代田区千代田1-1", "<新規>"}));  // Kouji: the register's own
    }

    void designerCopiesAndPostalLookUps()
    {
        Office o;
        auto& form = o.open<P_GaiyouForm>();
        combo(form, "Name2")->setEditText(u("設計 太郎"));
        edit(form, "Name1")->setText(u("太郎事務所"));
        edit(form, "Tel1")->setText(u("03-0000-0000"));
        edit(form, "Post3")->setText(u("999-9999"));
        form.setText(u("Addr3"), u("自宅"));

        // Enter in a postal-code field looks the address up and moves on to it.
        type(form, "Post1", u("1000001"));
        pressEnter();
        QCOMPARE(shown(form, {"Addr1"}) << focused(), (QStringList{"東京都千代田区千代田", "Addr1"}));
        QCOMPARE(edit(form, "Addr1")->cursorPosition(), edit(form, "Addr1")->text().size());
        // No address for the code: the field keeps its text, the focus still moves.
        type(form, "Post4", u("0000000"));
        edit(form, "Addr4")->setText(u("そのまま"));
        edit(form, "Post4")->setFocus();
        pressEnter();
        QCOMPARE(shown(form, {"Addr4"}) << focused(), (QStringList{"そのまま", "Addr4"}));
        // The address button finds the code of an address.
        edit(form, "Addr4")->setText(u("東京都千代田区千代田"));
        get<QPushButton>(form, u("AdrBtn2"))->click();
        QCOMPARE(edit(form, "Post4")->text(), u("100-0001"));
        QCOMPARE(get<QPushButton>(form, u("PostBtn2"))->text(), u("住所"));

        get<QPushButton>(form, u("KekkeiShaCopy"))->click();
        // Post1 is copied over the looked-up Post4; the personal address stays.
        QCOMPARE(shown(form, {"Name3", "Name4", "Addr4", "Tel2", "Post4", "Post3", "Addr3"}),
                 (QStringList{"設計 太郎", "太郎事務所", "東京都千代田区千代田", "03-0000-0000", "1000001", "999-9999", "自宅"}));
        get<QPushButton>(form, u("KekkeiShaCopy2"))->click();
        QCOMPARE(shown(form, {"Name5", "Addr5"}), (QStringList{"設計 太郎", "東京都千代田区千代田"}));

        // Multi-line fields keep the focus on Enter; Ctrl+Enter breaks the line.
        form.field(u("Addr3"))->setFocus();
        pressEnter();
        QCOMPARE(shown(form, {"Addr3"}) << focused(), (QStringList{"自宅", "Addr3"}));
        QTest::keyClick(form.field(u("Addr3")), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(form.text(u("Addr3")).count(QLatin1Char('\n')), 1);
        o.prompter.answers.enqueue(Prompter::No);
    }

    void buildingsKeepEditsAndNameTheirFloors()
    {
        Office o;
        auto& form = o.open<P_TatemonoBetuForm>(2);
        QCOMPARE(form.chooser()->maximum(), 2);
        QVERIFY(!form.isEdited());

        type(form, "Kai30", u("5"));
        type(form, "Kai31", u("2"));
        leave(form);
        QCOMPARE(shown(form, {"Kai40", "Kai45"}) << label(form, "ChijouLabel")->text() << label(form, "ChikaLabel")->text(),
                 (QStringList{"B2", "4F", "5", "2"}));  // 5F gets no line

        type(form, "Men40", u("50"));
        type(form, "Men41", u("0"));
        type(form, "Men43", u("1234.5"));
        leave(form);
        QCOMPARE(shown(form, {"Men42", "Men45", "Men58", "Men59", "Men60"}),
                 (QStringList{"50.00", "1,234.50", "1,284.50", "", "1,284.50"}));

        box(form, "Ben42")->click();
        QVERIFY(box(form, "Ben40")->isChecked());
        form.showBuilding(2);
        QCOMPARE(edit(form, "Kai30")->text(), QString());
        QVERIFY(!box(form, "Ben40")->isChecked());
        type(form, "Kai30", u("3"));
        type(form, "Kai31", u("1"));
        leave(form);
        QCOMPARE(shown(form, {"Kai43", "Kai44"}), (QStringList{"3F", ""}));
        form.chooser()->setValue(1);  // back with the chooser: nothing was lost
        QCOMPARE(form.shownBuilding(), 1);
        QCOMPARE(shown(form, {"Kai30", "Men58"}), (QStringList{"5", "1,284.50"}));
        QVERIFY(box(form, "Ben42")->isChecked());

        QVERIFY(form.apply());
        // Both buildings saved; the warning comes once, after all of them.
        QCOMPARE(o.prompter.texts(), QStringList{u("【８．階数】の階数が変更されました。「建築物の階別概要」の階名が変更されている場合、"
                                                 "再度変更してください。")});
        QCOMPARE(o.prompter.shown[0].title, u("変更確認警告"));
        QCOMPARE(storedTexts(o.st, "TATEMONOBETU", o.bid, {"Kai30", "Men45", "Ben42"}, 0),
                 (QStringList{"5", "1,234.50", "1"}));
        QCOMPARE(stored(o.st, u("TATEMONOBETU"), o.bid, u("Kai30"), 1).toString(), u("3"));
        QVERIFY(stored(o.st, u("TATEMONOBETU"), o.bid, u("Kai30"), 2).isNull());
        // The floors of the per-floor window are named from the new counts.
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("F1Kai60"), 0).toString(), u("B2"));
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("F1Kai60"), 5).toString(), u("4F"));
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("F1Kai60"), 6).toString(), u("B1"));
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("F1Kai60"), 10).toString(), u("5F"));  // slot 5 kept

        // Saving again without new counts warns no more.
        o.prompter.clear();
        type(form, "Bikou40", u("特になし"));
        QVERIFY(form.apply());
        QVERIFY(o.prompter.shown.isEmpty());
    }

    // What a clerk types stays as typed: full-width digits become digits, a
    // free-text list keeps a text that is the start of one of its items and
    // adds it to the list once, and Ctrl+S saves from the keyboard.
    void typedTextIsKeptAndCtrlSSaves()
    {
        Office o;
        auto& form = o.open<P_TatemonoBetuForm>(1);
        const auto showTabOf = [&form](const char* column) {
            for (int i = 0; i < form.tabs()->count(); ++i)
                if (form.tabs()->widget(i)->isAncestorOf(form.field(u(column))))
                    form.tabs()->setCurrentIndex(i);
        };
        type(form, "Kai30", u("３"));
        QCOMPARE(edit(form, "Kai30")->text(), u("3"));
        QCOMPARE(form.beepCount(), 0);
        showTabOf("Men43");
        type(form, "Men43", u("１，２３４．５"));
        leave(form);
        QCOMPARE(edit(form, "Men43")->text(), u("1,234.50"));

        showTabOf("Yane40");
        const int roofs = rowsOf(o.st, DbFile::MasterData, u("YaneData"));
        QVERIFY(form.items(u("Yane40")).contains(u("ガルバリウム鋼板葺")));
        type(form, "Yane40", u("ガルバリウム鋼板"));
        // Enter reaches the suggestion pop-up when one is open, as keys do.
        QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(combo(form, "Yane40")->currentText(), u("ガルバリウム鋼板"));
        QCOMPARE(focused(), u("Gai40"));  // and Enter moved on
        QCOMPARE(rowsOf(o.st, DbFile::MasterData, u("YaneData")), roofs + 1);
        QVERIFY(form.items(u("Yane40")).contains(u("ガルバリウム鋼板")));
        form.field(u("Yane40"))->setFocus();
        pressEnter();
        QCOMPARE(rowsOf(o.st, DbFile::MasterData, u("YaneData")), roofs + 1);
        type(form, "Gai40", form.items(u("Gai40")).first());  // a known one adds nothing
        pressEnter();
        QCOMPARE(focused(), u("Ura40"));
        QCOMPARE(rowsOf(o.st, DbFile::MasterData, u("GaihekiData")), static_cast<int>(form.items(u("Gai40")).size()));
        pressEnter();
        QCOMPARE(focused(), u("Yuka40"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!form.isEdited());
        QCOMPARE(storedTexts(o.st, "TATEMONOBETU", o.bid, {"Yane40", "Kai30", "Men43"}),
                 (QStringList{"ガルバリウム鋼板", "3", "1,234.50"}));
    }

    void floorsFollowTheBuildingsAndKeepEdits()
    {
        Office o;
        store(o.st, "TATEMONOBETU", o.bid, {{"Kai30", "2"}, {"Kai31", "1"}});
        store(o.st, "TATEMONOBETU", o.bid, {{"Kai30", "1"}}, 1);
        store(o.st, "KAIBETU", o.bid, {{"F1Kai60", "B1"}});
        auto& form = o.open<P_KaibetuForm>(2);
        QVERIFY(!form.isEdited());
        QCOMPARE(columnTexts(form.floorList()), (QStringList{u("B1"), u("2F"), u("3F")}));
        QCOMPARE(edit(form, "F1Ban60")->text(), u("1"));
        QVERIFY(edit(form, "F1Ban60")->isReadOnly());

        form.floorList()->setCurrentItem(form.floorList()->topLevelItem(1));
        QCOMPARE(form.shownFloor(), 1);
        type(form, "F1Kai60", u("1F"));
        QCOMPARE(columnTexts(form.floorList()), (QStringList{u("B1"), u("1F"), u("3F")}));  // renamed at once
        type(form, "F1Takasa", u("2.8"));
        type(form, "F1Kubun60", u("08a010"));  // digits only
        QCOMPARE(edit(form, "F1Kubun60")->text(), u("08010"));
        choose(combo(form, "F1Kubun61Disp"), u("長屋"));
        QCOMPARE(edit(form, "F1Kubun61")->text(), u("08020"));
        leave(form);
        QCOMPARE(edit(form, "F1Takasa")->text(), u("2.80"));

        form.chooser()->setValue(2);
        QCOMPARE(columnTexts(form.floorList()), QStringList{u("1F")});
        QCOMPARE(edit(form, "F1Takasa")->text(), QString());
        type(form, "F1Bikou60", u("二棟目"));
        form.showBuilding(1);
        form.showFloor(1);
        QCOMPARE(shown(form, {"F1Takasa", "F1Kubun61"}), (QStringList{"2.80", "08020"}));

        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "KAIBETU", o.bid, {"F1Kai60", "F1Takasa", "F1Kubun61Disp"}, 1),
                 (QStringList{"1F", "2.80", "長屋"}));
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("F1Bikou60"), 6).toString(), u("二棟目"));
        QCOMPARE(stored(o.st, u("KAIBETU"), o.bid, u("T_KAI"), 1).toInt(), 6);  // carried as it was
        QVERIFY(stored(o.st, u("KAIBETU"), o.bid, u("F1Takasa"), 0).isNull());
    }

    void mainUsePickerHandsBackACode()
    {
        Office o;
        addMasterRow(o.st, "KenchikuButu", {{"CODE", "99"}});  // no number, kind or name
        ShuYoutoForm form(o.st);
        QTreeWidget* list = form.list();
        QCOMPARE(list->topLevelItemCount(), rowsOf(o.st, DbFile::MasterData, u("KenchikuButu")));
        QCOMPARE(list->topLevelItem(2)->text(1), u("製造業"));
        QTreeWidgetItem* blank = list->topLevelItem(list->topLevelItemCount() - 1);
        QCOMPARE(blank->text(2), QString());

        list->setCurrentItem(blank);
        get<QPushButton>(form, u("SendBtn"))->click();
        QCOMPARE(form.result(), u("99"));

        whenModal([](QWidget* w) {
            auto* open = qobject_cast<ShuYoutoForm*>(w);
            open->list()->setCurrentItem(open->list()->topLevelItem(2));
            get<QPushButton>(*open, u("OkBtn"))->click();  // 閉じる: nothing, even with a selection
        });
        QCOMPARE(ShuYoutoForm::choose(o.st), QString());
        whenModal([](QWidget* w) {
            auto* open = qobject_cast<ShuYoutoForm*>(w);
            emit open->list()->itemActivated(open->list()->topLevelItem(2), 0);
        });
        QCOMPARE(ShuYoutoForm::choose(o.st), u("03"));
    }

    // Every entry window from its button, once however often it is asked
    // for and from its menu twin, with its own help page; the windows
    // follow what the others save.
    void theMainWindowOpensOneWindowOfEachKindAndFollowsItsSaves()
    {
        Desk o([](Storage& s, CommandRegistry& c) { EntryWindows::registerOpeners(s, c); }, false);
        MenuForm& menu = o.form;
        ScriptedPrompter& prompter = o.prompter;
        menu.newProject();
        QCOMPARE(menu.currentProject().recordBook.size(), 90);  // made with the project, before its window

        menu.action(u("btnShikiChi"))->trigger();
        auto* site = menu.findChild<P_ShikichiForm*>();
        QVERIFY(site);
        edit(*site, "Tou1")->setText(u("2"));
        QVERIFY(site->apply());
        QCOMPARE(menu.currentProject().buildingCount, 2);
        QCOMPARE(menu.buildingCount(), 2);

        menu.action(u("btnTatemonoBetu"))->trigger();
        auto* buildings = menu.findChild<P_TatemonoBetuForm*>();
        QVERIFY(buildings);
        QCOMPARE(buildings->chooser()->maximum(), 2);
        for (int b = 1; b <= 2; ++b) {
            buildings->showBuilding(b);
            edit(*buildings, "Kai30")->setText(u("2"));
        }
        QVERIFY(buildings->apply());
        QCOMPARE(menu.currentProject().text(menu.currentProject().buildings[1], u("Kai30")), u("2"));

        menu.action(u("btnKaiBetu"))->trigger();
        auto* floors = menu.findChild<P_KaibetuForm*>();
        QVERIFY(floors);
        QCOMPARE(columnTexts(floors->floorList()), (QStringList{u("1F"), u("2F")}));
        // New counts saved while both windows are open reach the floor list.
        buildings->showBuilding(1);
        edit(*buildings, "Kai31")->setText(u("1"));
        QVERIFY(buildings->apply());
        QCOMPARE(columnTexts(floors->floorList()), (QStringList{u("B1"), u("1F"), u("2F")}));
        QVERIFY(!floors->isEdited());
        prompter.clear();  // the buildings' warnings about changed floor counts

        QVERIFY(QDir(o.dir.path()).mkpath(u("MANUAL")));
        for (const QString& page : QDir(QStringLiteral(SD_MANUAL_DIR)).entryList({u("*.html")}))
            QFile::copy(QStringLiteral(SD_MANUAL_DIR "/") + page, o.dir.file(u("MANUAL/") + page));
        const QString links = QString::fromUtf8(readBytes(o.dir.file(u("MANUAL/index.html"))));
        struct Opening {
            const char* key;
            const char* page;
            std::function<EntryForm*()> find;
        };
        const QVector<Opening> openings{
            {"KentukuNushi", "gaiyou.html", [&] { return menu.findChild<P_GaiyouForm*>(); }},
            {"ShikiChi", "shikichi.html", [&] { return menu.findChild<P_ShikichiForm*>(); }},
            {"TatemonoBetu", "tatemono.html", [&] { return menu.findChild<P_TatemonoBetuForm*>(); }},
            {"KaiBetu", "kaibetu.html", [&] { return menu.findChild<P_KaibetuForm*>(); }},
            {"KensaSinsei", "kanryou.html", [&] { return menu.findChild<P_KanryouForm*>(); }},
            {"KoujiTodoke", "kouji.html", [&] { return menu.findChild<P_KoujiForm*>(); }},
            {"Bouka", "bouka.html", [&] { return menu.findChild<P_BoukaForm*>(); }},
            {"Inin", "inin.html", [&] { return menu.findChild<P_IninForm*>(); }},
            {"GyoumuNaiyou", "gyoumu.html", [&] { return menu.findChild<P_GyoumuForm*>(); }},
            {"GyoumuKiroku", "kirokubo.html", [&] { return menu.findChild<P_KirokuboForm*>(); }},
        };
        for (const Opening& w : openings) {
            menu.action(u("btn") + u(w.key))->trigger();
            EntryForm* form = w.find();
            QVERIFY2(form && form->isVisible(), w.key);
            QCOMPARE(form->bid(), menu.currentProject().bid);
            menu.action(u("mn") + u(w.key))->trigger();
            QCOMPARE(menu.findChildren<EntryForm*>().count(form), 1);
            QCOMPARE(w.find(), form);
            QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.texts().join(QLatin1Char('|'))));
            get<QPushButton>(*form, u("HelpBtn"))->click();
            QVERIFY(form->helpForm());
            QVERIFY2(form->helpForm()->pageFound(), w.page);
            QVERIFY(form->helpForm()->page().endsWith(u("MANUAL/") + u(w.page)));
            QVERIFY2(links.contains(u("href=\"") + u(w.page) + u("\"")), w.page);
        }
        // What the record book's window saves is what the main window keeps.
        auto* book = menu.findChild<P_KirokuboForm*>();
        edit(*book, P_KirokuboForm::contentField(2).toLatin1().constData())->setText(u("初回打合せ"));
        QVERIFY(book->apply());
        QCOMPARE(menu.currentProject().recordBook.value(1).content, u("初回打合せ"));

        site->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(menu.findChildren<P_ShikichiForm*>().isEmpty());  // gone with its closing
    }

    // Writers outside the windows check numeric text columns against the
    // core's list; it must name exactly the fields the windows filter.
    void numericTextColumnsMatchTheWindows()
    {
        QStringList missing, extra;
        QSet<QString> filtered;
        for (const FieldTable& t : {P_GaiyouForm::fieldTable(), P_BoukaForm::fieldTable(), P_GyoumuForm::fieldTable(),
                                    P_IninForm::fieldTable(), P_KaibetuForm::fieldTable(), P_KanryouForm::fieldTable(),
                                    P_KoujiForm::fieldTable(), P_ShikichiForm::fieldTable(),
                                    P_TatemonoBetuForm::fieldTable(), RowTables::parts(), RowTables::persons(1),
                                    RowTables::persons(3)}) {
            for (const FieldDef& f : t.fields) {
                const TextNumbers::Kind want = f.kind == FieldKind::Digit ? TextNumbers::Kind::Digit
                                               : (f.kind == FieldKind::Decimal || f.kind == FieldKind::Amount)
                                                   ? TextNumbers::Kind::Decimal
                                                   : TextNumbers::Kind::None;
                if (want == TextNumbers::Kind::None)
                    continue;
                const QString key = t.table.toUpper() + QLatin1Char('.') + f.storedColumn().toUpper();
                filtered.insert(key);
                if (TextNumbers::kindOf(t.table, f.storedColumn()) != want)
                    missing << QStringLiteral("%1 \"%2.%3\"").arg(want == TextNumbers::Kind::Digit ? "digit" : "decimal", t.table, f.storedColumn());
            }
            for (const ColumnDef& c : DatabaseSchema::builtIn(DbFile::Kakunin).table(t.table)->columns)
                if (TextNumbers::kindOf(t.table, c.name) != TextNumbers::Kind::None
                    && !filtered.contains(t.table.toUpper() + QLatin1Char('.') + c.name.toUpper()))
                    extra << t.table + QLatin1Char('.') + c.name;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(u("not in TextNumbers: ") + missing.join(u(", "))));
        QVERIFY2(extra.isEmpty(), qPrintable(extra.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(TestEntryWindows)
#include "tst_entrywindows.moc"
