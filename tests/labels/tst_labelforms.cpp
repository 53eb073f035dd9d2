#include "DMLabelForm.h"
#include "DMUserForm.h"
#include "FreshOffice.h"
#include "LabelPreview.h"
#include "LabelPrint.h"
#include "LabelTestSupport.h"
#include "Labels.h"
#include "MenuForm.h"
#include "Recipients.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace labeltest;

namespace {

// Every word of the PDF lies inside one label of the layout, and the
// words of each recipient's name lie inside the label it was given.
void checkWordsInsideLabels(const PdfText& pdf, const LabelJob& job)
{
    // pdftotext's y is the glyph box of the font (ascent to descent): the
    // boxes may touch a label's edge by a hair but never cross it.
    const LabelLayout& layout = job.layout;
    const auto inLabel = [&layout](int label, const Word& w) {
        return layout.labelRect(label).adjusted(-0.3, -0.3, 0.3, 0.3).contains(w.box);
    };
    QVERIFY(!pdf.words.isEmpty());
    for (const Word& w : pdf.words) {
        bool inside = false;
        for (int i = 0; i < layout.labelsPerSheet() && !inside; ++i)
            inside = inLabel(i, w);
        QVERIFY2(inside, qPrintable(QStringLiteral("page %1: 「%2」 at %3 (mm) is outside every label")
                                        .arg(w.page + 1)
                                        .arg(w.text, QDebug::toString(w.box))));
    }
    const int n = static_cast<int>(job.recipients.size());
    int checked = 0;
    for (int page = 0; page < job.pageCount(); ++page) {
        for (int label = 0; label < layout.labelsPerSheet(); ++label) {
            const int who = job.plan.recipientAt(page, label, n);
            if (who < 0)
                continue;
            const QString name = job.recipients[who].name1 + job.recipients[who].name2;
            const bool found = std::any_of(pdf.words.cbegin(), pdf.words.cend(), [&](const Word& w) {
                return w.page == page && w.text == name && inLabel(label, w);
            });
            QVERIFY2(found, qPrintable(QStringLiteral("%1 not on page %2 label %3").arg(name).arg(page + 1).arg(label + 1)));
            ++checked;
        }
    }
    QCOMPARE(checked, n);
}

void click(QWidget& w, const char* name) { child<QAbstractButton>(w, name)->click(); }

// Typing, Japanese included (QTest's key clicks know ASCII only).
void type(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void pressEnter(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    type(e, text);
    QTest::keyClick(e, Qt::Key_Return);
}

// A mouse drag inside the preview, with the moves a real hand makes.
void drag(QWidget* w, QPointF from, QPointF to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from.toPoint());
    const QPointF step = (to - from) / 6.0;
    for (int i = 1; i <= 6; ++i) {
        QMouseEvent move(QEvent::MouseMove, from + step * i, w->mapToGlobal(from + step * i), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to.toPoint());
}

// What the window asks while it does act, answered with answer.
template <class F>
QStringList asked(ScriptedPrompter& prompter, Prompter::Button answer, F act)
{
    prompter.clear();
    prompter.answers.enqueue(answer);
    act();
    return prompter.texts();
}

// One print of printOutcomes: start is the label clicked (ランダム: every
// other one from it, -1 none), widen the mm added to the left margin,
// stopAfter the pages before the progress stops it (0 never).
struct PrintCase {
    const char* sheet;
    LabelPlan::StartMode mode;
    int start, recipients;
    double widen;
    Prompter::Button answer;
    int stopAfter;
    LabelPrint::Outcome outcome;
    int pages;
};

}  // namespace

Q_DECLARE_METATYPE(PrintCase)

// The two label windows as a clerk uses them: recipients picked from the
// masters, a layout adjusted on the preview and saved, the free labels of
// a started sheet chosen, and the sheets printed to a PDF file.
class TestLabelForms : public QObject, private FreshOffice {
    Q_OBJECT

private slots:
    void init() { begin(); }
    void cleanup() { dir.reset(); }

