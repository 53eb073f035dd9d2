#include "AppDir.h"
#include "CustomerStore.h"
#include "FreshOffice.h"
#include "HelpForm.h"
#include "M_ArchitectForm.h"
#include "M_ConnectCorpForm.h"
#include "M_UserMasterForm.h"
#include "Masters.h"
#include "MenuForm.h"
#include "PostalLookup.h"
#include "PrnCommon.h"
#include "Recordset.h"
#include "TestSupport.h"
#include "UserCsvImportForm.h"
#include "UserSearchForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

void pressEnter(QWidget* w)
{
    w->setFocus();
    QTest::keyClick(w, Qt::Key_Return);
}

// A customer window on the first folder, shown.
struct CustomerWindow {
    explicit CustomerWindow(Storage& s, qint64 folder = 1, int mailTarget = MailTarget::None)
        : form(s)
    {
        form.pickFor(mailTarget);
        form.openWithFolder(folder);
        QVERIFY(showAndWait(form));
    }
    QTreeWidget* list() { return form.recordList(); }
    QLineEdit* f(const char* name) { return child(form, name); }
    void create(const QString& surname, const QString& tel = {}, const QString& mail = {})
    {
        form.newRecord();
        f("NameText0")->setText(surname);
        f("Tell1")->setText(tel);
        f("E_Mail1")->setText(mail);
        form.apply();
    }
    M_UserMasterForm form;
};

}  // namespace

// The master windows as office staff use them: customers filed in folders,
// architects with their roles, companies with their trades, CSV files and
// searches, and the pick results other windows read.
class TestMasterForms : public QObject, private FreshOffice {
    Q_OBJECT

private slots:
    void init() { begin(); }
    void cleanup() { dir.reset(); }

