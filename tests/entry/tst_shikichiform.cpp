#include "EntryTestSupport.h"
#include "P_ShikichiForm.h"
#include "TestSupport.h"

using namespace EntryTest;

// The site window as a clerk works it, and with it the protocol that every
// entry window shares: loading, the edited state, Apply, the closing
// prompt, the filters and formats, and the Enter order.
class TestShikichiForm : public QObject {
    Q_OBJECT

private:
    static QVariant site(Storage& s, qint64 bid, const char* column)
    {
        return stored(s, u("SHIKICHI"), bid, u(column));
    }

private slots:
    void loadingShowsStoredValuesAndNeverEnablesApply()
    {
        Office o;
        store(o.st, "SHIKICHI", o.bid, {{"Tiban", "千代田区一番町1-1"}, {"Size5", "1,234.50"}, {"Size13", "どこにもない地域"},
                                        {"Size17", "1234.5"}, {"Shubetu1", 1}, {"Umu2", 1}, {"shubetu3", 0}});

        auto& form = o.open<P_ShikichiForm>();
        QCOMPARE(shown(form, {"Tiban", "Size5"}), (QStringList{"千代田区一番町1-1", "1,234.50"}));
        // A stored text that is not an item still shows as the list's text.
        QCOMPARE(combo(form, "Size13")->currentText(), u("どこにもない地域"));
        QCOMPARE(label(form, "Size17")->text(), u("1234.5"));  // shown as stored, not recomputed
        QVERIFY(box(form, "Shubetu1")->isChecked());
        // The check-box rules also ran on loading.
        QVERIFY(!box(form, "shubetu2")->isEnabled());
        QVERIFY(!box(form, "Kubun10")->isEnabled());
        QVERIFY(combo(form, "Size14")->count() > 10);  // the code list is there
        QVERIFY(!form.isEdited());
        QVERIFY(!form.applyButton()->isEnabled());
        QCOMPARE(form.tabs()->currentIndex(), 0);
        QCOMPARE(focused(), u("Tiban"));

        keys(edit(form, "Jdisp"), u("1"));
        QVERIFY(form.isEdited());
        QVERIFY(o.prompter.shown.isEmpty());
        form.applyButton()->click();
        QVERIFY(!form.isEdited());
        QVERIFY(form.isVisible());  // Apply keeps the window open
        QCOMPARE(site(o.st, o.bid, "Jdisp").toString(), u("1"));
    }

    void applyWritesOnlyTheChangedColumns()
    {
        Office o;
        store(o.st, "SHIKICHI", o.bid, {{"Sonota1", "第一種高度地区"}});
        auto& form = o.open<P_ShikichiForm>();
        type(form, "Tiban", u("港区芝公園4-2-8"));
        box(form, "Bou2")->click();
        // Another computer changes a column meanwhile: the window compares
        // with what is stored when it saves, so its own text wins there.
        std::unique_ptr<Storage> other = o.dir.openAnother();
        store(*other, "SHIKICHI", o.bid, {{"Jdisp", "芝公園四丁目"}});
        other->closeAll();
        QVERIFY(form.apply());

        // Tiban was null before: written.
        QCOMPARE(storedTexts(o.st, "SHIKICHI", o.bid, {"Tiban", "Bou2", "Sonota1"}), (QStringList{"港区芝公園4-2-8", "1", "第一種高度地区"}));
        // Unchanged empty fields and boxes leave their null columns alone.
        QVERIFY(site(o.st, o.bid, "Size5").isNull());
        QVERIFY(site(o.st, o.bid, "Tosi1").isNull());
        QVERIFY(site(o.st, o.bid, "Size17").isNull());
        QCOMPARE(site(o.st, o.bid, "Jdisp").toString(), QString());
    }

    void closingPromptAnswers()
    {
        Office o;
        auto& first = o.open<P_ShikichiForm>();
        first.okButton()->click();  // nothing edited: closes without asking
        QVERIFY(!first.isVisible());
        QVERIFY(o.prompter.shown.isEmpty());
        auto& form = o.open<P_ShikichiForm>();
        type(form, "Tiban", u("一番町"));

        o.prompter.answers.enqueue(Prompter::Cancel);
        form.okButton()->click();
        QCOMPARE(o.prompter.shown.size(), 1);
        QCOMPARE(o.prompter.shown[0].title, u("終了確認画面"));
        QCOMPARE(o.prompter.shown[0].text, u("データが編集されています。　保存しますか？"));
        QCOMPARE(o.prompter.shown[0].buttons, Prompter::Yes | Prompter::No | Prompter::Cancel);
        QVERIFY(form.isVisible());
        QCOMPARE(edit(form, "Tiban")->text(), u("一番町"));
        QVERIFY(form.isEdited());

        o.prompter.answers.enqueue(Prompter::No);
        form.okButton()->click();
        QVERIFY(!form.isVisible());
        QVERIFY(site(o.st, o.bid, "Tiban").isNull());

        auto& third = o.open<P_ShikichiForm>();
        type(third, "Tiban", u("二番町"));
        o.prompter.answers.enqueue(Prompter::Yes);
        third.close();
        QVERIFY(!third.isVisible());
        QCOMPARE(site(o.st, o.bid, "Tiban").toString(), u("二番町"));
    }

