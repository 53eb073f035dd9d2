#include "AppDir.h"
#include "ColorSplash.h"
#include "FreshOffice.h"
#include "MenuForm.h"
#include "OptionSet.h"
#include "OptionWindows.h"
#include "Recordset.h"
#include "ShicfrmSplash.h"
#include "ShoshikiSet.h"
#include "TestSupport.h"
#include "XlsxWorkbook.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {

QVariant fontOption(Storage& storage, const QString& column)
{
    Recordset rs(storage, DbFile::OptionData);
    if (!rs.open(QStringLiteral("FontOption")) || rs.recordCount() == 0)
        return QStringLiteral("<no row>");
    rs.moveFirst();
    return rs.value(column);
}

bool installTemplate(const TempAppDir& dir)
{
    QDir().mkpath(dir.file(QStringLiteral("templates")));
    return QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), dir.file(QStringLiteral("確認申請.xlsx")))
        && QFile::copy(QStringLiteral(SD_CELLS_PATH), dir.file(QStringLiteral("templates/確認申請.cells.json")));
}

QString inputFont(const QString& templatePath)
{
    // The first value cell of the application sheet, wherever the layout puts it.
    ShoshikiSet::CellList cells;
    QString error;
    if (!ShoshikiSet::loadCellList(templatePath, &cells, &error) || cells.value(QStringLiteral("確認申請")).input.isEmpty())
        return QStringLiteral("<%1>").arg(error);
    const QString first = cells.value(QStringLiteral("確認申請")).input.first().section(QLatin1Char(':'), 0, 0);
    XlsxWorkbook book;
    XlsxCellStyle s;
    if (!book.open(templatePath) || !book.readCellStyle(QStringLiteral("確認申請"), first, &s))
        return QStringLiteral("<%1>").arg(book.errorString());
    return s.fontName;
}

}  // namespace

class TestOptionSet : public QObject, private FreshOffice {
    Q_OBJECT

private slots:
    void init() { begin(); }
    void cleanup() { dir.reset(); }