    // What every master window shares: the empty-list warning, New, the
    // save question on closing, and the delete question whose safe answer is No.
    void everyMasterCreatesAsksAndDeletes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("question");
        QTest::newRow("customers") << 0 << u("保存後 ") << u("1件の顧客名を削除します。　よろしいですか？");
        QTest::newRow("architects") << 1 << u("保存後") << u("保存後を削除します。　よろしいですか？");
        QTest::newRow("companies") << 2 << u("保存後") << u("保存後を削除します。　よろしいですか？");
    }
    void everyMasterCreatesAsksAndDeletes()
    {
        QFETCH(int, kind);
        QFETCH(QString, listed);
        QFETCH(QString, question);
        const auto open = [&]() -> std::unique_ptr<MasterForm> {
            if (kind == 1)
                return std::make_unique<M_ArchitectForm>(dir->storage());
            if (kind == 2)
                return std::make_unique<M_ConnectCorpForm>(dir->storage());
            auto c = std::make_unique<M_UserMasterForm>(dir->storage());
            c->openWithFolder(1);
            return c;
        };
        const char* name = kind == 0 ? "NameText0" : kind == 1 ? "ArchName" : "CorpName";
        const char* close = kind == 0 ? "CloseBtn" : "CancelCommand";
        std::unique_ptr<MasterForm> form = open();
        form->show();
        QVERIFY(child<QLabel>(*form, "KeikokuLabel")->isVisible());
        clickButton(*form, "NewMakeBtn");
        QCOMPARE(columnTexts(form->recordList()), QStringList{u("<新規>")});
        QVERIFY(!child<QLabel>(*form, "KeikokuLabel")->isVisible());
        child(*form, name)->setText(u("保存前"));
        clickButton(*form, "UpDateBtn");
        child(*form, name)->setText(u("保存後"));
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(*form, close);
        QCOMPARE(prompter.texts(), QStringList{u("内容が変更されていますが、登録しますか？")});
        QVERIFY(!form->isVisible());

        form = open();
        form->show();
        QCOMPARE(columnTexts(form->recordList()), QStringList{listed});
        form->recordList()->setCurrentItem(form->recordList()->topLevelItem(0));
        form->recordList()->topLevelItem(0)->setSelected(true);
        prompter.clear();
        prompter.answers.enqueue(Prompter::No);
        clickButton(*form, "DelBtn");
        QCOMPARE(prompter.texts(), QStringList{question});
        QCOMPARE(prompter.shown[0].defaultButton, Prompter::No);
        QCOMPARE(columnTexts(form->recordList()), QStringList{listed});
        form->recordList()->topLevelItem(0)->setSelected(true);
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(*form, "DelBtn");
        QCOMPARE(form->recordList()->topLevelItemCount() + open()->recordList()->topLevelItemCount(), 0);  // listed, stored
    }

    void customerNewApplyAndTheSavePrompt()
    {
        CustomerWindow w(dir->storage());
        QVERIFY(!w.f("NameText0")->isEnabled() && !child<QPushButton>(w.form, "SendBtn")->isVisible());

        clickButton(w.form, "NewMakeBtn");
        QCOMPARE(w.f("NameText0")->selectedText(), u("<新規>"));
        QVERIFY(!w.form.isEdited() && !child<QRadioButton>(w.form, "SexFlg0")->isChecked());
        const qint64 first = w.form.shownId();

        w.f("NameText0")->setText(u(" やまだ"));
        QVERIFY(w.form.isEdited());
        w.f("NameText1")->setText(u("花子"));
        child<QRadioButton>(w.form, "SexFlg0")->setChecked(true);
        child<QComboBox>(w.form, "Addr11")->setCurrentText(u("大阪府"));
        clickButton(w.form, "UpDateBtn");
        QVERIFY(!w.form.isEdited());
        QCOMPARE(w.f("NameText0")->text(), u("やまだ"));  // trimmed and put back
        QCOMPARE(columnTexts(w.list()), QStringList{u("やまだ 花子")});
        QCOMPARE(columnTexts(w.list(), 1), QStringList{u("大阪府")});
        Storage& s = dir->storage();
        expectStored(s, DbFile::SaleData, "UserMaster", first, {{"SEX", u("1")}, {"Adr2_ID", u("27")}});

        // A second customer; switching with unsaved edits asks, No discards.
        w.create(u("山田"));
        QCOMPARE(columnTexts(w.list()), (QStringList{u("やまだ 花子"), u("山田 ")}));
        w.f("Corp1")->setText(u("捨てる会社"));
        prompter.answers.enqueue(Prompter::No);
        w.form.selectRow(0);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(w.form.shownId() == first && !w.form.isEdited());
        // Yes writes the record that was shown before the switch.
        prompter.clear();
        w.f("Corp1")->setText(u("大和建設"));
        prompter.answers.enqueue(Prompter::Yes);
        w.form.selectRow(1);
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(stored(s, DbFile::SaleData, u("UserMaster"), first, "Corp1").toString(), u("大和建設"));
        // キャンセル stays on the record with its edits, whether switching
        // records or closing; Ctrl+S saves them.
        prompter.clear();
        const qint64 second = w.form.shownId();
        w.f("Corp1")->setText(u("途中の会社"));
        prompter.answers << Prompter::Cancel << Prompter::Cancel;
        w.form.selectRow(0);
        clickButton(w.form, "CloseBtn");
        QCOMPARE(prompter.shown.size(), 2);
        QCOMPARE(prompter.shown[0].buttons, Prompter::Buttons(Prompter::Yes | Prompter::No | Prompter::Cancel));
        QVERIFY(w.form.isVisible());
        QCOMPARE(w.form.shownId(), second);
        QCOMPARE(w.list()->currentItem(), w.list()->topLevelItem(1));
        QCOMPARE(w.f("Corp1")->text(), u("途中の会社"));
        QTest::keyClick(w.f("Corp1"), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w.form.isEdited());
        QCOMPARE(stored(s, DbFile::SaleData, u("UserMaster"), second, "Corp1").toString(), u("途中の会社"));
    }

    void customerDeleteTakesTheSelectedRows()
    {
        CustomerWindow w(dir->storage());
        for (const char* n : {"一", "二", "三", "四"})
            w.create(u(n));
        w.list()->clearSelection();
        w.list()->topLevelItem(1)->setSelected(true);
        w.list()->topLevelItem(2)->setSelected(true);
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(w.form, "DelBtn");
        QCOMPARE(prompter.texts(), QStringList{u("2件の顧客名を削除します。　よろしいですか？")});
        QCOMPARE(columnTexts(w.list()), (QStringList{u("一 "), u("四 ")}));
        QCOMPARE(w.list()->currentItem()->text(0), u("四 "));  // nearest to where they stood
    }

    void enterOrderPostalLookUpAndFaxCopy()
    {
        CustomerWindow w(dir->storage());
        w.form.newRecord();
        QWidget* sequence[] = {w.f("NameText0"), w.f("NameText1"), w.f("FuriText0"), w.f("FuriText1"), w.f("BornDay")};
        for (int i = 0; i + 1 < 5; ++i) {
            pressEnter(sequence[i]);
            QCOMPARE(QApplication::focusWidget(), sequence[i + 1]);
        }
        // No sex chosen: from the birthday straight to the company.
        pressEnter(w.f("BornDay"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f("Corp1")));
        auto* male = child<QRadioButton>(w.form, "SexFlg1");
        male->setChecked(true);
        pressEnter(w.f("BornDay"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(male));
        pressEnter(male);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f("Corp1")));

        // Enter in the postal code fills prefecture and line 2, then goes there.
        w.f("Post1")->setText(u("〒100-0001"));
        pressEnter(w.f("Post1"));
        QCOMPARE((QStringList{child<QComboBox>(w.form, "Addr11")->currentText(), w.f("ADR12")->text()}),
                 (QStringList{u("東京都"), u("千代田区千代田")}));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.f("ADR12")));
        // The other way: address to postal code.
        w.f("Post1")->clear();
        clickButton(w.form, "PostBtn");
        QCOMPARE(w.f("Post1")->text(), u("100-0001"));

        // Leaving the telephone with an empty fax copies it; a typed fax stays.
        w.f("Tell1")->setText(u("03-1234-5678"));
        pressEnter(w.f("Tell1"));
        QCOMPARE(w.f("Fax1")->text(), u("03-1234-5678"));
        w.f("Fax1")->setText(u("03-0000-0000"));
        w.f("Tell1")->setFocus();
        w.f("Tell1")->setText(u("03-9999-9999"));
        w.f("HandyPhon1")->setFocus();
        QCOMPARE(w.f("Fax1")->text(), u("03-0000-0000"));
        // The order ends at Apply, and Enter there applies.
        pressEnter(w.f("URL1"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child<QPushButton>(w.form, "UpDateBtn")));
        QVERIFY(w.form.isEdited());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!w.form.isEdited());
        expectStored(dir->storage(), DbFile::SaleData, "UserMaster", w.form.shownId(), {{"Post1", u("100-0001")}});
    }

    void customersMoveAndCopyBetweenFolders()
    {
        QVector<qint64> folders{1};
        for (const char* n : {"二", "三", "四", "五", "六"})
            folders << addFolder(dir->storage(), u(n));
        CustomerWindow w(dir->storage());
        QCOMPARE(columnTexts(w.form.folderList()).size(), 6);
        w.create(u("甲"));
        w.create(u("乙"));

        // Dropped with the left button on the second folder: moved.
        w.list()->clearSelection();
        w.list()->topLevelItem(0)->setSelected(true);
        QMimeData mime;
        mime.setData(u("application/x-shinseidesk-customers"), "move");
        QWidget* target = w.form.folderList()->viewport();
        const QPoint onSecond = w.form.folderList()->visualItemRect(w.form.folderList()->topLevelItem(1)).center();
        // The drag comes in below the rows, then moves onto the folder.
        const QPoint belowRows(onSecond.x(), target->height() - 4);
        QVERIFY(dragStep(target, QEvent::DragEnter, belowRows, mime));
        QVERIFY(!dragStep(target, QEvent::DragMove, belowRows, mime));
        QVERIFY(dragStep(target, QEvent::DragMove, onSecond, mime));
        dragStep(target, QEvent::Drop, onSecond, mime);
        QTRY_COMPARE(columnTexts(w.list()), QStringList{u("乙 ")});
        w.form.selectFolder(1);
        QCOMPARE(columnTexts(w.list()), QStringList{u("甲 ")});

        // The right button copies: back into the first folder, staying here too.
        w.list()->topLevelItem(0)->setSelected(true);
        w.form.dropOnFolder(0, true);
        QCOMPARE(columnTexts(w.list()), QStringList{u("甲 ")});
        w.form.selectFolder(0);
        QCOMPARE(columnTexts(w.list()), (QStringList{u("甲 "), u("乙 ")}));
        QVERIFY(prompter.shown.isEmpty());

        // Three more copies fill the five slots; a sixth is refused.
        w.list()->clearSelection();
        w.list()->topLevelItem(0)->setSelected(true);
        for (int f = 2; f <= 4; ++f)
            w.form.dropOnFolder(f, true);
        QVERIFY(prompter.shown.isEmpty());
        w.list()->topLevelItem(0)->setSelected(true);
        w.form.dropOnFolder(5, true);
        QCOMPARE(prompter.texts(), QStringList{u("これ以上コピー移動できません(MAX5件まで)")});
        w.form.selectFolder(5);
        QCOMPARE(w.list()->topLevelItemCount(), 0);
    }

    void telephoneAndConditionSearchSelectTheCustomer()
    {
        const qint64 second = addFolder(dir->storage(), u("大阪"));
        {
            CustomerWindow w(dir->storage());
            w.create(u("東京"), u("03-1234-5678"), u("tokyo@example.jp"));
            w.create(u("大阪"), u("(06)6345-0000"), u("osaka@example.jp"));
            w.list()->clearSelection();
            w.list()->topLevelItem(1)->setSelected(true);
            w.form.dropOnFolder(1, false);
        }
        CustomerWindow w(dir->storage());
        QCOMPARE(columnTexts(w.list()), QStringList{u("東京 ")});
        w.f("TelText")->setText(u("06-6345"));
        clickButton(w.form, "SrchBtn2");
        QCOMPARE(w.form.currentFolder(), second);
        QCOMPARE((QStringList{w.form.folderList()->currentItem()->text(0), w.f("NameText0")->text()}), (QStringList{u("大阪"), u("大阪")}));
        w.f("TelText")->setText(u("3"));
        clickButton(w.form, "SrchBtn2");
        QCOMPARE(w.form.currentFolder(), second);  // nothing found, nothing changed
        QVERIFY(prompter.shown.isEmpty());

        // The search window: empty fields list everyone; the chosen one comes back.
        whenModal([](QWidget* m) {
            auto* search = qobject_cast<UserSearchForm*>(m);
            QVERIFY(search);
            const struct {
                const char *name, *tel, *mail;
                QStringList found;
            } searches[] = {{"", "1234", "", {u("東京 ")}}, {"", "", "osaka@", {u("大阪 ")}}, {"東京", "", "osaka@", {}},
                            {"東", "", "", {u("東京 ")}}, {"", "", "", {u("東京 "), u("大阪 ")}}};
            for (const auto& q : searches) {
                child(*search, "NameText")->setText(u(q.name));
                child(*search, "TelText")->setText(u(q.tel));
                child(*search, "MailText")->setText(u(q.mail));
                clickButton(*search, "SrchBtn");
                QCOMPARE(columnTexts(search->resultList()), q.found);
                QCOMPARE(child<QLabel>(*search, "CountLabel")->text(), u("%1 件").arg(q.found.size()));
            }
            QCOMPARE(columnTexts(search->resultList(), 2), (QStringList{u("03-1234-5678"), u("(06)6345-0000")}));
            clickButton(*search, "SendBtn");
        });
        clickButton(w.form, "SrchBtn");
        QVERIFY(w.form.currentFolder() == 1 && w.f("NameText0")->text() == u("東京"));
    }

    void dataSheetPrintsToPdf()
    {
        const QString pdf = dir->file(QStringLiteral("sheet.pdf"));
        PrnCommon::setPdfPathProvider([pdf](const QString&) { return pdf; });
        CustomerWindow w(dir->storage());
        clickButton(w.form, "PrnBtn");  // nothing shown: nothing happens
        QVERIFY(prompter.shown.isEmpty());
        w.create(u("山田"), u("03-1234-5678"));
        w.f("NameText1")->setText(u("太郎"));
        prompter.answers.enqueue(Prompter::No);
        clickButton(w.form, "PrnBtn");
        QCOMPARE(prompter.texts(), QStringList{u("印刷を行います。よろしいですか？")});
        QVERIFY(!QFile::exists(pdf));
        prompter.answers.enqueue(Prompter::Yes);
        clickButton(w.form, "PrnBtn");
        PrnCommon::setPdfPathProvider(nullptr);
        const QString body = runProcess(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).out;
        QVERIFY2(body.contains(u("山田太郎")), qPrintable(body));  // the sheet's layout: tst_customers
    }

    void csvExportRefusesTheProgramsOwnFiles()
    {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("out")));
        // A way round through another folder still names the live database.
        const QString chosen = dir->file(QStringLiteral("out/../saledata.db"));
        CustomerWindow w(dir->storage());
        w.form.setFileChooser([&](QWidget*, bool, const QString&) { return M_UserMasterForm::FileChoice{chosen, false}; });
        w.create(u("山田"));
        prompter.clear();
        child<QAction>(w.form, "mnCSVWrite")->trigger();
        QCOMPARE(prompter.texts(), QStringList{AppDir::ownFileMessage(chosen)});
        Recordset rs(dir->storage(), DbFile::SaleData);
        QVERIFY2(rs.open(QStringLiteral("UserMaster")), qPrintable(rs.errorString()));
        QCOMPARE(rs.recordCount(), 1);
    }

    void csvExportAndImportThroughTheWindows()
    {
        const QString csvName = u("顧客マスター.csv"), path = dir->file(csvName);
        bool utf8 = false;
        CustomerWindow w(dir->storage());
        w.form.setFileChooser([&](QWidget*, bool, const QString&) { return M_UserMasterForm::FileChoice{path, utf8}; });
        child<QAction>(w.form, "mnCSVWrite")->trigger();
        QCOMPARE(prompter.texts(), QStringList{u("書き込みがデータがありませんでした。")});
        QVERIFY(!QFile::exists(path));
        w.create(u("山田"), u("03-1234-5678"), u("taro@example.jp"));
        w.create(u("佐藤"));
        prompter.clear();
        child<QAction>(w.form, "mnCSVWrite")->trigger();
        QCOMPARE(prompter.texts(), QStringList{u("書き込みが終了しました。")});
        QCOMPARE(readBytes(path).count("\r\n"), 3);
        // An existing file asks before it is overwritten; No keeps it.
        prompter.clear();
        prompter.answers.enqueue(Prompter::No);
        utf8 = true;
        child<QAction>(w.form, "mnCSVWrite")->trigger();
        QCOMPARE(prompter.texts(), QStringList{u("同じファイルが存在します。　上書きしてもよろしいですか？")});
        QVERIFY(!readBytes(path).startsWith("\xEF\xBB\xBF"));  // still the Shift JIS file

        // Import: the first guess from the header, the readings assigned by
        // hand through Combo1, into the second folder.
        const qint64 folder = addFolder(dir->storage(), u("取込"));
        prompter.clear();
        whenModal([](QWidget* m) {
            auto* imp = qobject_cast<UserCsvImportForm*>(m);
            QVERIFY(imp);
            QCOMPARE(imp->folderCombo()->currentData().toLongLong(), qint64(1));  // the folder being viewed
            QTreeWidget* rows = imp->columnList();
            QCOMPARE(rows->topLevelItemCount(), 17);
            QVERIFY(rows->topLevelItem(2)->text(1) == u("姓") && rows->topLevelItem(2)->checkState(0) == Qt::Checked &&
                    rows->topLevelItem(0)->checkState(0) == Qt::Unchecked);
            QVERIFY(imp->headerCheck()->isChecked());
            rows->setCurrentItem(rows->topLevelItem(0));
            imp->targetCombo()->setCurrentIndex(0);
            emit imp->targetCombo()->activated(0);
            QVERIFY(rows->topLevelItem(0)->text(1) == u("姓ふりがな") && rows->topLevelItem(0)->checkState(0) == Qt::Checked);
            // Unticking the e-mail column leaves it out.
            rows->topLevelItem(15)->setCheckState(0, Qt::Unchecked);
            imp->folderCombo()->setCurrentIndex(imp->folderCombo()->findText(u("取込")));
            clickButton(*imp, "SaveBtn");
        });
        child<QAction>(w.form, "mnCSVRead")->trigger();
        QCOMPARE(prompter.texts(), QStringList{u("読込みが終了しました。\n2 件の顧客をフォルダ「取込」に登録しました。\n"
                                                 "読み込まなかった行: 1 行目（見出し）")});
        w.form.refreshFolders();  // the folder was made behind the window's back
        w.form.selectFolder(w.form.folderList()->topLevelItemCount() - 1);
        QCOMPARE(w.form.currentFolder(), folder);
        QCOMPARE(columnTexts(w.list()) + columnTexts(w.list(), 2), (QStringList{u("山田"), u("佐藤"), QString(), QString()}));
        QCOMPARE(w.f("Tell1")->text(), u("03-1234-5678"));

        // Cancelled: nothing added, nothing to report.
        prompter.clear();
        whenModal([](QWidget* m) { clickButton(*m, "CanselBtn"); });
        child<QAction>(w.form, "mnCSVRead")->trigger();
        QVERIFY(prompter.shown.isEmpty());

        // By default into the folder being viewed, shown at once; the
        // empty rows a spreadsheet leaves are skipped and counted.
        writeFile(dir->path(), csvName, u("姓,電話番号\n鈴木,03-9999-0000\n,\n , \n").toUtf8());
        whenModal([](QWidget* m) { clickButton(*m, "SaveBtn"); });
        child<QAction>(w.form, "mnCSVRead")->trigger();
        QCOMPARE(prompter.texts(), QStringList{u("読込みが終了しました。\n1 件の顧客をフォルダ「取込」に登録しました。\n"
                                                 "読み込まなかった行: 1 行目（見出し）、読み込む列がすべて空の行 2 行")});
        QCOMPARE(columnTexts(w.list()), (QStringList{u("山田"), u("佐藤"), u("鈴木")}));

        // Without a folder the report says where to find them, and the
        // search's transfer offers to put the customer into the folder.
        writeFile(dir->path(), csvName, u("姓\n高橋\n").toUtf8());
        prompter.clear();
        whenModal([](QWidget* m) {
            auto* imp = qobject_cast<UserCsvImportForm*>(m);
            imp->folderCombo()->setCurrentIndex(0);
            clickButton(*imp, "SaveBtn");
        });
        child<QAction>(w.form, "mnCSVRead")->trigger();
        QVERIFY2(prompter.texts().value(0).contains(u("条件検索で探せます")), qPrintable(prompter.texts().join(u("|"))));
        QCOMPARE(w.list()->topLevelItemCount(), 3);
        prompter.clear();
        prompter.answers.enqueue(Prompter::Yes);
        whenModal([](QWidget* m) {
            child(*m, "NameText")->setText(u("高橋"));
            clickButton(*m, "SrchBtn");
            clickButton(*m, "SendBtn");
        });
        clickButton(w.form, "SrchBtn");
        QCOMPARE(prompter.shown.size(), 1);
        QCOMPARE(columnTexts(w.list()) << w.f("NameText0")->text(), (QStringList{u("山田"), u("佐藤"), u("鈴木"), u("高橋"), u("高橋")}));
    }

    void customerPickModeHandsBackTheSelection()
    {
        {
            CustomerWindow w(dir->storage());
            w.create(u("山田"), u("03-1234-5678"), u("taro@example.jp"));
            w.create(u("佐藤"), {}, u("sato@example.jp"));
            w.create(u("鈴木"));
        }
        {
            CustomerWindow w(dir->storage(), 1, MailTarget::Cc);
            QVERIFY(child<QPushButton>(w.form, "SendBtn")->isVisible() && !child<QPushButton>(w.form, "SendBtn")->isEnabled());  // only To hands over
            w.form.transfer();
            QVERIFY(!w.form.picked());
        }
        CustomerWindow w(dir->storage(), 1, MailTarget::To);
        QVERIFY(child<QPushButton>(w.form, "SendBtn")->isEnabled());
        w.form.selectRow(0);
        w.list()->topLevelItem(1)->setSelected(true);
        w.list()->topLevelItem(2)->setSelected(true);
        clickButton(w.form, "SendBtn");
        QVERIFY(w.form.picked() && w.form.result() == QDialog::Accepted);
        const MasterPickResult& r = w.form.pickResult();
        QVERIFY(r.picked && r.source == MasterPickResult::Source::Customer && r.key == w.form.shownId());
        QCOMPARE((QStringList{r.personName, r.telephone, r.email}),
                 (QStringList{u("山田"), u("03-1234-5678"), u("taro@example.jp,sato@example.jp")}));

        // Enter in the list takes the shown customer alone; Escape picks nothing.
        CustomerWindow again(dir->storage(), 1, MailTarget::To);
        again.form.selectRow(1);
        again.list()->topLevelItem(0)->setSelected(true);
        again.list()->setFocus();
        QTest::keyClick(again.list(), Qt::Key_Return);
        QCOMPARE(again.form.pickResult().email, u("sato@example.jp"));
        CustomerWindow closed(dir->storage(), 1, MailTarget::To);
        QTest::keyClick(closed.list(), Qt::Key_Escape);
        QVERIFY(!closed.form.isVisible() && !closed.form.picked() && !closed.form.pickResult().picked);
    }

    void architectRolesAndPicks()
    {
        M_ArchitectForm form(dir->storage());
        QVERIFY(showAndWait(form));
        QTreeWidget* list = form.recordList();
        QVERIFY(!child<QPushButton>(form, "DelBtn")->isEnabled());
        clickButton(form, "NewMakeBtn");
        const qint64 id = form.shownId();

        child(form, "ArchName")->setText(u("設計 一郎"));
        child<QCheckBox>(form, "GyoushaCheck2")->setChecked(true);  // 監理者 only
        child<QComboBox>(form, "Class1")->setCurrentIndex(0);
        child(form, "OficceText")->setText(u("一級建築士事務所 設計工房"));
        child(form, "Post2")->setText(u("5300001"));
        pressEnter(child(form, "Post2"));
        QCOMPARE(child<QComboBox>(form, "Addr1Text2")->currentText(), u("大阪府"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child(form, "Addr2Text2")));
        child(form, "TelText2")->setText(u("06-1111-2222"));
        pressEnter(child(form, "TelText2"));
        QCOMPARE(child(form, "FaxText2")->text(), u("06-1111-2222"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(child(form, "FaxText2")));
        clickButton(form, "UpDateBtn");
        QCOMPARE(columnTexts(list), QStringList{u("設計 一郎")});
        expectStored(dir->storage(), DbFile::MasterData, "Architect", id,
                     {{"K_FLG", u("1")}, {"A_FLG", u("0")}, {"C_ADDR2", u("大阪市北区梅田")}, {"U_CLASS1", u("一級")}});

        // A designer; switching discards edits without asking.
        clickButton(form, "NewMakeBtn");
        child(form, "ArchName")->setText(u("設計 二郎"));
        child<QCheckBox>(form, "GyoushaCheck1")->setChecked(true);
        clickButton(form, "UpDateBtn");
        child(form, "ArchName")->setText(u("捨てる名前"));
        form.selectRow(0);
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(child(form, "ArchName")->text(), u("設計 一郎"));
        QCOMPARE(columnTexts(list), (QStringList{u("設計 一郎"), u("設計 二郎")}));

        // Picked by the overview window: designers only, handed back on transfer.
        M_ArchitectForm picker(dir->storage(), nullptr, true);
        picker.setPickMode(true);
        picker.show();
        QCOMPARE(columnTexts(picker.recordList()), QStringList{u("設計 二郎")});
        picker.transfer();
        QVERIFY(picker.picked() && picker.pickResult().source == MasterPickResult::Source::Architect);
        QCOMPARE(picker.pickResult().architect.name, u("設計 二郎"));
        // Opened for editing, it lists everyone.
        M_ArchitectForm all(dir->storage());
        all.show();
        QCOMPARE(all.recordList()->topLevelItemCount(), 2);
        all.selectRow(0);
        all.setPickMode(true);
        const QPoint onFirst = all.recordList()->visualItemRect(all.recordList()->topLevelItem(0)).center();
        QTest::mouseClick(all.recordList()->viewport(), Qt::LeftButton, {}, onFirst);
        QTest::mouseDClick(all.recordList()->viewport(), Qt::LeftButton, {}, onFirst);
        QVERIFY(all.picked());
        const MasterPickResult& r = all.pickResult();
        QCOMPARE((QStringList{r.personName, r.firmName, r.address1, r.telephone, r.architect.officeFax, r.architect.qualification}),
                 (QStringList{u("設計 一郎"), u("一級建築士事務所 設計工房"), u("大阪府"), u("06-1111-2222"), u("06-1111-2222"), u("一級")}));
    }

    void companyTradesZoneAndPlace()
    {
        {
            M_ConnectCorpForm form(dir->storage());
            form.show();
            for (const char* name : {"電気工業", "水道設備", "未設定"}) {
                clickButton(form, "NewMakeBtn");
                child(form, "CorpName")->setText(u(name));
                if (QByteArray(name) == "電気工業")
                    child<QCheckBox>(form, "GyoushaCheck0")->setChecked(true);
                if (QByteArray(name) == "水道設備") {
                    child<QCheckBox>(form, "GyoushaCheck1")->setChecked(true);
                    child<QComboBox>(form, "Addr1Text")->setCurrentIndex(12);  // 東京都
                    child(form, "TantouText")->setText(u("配管 太郎"));
                    child(form, "MailText")->setText(u("suido@example.jp"));
                    child<QPlainTextEdit>(form, "Bikou")->setPlainText(u("一行目\n二行目"));
                }
                clickButton(form, "UpDateBtn");
            }
            QCOMPARE(form.zoneId(), qint64(0));
            QCOMPARE(columnTexts(form.recordList()), (QStringList{u("電気工業"), u("水道設備"), u("未設定")}));
            form.move(120, 80);
            clickButton(form, "CancelCommand");
        }
        Recordset opt(dir->storage(), DbFile::OptionData);
        QVERIFY(opt.open(u("OptionMaster")) && !opt.isNull(u("CNCT_LEFT")));
        QCOMPARE(opt.integer(u("STUP")), qint64(0));

        M_ConnectCorpForm form(dir->storage(), nullptr, 2);
        form.setPickMode(true);
        form.show();
        QCOMPARE(columnTexts(form.recordList()), QStringList{u("水道設備")});
        QCOMPARE(form.zoneId(), qint64(13));
        const qint64 id = form.shownId();
        expectStored(dir->storage(), DbFile::MasterData, "ConnectCorp", id, {{"Adr_ID", u("13")}, {"ANOTHER", u("一行目\n二行目")}});
        // Choosing a prefecture sets the zone; Apply lists every company again.
        child<QComboBox>(form, "Addr1Text")->setCurrentIndex(26);  // 大阪府
        QCOMPARE(form.zoneId(), qint64(27));
        clickButton(form, "UpDateBtn");
        QVERIFY(form.recordList()->topLevelItemCount() == 3 && form.shownId() == id);
        expectStored(dir->storage(), DbFile::MasterData, "ConnectCorp", id, {{"Adr_ID", u("27")}});
        clickButton(form, "SendBtn");
        const MasterPickResult& r = form.pickResult();
        QVERIFY(r.source == MasterPickResult::Source::Company && r.key == id);
        QCOMPARE((QStringList{r.firmName, r.personName, r.email, r.address1}),
                 (QStringList{u("水道設備"), u("配管 太郎"), u("suido@example.jp"), u("大阪府")}));
    }

    void helpPagesAndMainWindowKeys()
    {
        // The main window's keys open the masters once they are registered.
        Desk d([](Storage& s, CommandRegistry& c) { Masters::registerOpeners(s, c); }, false);
        QStringList titles;
        for (const char* key : {"pUsetMaster", "UserEdit", "pTorihikiMaster", "mnArchEdit", "ConnectCorp"}) {
            whenModal([&titles](QWidget* m) {
                titles << m->windowTitle();
                QTest::keyClick(m, Qt::Key_Escape);
            });
            d.form.action(QString::fromLatin1(key))->trigger();
        }
        QCOMPARE(titles, (QStringList{u("顧客登録"), u("顧客登録"), u("業者登録"), u("業者登録"), u("取引先登録")}));
        CustomerWindow w(d.dir.storage());
        clickButton(w.form, "HelpBtn");
        auto* help = w.form.findChild<HelpForm*>();
        QVERIFY(help && help->page().endsWith(u("MANUAL/user_master.html")));
    }
};

QTEST_MAIN(TestMasterForms)
#include "tst_masterforms.moc"