    void aProjectWithoutItsRowShowsEmptyFieldsAndWritesNothing()
    {
        Office o;
        {
            Recordset rs(o.st, DbFile::Kakunin);
            QVERIFY(rs.open(u("SHIKICHI"), u("B_ID"), o.bid));
            QVERIFY(rs.deleteCurrent());
        }
        const int before = rowsOf(o.st, DbFile::Kakunin, u("SHIKICHI"));
        auto& form = o.open<P_ShikichiForm>();
        QCOMPARE(edit(form, "Tiban")->text(), QString());
        type(form, "Tiban", u("どこか"));
        QVERIFY(form.apply());
        QVERIFY(o.prompter.shown.isEmpty());
        QCOMPARE(rowsOf(o.st, DbFile::Kakunin, u("SHIKICHI")), before);
    }

    void numericFiltersAndFormats()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        QLineEdit* size5 = edit(form, "Size5");

        type(form, "Size5", u("12a.5"));
        QCOMPARE(size5->text(), u("12.5"));
        QCOMPARE(form.beepCount(), 1);
        QCOMPARE(size5->cursorPosition(), size5->text().size());

        size5->setFocus();
        size5->setText(u("1 2/3ｘ"));  // pasted: every bad character goes, one beep each
        QCOMPARE(size5->text(), u("123"));
        QCOMPARE(form.beepCount(), 4);

        type(form, "Size5", u("1,234.5"));  // the grouping comma passes the filter
        leave(form);
        QCOMPARE(size5->text(), u("1,234.50"));
        size5->setFocus();
        size5->selectAll();
        QTest::keyClick(size5, Qt::Key_Backspace);
        leave(form);
        QCOMPARE(size5->text(), QString());

        const int beeps = form.beepCount();
        type(form, "Kai1", u("2.5"));  // digits only
        QCOMPARE(edit(form, "Kai1")->text(), u("25"));
        QCOMPARE(form.beepCount(), beeps + 1);
        leave(form);
        QCOMPARE(edit(form, "Kai1")->text(), u("25"));  // no format
        type(form, "Kin1", u("1,200万"));  // plain: as typed
        QCOMPARE(edit(form, "Kin1")->text(), u("1,200万"));

        // The named numeric fields select their whole text on focus.
        edit(form, "Size5")->setText(u("9.00"));
        edit(form, "Tiban")->setText(u("一番町"));
        edit(form, "Size6")->setFocus(Qt::TabFocusReason);
        edit(form, "Size5")->setFocus(Qt::TabFocusReason);
        QCOMPARE(edit(form, "Size5")->selectedText(), u("9.00"));
        // Focus shows white on black in text fields; lists keep their look.
        QCOMPARE(edit(form, "Size5")->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(edit(form, "Size5")->palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(edit(form, "Size6")->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    }

    void sumsAndRatios()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        // Building area before any site area: the notice's 0.
        type(form, "Men1", u("150.25"));
        leave(form);
        QCOMPARE(label(form, "Par11")->text(), u("0.00"));

        type(form, "Size5", u("100.5"));
        pressEnter();
        type(form, "Size6", u("200"));
        leave(form);
        QCOMPARE(shown(form, {"Size17", "Size6"}), (QStringList{"300.5", "200.00"}));
        type(form, "Size9", u("80"));
        leave(form);
        QCOMPARE(label(form, "Size18")->text(), u("80"));

        // Changing the site area alone does not recompute the ratio.
        QCOMPARE(label(form, "Par11")->text(), u("0.00"));
        type(form, "Men1", u("150.25"));
        leave(form);
        QCOMPARE(shown(form, {"Men3", "Par11"}), (QStringList{"150.25", "50.00"}));

        // Row ロ, when given, is what the ratio rests on.
        type(form, "Men20", u("120.2"));
        leave(form);
        QCOMPARE(shown(form, {"Men22", "Par11"}), (QStringList{"120.2", "40.00"}));

        form.tabs()->setCurrentIndex(2);
        QCOMPARE(focused(), u("Men4"));
        type(form, "Men4", u("120"));
        pressEnter();
        type(form, "Men5", u("30"));
        leave(form);
        QCOMPARE(shown(form, {"Men6", "Men19", "Par12"}), (QStringList{"150", "150.00", "49.92"}));
        type(form, "Men16", u("40.5"));
        leave(form);
        QCOMPARE(label(form, "Men18")->text(), u("40.5"));
        QCOMPARE(label(form, "Men19")->text(), u("150.00"));  // the parts do not add to the total
        // The rows added since sum as the others do, in the form's order.
        type(form, "Men41", u("1.5"));
        pressEnter();
        QCOMPARE(focused(), u("Men42"));
        keys(QApplication::focusWidget(), u("2"));
        pressEnter();
        QCOMPARE(focused(), u("Men44"));
        QCOMPARE(label(form, "Men43")->text(), u("3.5"));
    }

    void constructionPeriod()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        form.tabs()->setCurrentIndex(3);
        QCOMPARE(focused(), u("Taka1"));
        auto* compute = get<QPushButton>(form, u("KeisanBtn"));
        QCOMPARE(compute->text(), u("自動計算"));

        type(form, "Day1", u("2005/01/20"));
        type(form, "Day2", u("2005/03/10"));
        form.applyButton()->click();
        compute->click();
        QCOMPARE(edit(form, "KoujiKikan")->text(), u("1ヶ月18日"));
        QVERIFY(form.isEdited());
        QVERIFY(o.prompter.shown.isEmpty());

        type(form, "Day1", u("2005/05/01"));
        type(form, "Day2", u("2005/04/01"));
        compute->click();
        QCOMPARE(o.prompter.texts(), QStringList{u("日付が正確に入力されてません。　確認してください。")});
        QCOMPARE(o.prompter.shown[0].title, u("警告"));
        QCOMPARE(focused(), u("Day1"));
        QCOMPARE(edit(form, "KoujiKikan")->text(), u("1ヶ月18日"));  // left as it was
        type(form, "Day2", u("五月ごろ"));
        compute->click();
        QCOMPARE(focused(), u("Day2"));
    }