    void opensWithTheStoredValues()
    {
        OptionValues v;
        v.corpName = QStringLiteral("青空設計事務所");
        v.fonts[1].name = QStringLiteral("ＭＳ ゴシック");
        v.fonts[1].colorIndex = 1;
        v.fonts[1].colorValue = 0x0000FF;
        v.lineStyle = QStringLiteral("破線");
        v.lineStyleIndex = 2;
        v.buttons[2] = 0;
        v.timerInterval = 30;
        QString error;
        QVERIFY(OptionStore::save(dir->storage(), v, &error));

        OptionSet w(dir->storage(), {});
        QVERIFY(!w.isEdited());
        QVERIFY(!child<QPushButton>(w, "SaveBtn")->isEnabled());
        QCOMPARE((QStringList{child<QLineEdit>(w, "CorpText")->text(), child<QComboBox>(w, "FontName2")->currentText(),
                              child<QComboBox>(w, "FontName1")->currentText(), child<QComboBox>(w, "LineStyle")->currentText(),
                              child<QLineEdit>(w, "TimerText")->text()}),
                 (QStringList{QStringLiteral("青空設計事務所"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝"),
                              QStringLiteral("破線"), QStringLiteral("30")}));
        QVERIFY(!child<QCheckBox>(w, "BotanCheck_2")->isChecked() && child<QCheckBox>(w, "BotanCheck_3")->isChecked() &&
                child<QRadioButton>(w, "WakuOption_0")->isChecked());
        QVERIFY(child<QLabel>(w, "FontColor02")->styleSheet().contains(QStringLiteral("#ff0000")));
    }

    void everyChangeEnablesApply()
    {
        OptionSet w(dir->storage(), {});
        const std::function<void()> edits[] = {
            [&w] { QTest::keyClicks(child<QLineEdit>(w, "TelText"), QStringLiteral("03-1234-5678")); },
            [&w] { child<QCheckBox>(w, "BotanCheck_0")->click(); },
            [&w] { child<QComboBox>(w, "FontStyle3")->setCurrentIndex(2); },
            [&w] { child<QRadioButton>(w, "Option2_1")->click(); }};
        for (const auto& change : edits) {
            QVERIFY(!w.isEdited());
            change();
            QVERIFY(w.isEdited());
            QVERIFY(w.apply());
        }
    }

    void numberFieldsTakeDigitsOnly()
    {
        OptionSet w(dir->storage(), {});
        QLineEdit* size = child<QLineEdit>(w, "SizeText1");
        size->clear();
        QTest::keyClicks(size, QStringLiteral("1a-2.b"));
        QCOMPARE(size->text(), QStringLiteral("12"));
        QLineEdit* timer = child<QLineEdit>(w, "TimerText");
        timer->clear();
        QTest::keyClicks(timer, QStringLiteral("x5"));
        QCOMPARE(timer->text(), QStringLiteral("5"));
        // The scroller's upper arrow raises the number and writes it into the field.
        QScrollBar* scroll = child<QScrollBar>(w, "VScroll1");
        QCOMPARE(scroll->value(), -5);
        scroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(timer->text(), QStringLiteral("6"));
        QVERIFY(w.apply());
        Recordset rs(dir->storage(), DbFile::OptionData);
        QVERIFY(rs.open(QStringLiteral("OptionMaster")));
        rs.moveFirst();
        QCOMPARE(rs.integer(QStringLiteral("TIMERdt")), 6);
        QCOMPARE(fontOption(dir->storage(), QStringLiteral("FontSize1")).toString(), QStringLiteral("12"));
    }

    void swatchSevenIsStoredWithItsColour()
    {
        OptionSet w(dir->storage(), {});
        int asked = -2;
        // The real picker, clicked as a user clicks it.
        w.setColorChooser([&asked](QWidget* parent, int current) {
            asked = current;
            ColorSplash picker(current, parent);
            QTest::mouseClick(picker.swatch(7), Qt::LeftButton);
            picker.okButton()->click();
            return picker.choice();
        });
        child<QPushButton>(w, "ColorDialgBtn2")->click();
        QCOMPARE(asked, 0);
        QVERIFY(w.isEdited());
        QVERIFY(child<QLabel>(w, "FontColor02")->styleSheet().contains(QStringLiteral("#804000")));
        QVERIFY(w.apply());
        QCOMPARE(fontOption(dir->storage(), QStringLiteral("FontColor2")).toInt(), 7);
        QCOMPARE(fontOption(dir->storage(), QStringLiteral("FontColor02")).toInt(), 0x004080);

        // Closing the picker without 適用 changes nothing.
        w.setColorChooser([](QWidget* parent, int current) {
            ColorSplash picker(current, parent);
            QTest::mouseClick(picker.swatch(3), Qt::LeftButton);
            picker.closeButton()->click();
            return picker.choice();
        });
        child<QPushButton>(w, "ColorDialgBtn2")->click();
        QVERIFY(!w.isEdited());
        QCOMPARE(w.values().fonts[1].colorIndex, 7);
    }

    void thePickerShowsTheClickedColour()
    {
        ColorSplash picker(-1);
        QVERIFY(!picker.okButton()->isEnabled());
        QTest::mouseClick(picker.swatch(14), Qt::LeftButton);
        QVERIFY(picker.okButton()->isEnabled());
        QCOMPARE(picker.sample()->palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));
        QVERIFY(picker.swatch(14)->isChecked());
        QVERIFY(!picker.swatch(7)->isChecked());
    }

    void closingAsksAboutUnsavedChanges()
    {
        // No keeps what was stored, Yes stores the edit.
        for (auto [answer, stored] : {std::pair{Prompter::No, QString()}, std::pair{Prompter::Yes, QStringLiteral("Aozora")}}) {
            prompter.clear();
            auto* w = new OptionSet(dir->storage(), {});
            QTest::keyClicks(child<QLineEdit>(*w, "CorpText"), QStringLiteral("Aozora"));
            prompter.answers.enqueue(answer);
            QVERIFY(w->close());
            QCOMPARE(prompter.texts(), QStringList{QStringLiteral("内容が変更されていますが、登録しますか？")});
            OptionValues v;
            QString error;
            QVERIFY(OptionStore::load(dir->storage(), &v, &error));
            QCOMPARE(v.corpName, stored);
        }

        // Nothing changed: no question.
        prompter.clear();
        auto* quiet = new OptionSet(dir->storage(), {});
        QVERIFY(quiet->close());
        QVERIFY(prompter.shown.isEmpty());
    }