    void recipientSelectionKeepsItsChoiceAfterClosing()
    {
        Storage& s = dir->storage();
        const qint64 folder = addRow(s, DbFile::SaleData, u("UserFolder"), {{u("F_ID"), 5}, {u("Folder"), u("年賀状")}});
        addCustomers(s, 6);
        addCustomer(s, {u("佐藤"), u("花子"), u("530-0001"), u("大阪府"), u("大阪市北区梅田1-1"), QString(), QString(), QString(), folder, u("06-6123-4567")});
        addCustomer(s, {u("住所なし"), QString(), QString(), u("大阪府"), QString(), QString(), QString(), QString(), folder});

        RecipientChoice chosen;
        {
            DMUserForm form(s, chosen);
            form.show();
            QCOMPARE(columnTexts(form.sourceList()), (QStringList{u("全表示"), u("顧客一覧"), u("年賀状"), u("業者"), u("取引先")}));
            // 全表示 is listed on opening.
            QCOMPARE(form.candidateList()->topLevelItemCount(), 8);
            QCOMPARE(form.candidateList()->topLevelItem(0)->text(1), u("東京都"));

            click(form, "AllPop");
            QCOMPARE(form.candidateList()->selectedItems().size(), 8);
            click(form, "Command1");
            QCOMPARE(form.selectionList()->topLevelItemCount(), 7);
            QVERIFY(form.note().contains(u("7件を追加しました。")) && form.note().contains(u("名前か住所2のない1件")));
            click(form, "Command1");  // the same marks again
            QVERIFY(form.note().contains(u("選択済みの7件")));
            click(form, "AllClear");
            QVERIFY(form.candidateList()->selectedItems().isEmpty());

            // Taking two out again.
            form.selectionList()->topLevelItem(0)->setSelected(true);
            form.selectionList()->topLevelItem(2)->setSelected(true);
            click(form, "DelBtn");
            QCOMPARE(form.selectionList()->topLevelItemCount(), 5);  // which five: the window opened again below

            // The telephone search finds 佐藤 in her folder and marks her.
            form.selectSource(3);
            pressEnter(child(form, "TelText"), u("0661"));
            QCOMPARE(form.currentSource(), 2);
            QCOMPARE(form.candidateList()->selectedItems().size(), 1);
            QCOMPARE(form.candidateList()->selectedItems().first()->text(0), u("佐藤 花子"));
            pressEnter(child(form, "TelText"), u("0999"));
            QVERIFY(form.note().contains(u("見つかりませんでした")));
            click(form, "CloseBtn");
            QVERIFY(!form.isVisible());
        }
        // The choice outlives the window, and the next one shows it.
        DMUserForm again(s, chosen);
        QCOMPARE(columnTexts(again.selectionList()),
                 (QStringList{u("顧客02 太郎"), u("顧客04 太郎"), u("顧客05 太郎"), u("顧客06 太郎"), u("佐藤 花子")}));
        QVERIFY(prompter.shown.isEmpty());
    }