    void enterWalksTheFieldsAndStopsAtTheEndOfATab()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        QCOMPARE(enterWalk(7), (QStringList{u("Tiban"), u("Jdisp"), u("Sonota1"), u("Size1"), u("Size2"), u("Size4"),
                                            u("Size3"), u("Size5")}));
        edit(form, "Jdisp")->setText(u("芝公園"));
        // Enter into a text field puts the caret at its end, nothing selected.
        edit(form, "Tiban")->setFocus();
        pressEnter();
        QCOMPARE(edit(form, "Jdisp")->selectedText(), QString());
        QCOMPARE(edit(form, "Jdisp")->cursorPosition(), 3);

        edit(form, "Par10")->setFocus();
        QCOMPARE(enterWalk(2), (QStringList{u("Par10"), u("SikiBikou")}));  // the end of the tab
        form.tabs()->setCurrentIndex(1);
        QCOMPARE(enterWalk(3), (QStringList{u("Kubun"), u("KubunDisp"), u("Youto"), u("Men1")}));
        form.tabs()->setCurrentIndex(3);
        edit(form, "Bikou10")->setFocus();
        QCOMPARE(enterWalk(1), QStringList{u("Bikou10")});
    }

    // A use class chosen by name sets its code; the box groups' rules
    // (tst_entryrules' boxGroups) reach the boxes on the screen.
    void listsAndBoxGroupsOnScreen()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        choose(combo(form, "KubunDisp"), u("共同住宅"));
        QCOMPARE(form.keptCode(u("KubunDisp"), combo(form, "KubunDisp")->currentIndex()), u("08030"));
        QCOMPARE(edit(form, "Kubun")->text(), u("08030"));
        box(form, "Tosi3")->click();
        QVERIFY(box(form, "Tosi1")->isChecked());
        box(form, "shubetu4")->click();
        box(form, "Shubetu1")->click();
        QVERIFY(!box(form, "shubetu4")->isChecked());
        QVERIFY(!box(form, "shubetu4")->isEnabled());
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "SHIKICHI", o.bid, {"Kubun", "KubunDisp", "Tosi1", "Tosi3", "Shubetu1", "shubetu4"}),
                 (QStringList{"08030", "共同住宅", "1", "1", "1", ""}));
    }

    // A site filled in the window is what the command-line tool reads back.
    void filledSiteIsStoredAndReadBack()
    {
        Office o;
        auto& form = o.open<P_ShikichiForm>();
        type(form, "Size5", u("100.5"));
        type(form, "Size6", u("200"));
        type(form, "Men1", u("150.25"));
        leave(form);
        form.applyButton()->click();
        form.close();
        QCOMPARE(storedTexts(o.st, "SHIKICHI", o.bid, {"Size5", "Size6", "Men1"}), (QStringList{"100.50", "200.00", "150.25"}));
        o.st.closeAll();
        const ProcessRun cli = runProcess(QStringLiteral(SD_CLI_PATH), {u("--appdir"), o.dir.path(), u("project"), u("get"),
                                          QString::number(o.bid), u("SHIKICHI"), u("Size17"), u("Par11")});
        QCOMPARE(cli.code, 0);
        QCOMPARE(cli.out.trimmed(), u("Size17=300.5\nPar11=50.00"));
    }
};

QTEST_MAIN(TestShikichiForm)
#include "tst_shikichiform.moc"