    void formattingSavesUnsavedChangesFirst()
    {
        QVERIFY(installTemplate(*dir));
        const QString path = dir->file(QStringLiteral("確認申請.xlsx"));
        QCOMPARE(inputFont(path), QStringLiteral("ＭＳ 明朝"));
        int closed = 0;
        OptionSet w(dir->storage(), [&closed] { ++closed; });
        QComboBox* font = child<QComboBox>(w, "FontName1");
        font->setCurrentIndex(font->findText(QStringLiteral("ＭＳ ゴシック")));
        QVERIFY(w.isEdited());

        // No: nothing is saved, nothing is formatted.
        prompter.answers.enqueue(Prompter::No);
        child<QPushButton>(w, "ShoshikiBtn")->click();
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("書式設定を行います。　よろしいですか？")});
        QCOMPARE(prompter.shown.first().defaultButton, Prompter::No);
        QVERIFY(w.isEdited());
        QCOMPARE(closed, 0);
        QCOMPARE(inputFont(path), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(fontOption(dir->storage(), QStringLiteral("FontName1")).toString(), QStringLiteral("<no row>"));

        prompter.clear();
        prompter.answers.enqueue(Prompter::Yes);
        child<QPushButton>(w, "ShoshikiBtn")->click();
        QVERIFY(!w.isEdited());
        QCOMPARE(fontOption(dir->storage(), QStringLiteral("FontName1")).toString(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(closed, 1);
        QCOMPARE(inputFont(path), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(prompter.texts(), (QStringList{QStringLiteral("書式設定を行います。　よろしいですか？"),
                                                QStringLiteral("書式設定が終了しました。")}));
    }

    void theMainScreenButtonsFollowTheSwitches()
    {
        MenuForm menu(dir->storage());
        OptionValues v;
        OptionWindows::applyButtonSwitches(menu, v);
        for (const char* key : {"SalesMake", "pUsetMaster", "pTorihikiMaster", "KanSet", "DelVoucher"})
            QVERIFY2(menu.action(QString::fromLatin1(key))->isVisible(), key);

        OptionSet* w = OptionWindows::open(dir->storage(), menu, {});
        QCOMPARE(OptionWindows::open(dir->storage(), menu, {}), w);  // one window at a time
        child<QCheckBox>(*w, "BotanCheck_2")->click();  // 顧客登録
        child<QCheckBox>(*w, "BotanCheck_5")->click();  // オプション
        QVERIFY(w->apply());
        QVERIFY(!menu.action(QStringLiteral("pUsetMaster"))->isVisible());
        QVERIFY(!menu.action(QStringLiteral("KanSet"))->isVisible());
        QVERIFY(menu.action(QStringLiteral("pTorihikiMaster"))->isVisible());
        // The menus keep their items, so the options stay within reach.
        QVERIFY(menu.action(QStringLiteral("mnOption"))->isVisible());
        QVERIFY(menu.action(QStringLiteral("UserEdit"))->isVisible());
        w->close();

        // The next start shows the buttons as saved.
        MenuForm next(dir->storage());
        OptionWindows::applyButtonSwitches(next, dir->storage());
        QVERIFY(!next.action(QStringLiteral("pUsetMaster"))->isVisible());
        QVERIFY(next.action(QStringLiteral("DelVoucher"))->isVisible());
    }

    void theSickHouseChoice()
    {
        QTemporaryDir folder;
        {
            ShicfrmSplash w(folder.path());
            QVERIFY(!w.decideButton()->isEnabled());
            w.closeButton()->click();
            QCOMPARE(w.result(), QStringLiteral("NG"));
        }
        {
            ShicfrmSplash w(folder.path());
            w.newOption()->click();
            QVERIFY(w.decideButton()->isEnabled());
            w.decideButton()->click();
            QCOMPARE(w.result(), QString());
        }
        {
            ShicfrmSplash w(folder.path());
            QStringList asked;
            QString answer;  // the first time the dialog is cancelled
            w.setFileChooser([&](QWidget*, const QString& where) {
                asked << where;
                return answer;
            });
            w.openOption()->click();
            w.decideButton()->click();
            QCOMPARE(asked, QStringList{folder.path()});
            QCOMPARE(w.result(), QStringLiteral("NG"));
            answer = folder.filePath(QStringLiteral("シックハウス基準001.xlsx"));
            w.decideButton()->click();
            QCOMPARE(w.result(), answer);
        }
    }
};

QTEST_MAIN(TestOptionSet)
#include "tst_optionset.moc"