    void layoutIsEditedOnThePreviewAndSaved()
    {
        Storage& s = dir->storage();
        RecipientChoice chosen;
        DMLabelForm form(s, chosen);
        QVERIFY(showAndWait(form));
        auto* combo = child<QComboBox>(form, "DMCombo");
        QVERIFY(combo->count() >= 2);
        QVERIFY(combo->currentText().startsWith(u("A4 12面")));
        for (const auto& [field, shown] : {std::pair{"SpaceText0", "21.5"}, {"SpaceText6", "86.4"}, {"RetuText", "2"}, {"GyouText", "6"}})
            QCOMPARE(child(form, field)->text(), QString::fromLatin1(shown));
        QCOMPARE(form.pageCount(), 1);
        QVERIFY(!form.isEdited());

        // New starts from the sheet shown and waits for a name.
        click(form, "Command1");
        QCOMPARE(combo->currentText(), u("<新規>"));
        QCOMPARE(child(form, "DMnameText")->text(), u("<新規>"));
        QVERIFY(form.isEdited());
        const qint64 id = form.job().layout.id;
        child(form, "DMnameText")->setText(QString());
        type(child(form, "DMnameText"), u("自社 2列"));

        // Spacing: Enter in a field, and the up-down buttons.
        pressEnter(child(form, "SpaceText2"), u("２０"));  // full-width digits are read as well
        QCOMPARE(form.job().layout.spacing[LabelLayout::MLeft], 20.0);
        QCOMPARE(form.job().layout.labelRect(1).left(), 20.0 + 86.4);
        for (int i = 0; i < 2; ++i)
            child<QToolButton>(*child<QWidget>(form, "LBUpDown0"), "up")->click();
        QCOMPARE(child(form, "SpaceText0")->text(), u("21.7"));
        child<QToolButton>(*child<QWidget>(form, "GyouUpDown"), "down")->click();
        QCOMPARE((QList<int>{form.job().layout.rows, form.job().plan.labelsPerSheet()}), (QList<int>{5, 10}));
        pressEnter(child(form, "SpaceText2"), u("abc"));
        QCOMPARE(prompter.shown.last().text, u("数値をミリメートルで入力してください。"));
        QCOMPARE(child(form, "SpaceText2")->text(), u("20"));
        pressEnter(child(form, "SpaceText5"), u("40"));  // two 86.4 mm columns and a gap of 40 run off A4
        QVERIFY(child<QLabel>(form, "LayoutNote")->isVisible());
        pressEnter(child(form, "SpaceText5"), u("2"));
        QVERIFY(!child<QLabel>(form, "LayoutNote")->isVisible());

        // Dragging the name of the fourth label moves it in every label, on the grid.
        LabelPreview* preview = form.preview();
        const QPointF from = preview->elementCentre(3, LabelElement::Name);
        QCOMPARE(preview->hitTest(from).element, int(LabelElement::Name));
        const double mm = preview->pxPerMm();
        const QPointF to = from + QPointF(-2.0 * LabelGrid::kColumnMm * mm, 1.1 * LabelGrid::kRowMm * mm);
        const ElementSpec before = form.job().layout.element(LabelElement::Name);
        drag(preview, from, to);
        const ElementSpec after = form.job().layout.element(LabelElement::Name);
        QCOMPARE((QList<int>{after.column, after.row}), (QList<int>{before.column - 2, before.row + 1}));
        QCOMPARE(preview->hitTest(preview->elementCentre(0, LabelElement::Name)).element, int(LabelElement::Name));

        // The font of an element.
        auto* elem = child<QComboBox>(form, "ElemCombo");
        QCOMPARE(elem->currentIndex(), int(LabelElement::Name));  // the element taken by the drag
        child<QComboBox>(form, "FontName")->setCurrentText(u("ＭＳ ゴシック"));
        child<QDoubleSpinBox>(form, "FontSize")->setValue(16);
        const ElementSpec& font = form.job().layout.element(LabelElement::Name);
        QVERIFY(font.fontName == u("ＭＳ ゴシック") && font.fontSize == 16.0);

        // Save asks, then writes the layout and makes it the one to open with.
        QCOMPARE(asked(prompter, Prompter::Yes, [&] { click(form, "SaveBtn"); }),
                 QStringList{u("現在の位置情報を保存します。　よろしいですか？")});
        QVERIFY(!form.isEdited());
        QCOMPARE(combo->currentText(), u("自社 2列"));
        LabelLayoutStore store(s);
        LabelLayout saved;
        bool found = false;
        QVERIFY(store.load(id, &saved, &found) && found);
        QCOMPARE(saved.rows, 5);
        QCOMPARE(saved.spacing[LabelLayout::MUp], 21.7);
        QCOMPARE(saved.spacing[LabelLayout::MLeft], 20.0);
        QVERIFY(saved.element(LabelElement::Name) == form.job().layout.element(LabelElement::Name));
        qint64 active = 0;
        QVERIFY(store.activeId(&active));
        QCOMPARE(active, id);

        // Switching to another layout with edits asks first; No discards them.
        pressEnter(child(form, "SpaceText1"), u("30"));
        QCOMPARE(asked(prompter, Prompter::No, [&] { form.chooseLayout(0); }), QStringList{u("データが編集されています。　保存しますか？")});
        QVERIFY(combo->currentText().startsWith(u("A4 12面")));
        QVERIFY(store.load(id, &saved, &found) && found);
        QCOMPARE(saved.spacing[LabelLayout::MDown], 21.5);

        // Deleting: asked each time, the last layout is refused.
        for (int layouts = combo->count(); layouts > 1; --layouts) {
            prompter.answers.enqueue(Prompter::Yes);
            click(form, "DelBtn");
            QCOMPARE(combo->count(), layouts - 1);
        }
        QCOMPARE(asked(prompter, Prompter::Yes, [&] { click(form, "DelBtn"); }),
                 (QStringList{u("現在の位置情報を削除します。　よろしいですか？"), u("これ以上削除は出来ません。")}));
        QCOMPARE(combo->count(), 1);
        QVERIFY(store.activeId(&active));
        QCOMPARE(active, form.job().layout.id);

        // Closing with edits: Yes saves them.
        pressEnter(child(form, "SpaceText3"), u("5"));
        QCOMPARE(asked(prompter, Prompter::Yes, [&] { click(form, "CloseBtn"); }), QStringList{u("データが編集されています。　保存しますか？")});
        QVERIFY(!form.isVisible());
        QVERIFY(store.load(form.job().layout.id, &saved, &found) && found);
        QCOMPARE(saved.spacing[LabelLayout::MRight], 5.0);
    }

    void startPositionsPagesAndPrintingToPdf()
    {
        Storage& s = dir->storage();
        addCustomers(s, 30);
        RecipientChoice chosen;
        DMLabelForm form(s, chosen);
        const QString pdf = dir->file(QStringLiteral("dm.pdf"));
        form.setPdfChooser([pdf](QWidget*, const QString& suggested) {
            return suggested.endsWith(u("DMラベル.pdf")) ? pdf : QString();
        });
        QVERIFY(showAndWait(form));
        QCOMPARE(child<QComboBox>(form, "HonoCombo")->currentText(), u("御中"));
        child<QComboBox>(form, "PrnTarget")->setCurrentText(DMLabelForm::kPdfTarget);

        // The clerk marks everything of 全表示 and closes the selection.
        whenModal([](QWidget* w) {
            auto* users = qobject_cast<DMUserForm*>(w);
            QVERIFY(users);
            users->selectSource(0);
            users->markAll();
            users->addMarked();
            users->accept();
        });
        click(form, "UserPop");
        auto* grid = child<QTableWidget>(form, "MSFlexGrid1");
        QCOMPARE(grid->rowCount(), 30);
        QCOMPARE(form.pageCount(), 3);  // 12 + 12 + 6
        QCOMPARE((QStringList{child<QLabel>(form, "ChoiceNum")->text(), grid->item(0, 0)->text(), grid->item(0, 1)->text(),
                              child<QLabel>(form, "PageLabel")->text()}),
                 (QStringList{u("30"), u("100-0001"), u("顧客01"), u("/ 3 ページ")}));
        QVERIFY(!child<QToolButton>(form, "BackBtn")->isEnabled());

        // 指定位置: a click on the fifth label of the first page.
        click(form, "PosBtn");
        LabelPreview* preview = form.preview();
        QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, preview->labelCentre(4).toPoint());
        QCOMPARE(form.job().plan.usedOnFirstSheet(), 8);
        QCOMPARE(form.pageCount(), 3);  // 8 + 12 + 10
        click(form, "NextBtn");
        click(form, "NextBtn");
        QCOMPARE(form.currentPage(), 2);
        QVERIFY(!child<QToolButton>(form, "NextBtn")->isEnabled());
        // Labels of later pages are not start positions.
        QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, preview->labelCentre(0).toPoint());
        QCOMPARE(form.job().plan.startPosition(), 4);
        pressEnter(child(form, "PageText"), u("1"));
        QCOMPARE(form.currentPage(), 0);

        // ランダム starts without a label.
        click(form, "RndmBtn");
        QCOMPARE(form.pageCount(), 0);
        // Two labels clicked: 2 on the first sheet, then 12, 12, 4.
        for (int label : {1, 10})
            QTest::mouseClick(preview, Qt::LeftButton, Qt::NoModifier, preview->labelCentre(label).toPoint());
        QCOMPARE(form.pageCount(), 4);
        QCOMPARE(form.job().plan.recipientAt(0, 10, 30), 1);

        // Printed to a PDF file with the honorific chosen.
        child<QComboBox>(form, "HonoCombo")->setCurrentText(u("様"));
        QCOMPARE(asked(prompter, Prompter::Yes, [&] { click(form, "PrnBtn"); }), QStringList{u("印刷を行います。　よろしいですか？")});
        QCOMPARE(int(form.lastOutcome()), int(LabelPrint::Outcome::Printed));
        QCOMPARE(form.lastPages(), 4);
        QVERIFY(child<QLabel>(form, "PrintNote")->text().contains(u("4 ページ")));
        const PdfText text = readPdf(pdf, dir->path());
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        QCOMPARE(text.pages, 4);
        checkWordsInsideLabels(text, form.job());
        const QRectF second = form.job().layout.labelRect(1);
        QVERIFY(std::any_of(text.words.cbegin(), text.words.cend(), [&](const Word& w) {
            return w.page == 0 && w.text == u("様") && second.contains(w.box.center());
        }));

        // Switching back to TOP位置 uses the whole first sheet.
        click(form, "TopBtn");
        QCOMPARE(form.pageCount(), 3);
        QVERIFY(!form.isEdited());
    }

    // Each print ends one way: printed, with every word inside its label,
    // or stopped short with the reason told and the rest unprinted.
    void printOutcomes_data()
    {
        using O = LabelPrint::Outcome;
        const auto top = LabelPlan::StartMode::Top, random = LabelPlan::StartMode::Random;
        const auto yes = Prompter::Yes;
        QTest::addColumn<PrintCase>("c");
        QTest::newRow("A4 12面, from label 5") << PrintCase{"A4 12面", LabelPlan::StartMode::Position, 4, 30, 0.0, yes, 0, O::Printed, 3};
        QTest::newRow("A4 24面, whole sheets") << PrintCase{"A4 24面", top, -1, 30, 0.0, yes, 0, O::Printed, 2};
        QTest::newRow("A4 21面, random labels") << PrintCase{"A4 21面", random, 3, 30, 0.0, yes, 0, O::Printed, 2};
        QTest::newRow("no recipients") << PrintCase{"A4 12面", top, -1, 0, 0.0, yes, 0, O::NoRecipients, 0};
        QTest::newRow("no label clicked") << PrintCase{"A4 12面", random, -1, 5, 0.0, yes, 0, O::NoLabels, 0};
        QTest::newRow("answered No") << PrintCase{"A4 12面", top, -1, 5, 0.0, Prompter::No, 0, O::Declined, 0};
        QTest::newRow("sheet off the paper") << PrintCase{"A4 12面", top, -1, 5, 40.0, yes, 0, O::Failed, 0};
        QTest::newRow("stopped") << PrintCase{"A4 12面", top, -1, 30, 0.0, yes, 2, O::Cancelled, 2};
    }

    void printOutcomes()
    {
        QFETCH(PrintCase, c);
        const auto& [sheet, mode, start, recipients, widen, answer, stopAfter, outcome, pages] = c;
        Storage& s = dir->storage();
        addCustomers(s, recipients);
        RecipientStore store(s);
        QVector<RecipientSource> sources;
        QVector<Recipient> all;
        QVERIFY(store.sources(&sources) && store.candidates(sources[0], &all));

        LabelJob job;
        job.layout = seededLayout(s, u(sheet));
        job.layout.spacing[LabelLayout::MLeft] += widen;
        job.plan.setLabelsPerSheet(job.layout.labelsPerSheet());
        job.plan.setMode(mode);
        for (int i = start; i >= 0 && i < job.layout.labelsPerSheet(); i += mode == LabelPlan::StartMode::Random ? 2 : 99)
            job.plan.clickLabel(i);
        RecipientSelection::add(job.recipients, all);
        job.honorific = u("様");

        prompter.answers.enqueue(answer);
        const QString pdf = dir->file(QStringLiteral("labels.pdf"));
        int printed = -1, progressCalls = 0;
        const auto result = LabelPrint::run(job, PrnCommon::Target{QString(), pdf}, [&](int done, int total) {
            ++progressCalls;
            return done <= total && done != stopAfter;
        }, &printed);
        QCOMPARE((QList<int>{int(result), printed, progressCalls}), (QList<int>{int(outcome), pages, pages}));
        // The question first; a print that cannot start says why, under 印刷警告 when the sheet is at fault.
        QCOMPARE(prompter.shown[0].text, u("印刷を行います。　よろしいですか？"));
        const bool told = result == LabelPrint::Outcome::NoRecipients || result == LabelPrint::Outcome::NoLabels
                          || result == LabelPrint::Outcome::Failed;
        QCOMPARE(prompter.shown.size(), told ? 2 : 1);
        QCOMPARE(prompter.shown.last().title, result == LabelPrint::Outcome::Failed ? u("印刷警告") : u("印刷確認"));
        if (pages == 0)
            QVERIFY(!QFileInfo::exists(pdf));
        if (result != LabelPrint::Outcome::Printed)
            return;

        const PdfText text = readPdf(pdf, dir->path());
        QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
        QCOMPARE(text.pages, pages);
        QVERIFY(qAbs(text.pageSizeMm.width() - 210) < 0.5 && qAbs(text.pageSizeMm.height() - 297) < 0.5);
        checkWordsInsideLabels(text, job);
        // The wrapped address: line 1 ends before the building, line 2 starts with it.
        QVERIFY(std::any_of(text.words.cbegin(), text.words.cend(),
                            [](const Word& w) { return w.text == u("丸の内パークビルディング"); }));
    }

    void mainWindowOpensTheLabelWindow()
    {
        Desk o(Labels::registerOpeners, false);
        QString title;
        whenModal([&title](QWidget* w) {
            title = w->windowTitle();
            child<QPushButton>(*w, "CloseBtn")->click();
        });
        o.form.action(u("mnDM_Print"))->trigger();
        QCOMPARE(title, u("DMラベル印刷"));
    }
};

QTEST_MAIN(TestLabelForms)
#include "tst_labelforms.moc"
