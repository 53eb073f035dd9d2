#include "EntryTestSupport.h"
#include "P_BoukaForm.h"
#include "P_GaiyouForm.h"
#include "P_GyoumuForm.h"
#include "P_IninForm.h"
#include "P_KaibetuForm.h"
#include "P_KanryouForm.h"
#include "P_KoujiForm.h"
#include "P_ShikichiForm.h"
#include "P_TatemonoBetuForm.h"
#include "PostalLookup.h"
#include "RowsEditor.h"
#include "Schema.h"
#include "ShuYoutoForm.h"
#include "TestSupport.h"

#include <QFile>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

using namespace EntryTest;

namespace {

QStringList schemaColumns(const char* table)
{
    QStringList out;
    if (const TableDef* def = DatabaseSchema::builtIn(DbFile::Kakunin).table(u(table)))
        for (const ColumnDef& c : def->columns)
            if (c.name != QLatin1String("B_ID"))
                out << c.name;
    return out;
}

// The stored 0/1 of flag columns, in the order asked.
QList<int> flags(Storage& s, const char* table, qint64 bid, const QStringList& columns)
{
    QList<int> out;
    for (const QString& c : columns)
        out << stored(s, u(table), bid, c).toInt();
    return out;
}

QStringList names(const char* stem, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << u(stem) + QString::number(i);
    return out;
}

}  // namespace

// The construction notice, the inspection application, the fire-prevention
// object and the power of attorney.
class TestKoujiForm : public QObject {
    Q_OBJECT

private slots:
    // Every field has its column; in these five tables every column has its field too.
    void fieldsAndColumnsMatch()
    {
        const QVector<std::tuple<const char*, FieldTable, bool>> tables{
            {"KOUJI", P_KoujiForm::fieldTable(), true},     {"KANRYOU", P_KanryouForm::fieldTable(), true},
            {"BOUKA", P_BoukaForm::fieldTable(), true},     {"ININ", P_IninForm::fieldTable(), true},
            {"GYOUMU", P_GyoumuForm::fieldTable(), true},   {"GAIYOU", P_GaiyouForm::fieldTable(), false},
            {"SHIKICHI", P_ShikichiForm::fieldTable(), false}, {"TATEMONOBETU", P_TatemonoBetuForm::fieldTable(), false},
            {"KAIBETU", P_KaibetuForm::fieldTable(), false},
        };
        for (const auto& [table, fields, every] : tables) {
            QStringList wanted = schemaColumns(table);
            QVERIFY2(!wanted.isEmpty(), table);
            QCOMPARE(fields.missingFrom(wanted), QStringList());
            if (!every)
                continue;
            if (QLatin1String(table) == QLatin1String("KOUJI"))
                for (const QString& c : P_KoujiForm::retiredColumns())
                    wanted.removeOne(c);
            QStringList have = fields.storedColumns();
            wanted.sort();
            have.sort();
            QCOMPARE(have, wanted);
        }
    }

    void housingBoxesFollowTheirRulesAndSaveTheirOwnColumns()
    {
        Office o;
        // Betu10: a head stored without its item is shown as stored.
        store(o.st, "KOUJI", o.bid, {{"Shurui21", 1}, {"Shurui22", 1}, {"Shurui31", 1}, {"Shurui34", 1}, {"Betu10", 1}});

        auto& form = o.open<P_KoujiForm>();
        QVERIFY(box(form, "Shurui20")->isChecked() && box(form, "Shurui21")->isChecked());
        QVERIFY(box(form, "Shurui30")->isChecked() && box(form, "Shurui33")->isChecked());
        QVERIFY(box(form, "Betu10")->isChecked());
        QVERIFY(!box(form, "Betu11")->isChecked());
        QVERIFY(!form.isEdited());

        form.tabs()->setCurrentIndex(1);
        box(form, "Shurui12")->click();  // 長屋建住宅 under 住宅専用
        for (const QString& b : names("Shurui", 10, 13) + names("Shurui", 20, 23) + names("Shurui", 30, 33))
            QCOMPARE(box(form, b.toLatin1().constData())->isChecked(), b == u("Shurui10") || b == u("Shurui12"));
        QVERIFY(form.isEdited());

        box(form, "Betu23")->click();  // その他 改築
        box(form, "Kin2")->click();
        box(form, "Kin4")->click();
        box(form, "RiyouKan1")->click();
        box(form, "RiyouKan3")->click();
        QVERIFY(form.apply());

        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("Shurui", 11, 14)), (QList<int>{1, 0, 1, 0}));
        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("Shurui", 21, 24) + names("Shurui", 31, 34)),
                 (QList<int>{0, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("Betu", 10, 13)), (QList<int>{0, 0, 0, 0}));
        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("Betu", 20, 22)), (QList<int>{1, 0, 1}));
        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("Kin", 1, 5)), (QList<int>{0, 0, 0, 1, 0}));
        QCOMPARE(flags(o.st, "KOUJI", o.bid, names("RiyouKan", 1, 4)), (QList<int>{1, 0, 1, 0}));

        // Opened again, the boxes are those saved.
        P_KoujiForm again(o.st, o.bid);
        QVERIFY(box(again, "Betu23")->isChecked() && box(again, "Betu20")->isChecked());
        QVERIFY(!box(again, "Betu22")->isChecked());
        QVERIFY(box(again, "Shurui12")->isChecked() && !box(again, "Shurui11")->isChecked());
    }

    void mainUseEmptiesTheOtherKindsAndSearchesForItsOwn()
    {
        Office o;
        auto& form = o.open<P_KoujiForm>();
        QVERIFY(!form.searchButton(0)->isVisible());

        box(form, "ShuyouCHK1")->click();
        QVERIFY(!edit(form, "Youto2")->isEnabled());
        choose(combo(form, "Youto0"), u("08030"));
        QCOMPARE(edit(form, "Youto1")->text(), u("共同住宅"));
        box(form, "ShuyouCHK3")->click();
        type(form, "Youto3", u("工場"));
        QCOMPARE(edit(form, "Youto3")->text(), u("工場"));

        // Another main use empties the fields it takes away.
        box(form, "ShuyouCHK2")->click();
        QCOMPARE(edit(form, "Youto1")->text() + edit(form, "Youto3")->text() + combo(form, "Youto0")->currentText(), QString());
        QVERIFY(!edit(form, "Youto1")->isEnabled() && edit(form, "Youto2")->isEnabled());

        // "検索" stands beside the use field of (2) and fills it.
        QVERIFY(form.searchButton(0)->isVisible());
        QCOMPARE(form.searchButton(0)->parentWidget(), edit(form, "Youto2")->parentWidget());
        whenModal([](QWidget* w) {
            auto* picker = qobject_cast<ShuYoutoForm*>(w);
            emit picker->list()->itemActivated(picker->list()->topLevelItem(2), 0);
        });
        form.searchButton(0)->click();
        QCOMPARE(edit(form, "Youto2")->text(), u("03"));
        QCOMPARE(form.focusWidget(), edit(form, "Youto2"));  // once the window is active again

        box(form, "ShuyouCHK3")->click();
        QCOMPARE(form.searchTarget(0), u("Youto3"));
        QCOMPARE(form.searchButton(0)->parentWidget(), edit(form, "Youto3")->parentWidget());
        QVERIFY(form.searchButton(0)->isVisible());
        box(form, "ShuyouCHK3")->click();  // unticked: nothing left to fill
        QVERIFY(!form.searchButton(0)->isVisible());
        box(form, "ShuyouCHK2")->click();
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "KOUJI", o.bid, {"ShuyouCHK2", "ShuyouCHK1"}), (QStringList{"1", ""}));
        QCOMPARE(storedTexts(o.st, "KOUJI", o.bid, {"Youto2", "Youto1"}), (QStringList{"", ""}));  // Youto2 emptied by (3)

        // The removed building's group is independent of the new one's.
        form.tabs()->setCurrentIndex(2);
        box(form, "ShuyouCHK12")->click();
        QVERIFY(box(form, "ShuyouCHK2")->isChecked());
        QVERIFY(form.searchButton(1)->isVisible());
        QCOMPARE(form.searchTarget(1), u("Youto8"));
        QVERIFY(form.apply());

        // A stored choice settles the fields on opening.
        P_KoujiForm again(o.st, o.bid);
        QVERIFY(!edit(again, "Youto1")->isEnabled() && edit(again, "Youto2")->isEnabled());
        QVERIFY(edit(again, "Youto8")->isEnabled() && !edit(again, "Youto9")->isEnabled());
        QVERIFY(!again.isEdited());
    }

    void removalPageListsAreasAndPostalPair()
    {
        Office o;
        auto& form = o.open<P_KoujiForm>();
        QCOMPARE(form.items(u("Gen1")), (QStringList{u("老朽化して危険があるため"), u("その他")}));
        QCOMPARE(form.items(u("Kouz1")), (QStringList{u("木造"), u("鉄骨鉄筋コンクリート造"), u("鉄筋コンクリート造"),
                                                      u("鉄骨造"), u("コンクリートブロック造"), u("その他")}));
        QCOMPARE(form.items(u("Riyou2")), (QStringList{u("持家"), u("貸家"), u("給与住宅")}));

        form.tabs()->setCurrentIndex(1);
        QCOMPARE(focused(), u("Ban4"));
        type(form, "Gou1", u("1234.5"));
        pressEnter();
        QCOMPARE(focused(), u("Gou2"));
        QCOMPARE(edit(form, "Gou1")->text(), u("1,234.50"));

        form.tabs()->setCurrentIndex(2);
        QCOMPARE(focused(), u("Gen1"));
        combo(form, "Gen1")->lineEdit()->setText(u("建替えのため"));  // a reason of the office's own
        type(form, "Seko2", u("1000001"));
        pressEnter();
        QCOMPARE(edit(form, "Seko3")->text(), u("東京都千代田区千代田"));
        QCOMPARE(focused(), u("Seko3"));
        QCOMPARE(get<QPushButton>(form, u("PostBtn1"))->text(), u("住所"));
        edit(form, "Seko2")->clear();
        get<QPushButton>(form, u("AdrBtn1"))->click();
        QCOMPARE(edit(form, "Seko2")->text(), u("100-0001"));
        box(form, "JokyoChk2")->click();
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "KOUJI", o.bid, {"Gen1", "Seko3", "Gou1", "JokyoChk2"}),
                 (QStringList{"建替えのため", "東京都千代田区千代田", "1,234.50", "1"}));
    }

    void inspectionOffersBuildingsOnly()
    {
        Office o;
        auto& fresh = o.open<P_KanryouForm>();
        QVERIFY(radio(fresh, "Shin1")->isChecked());
        QCOMPARE(radio(fresh, "Shin6")->text(), u("工作物（法第88条第2項→完了検査のみ）"));
        for (int i = 2; i <= 6; ++i)
            QVERIFY(!radio(fresh, QByteArray("Shin" + QByteArray::number(i)).constData())->isEnabled());
        QVERIFY(!fresh.isEdited());
        QTest::mouseClick(radio(fresh, "Shin3"), Qt::LeftButton);
        QVERIFY(radio(fresh, "Shin1")->isChecked() && !radio(fresh, "Shin3")->isChecked());
        QVERIFY(!fresh.isEdited());
        // The default is not stored until something is edited.
        o.prompter.answers.enqueue(Prompter::Yes);
        QVERIFY(fresh.close());
        QVERIFY(o.prompter.shown.isEmpty());
        QVERIFY(stored(o.st, u("KANRYOU"), o.bid, u("Shin1")).isNull());
        auto& edited = o.open<P_KanryouForm>();
        choose(combo(edited, "Gou1"), u("増築"));
        QVERIFY(edited.isEdited());
        QCOMPARE(edited.items(u("Gou1")).first(), u("新築"));
        QVERIFY(edited.apply());
        QCOMPARE(flags(o.st, "KANRYOU", o.bid, names("Shin", 1, 6)), (QList<int>{1, 0, 0, 0, 0, 0}));
        QCOMPARE(stored(o.st, u("KANRYOU"), o.bid, u("Gou1")).toString(), u("増築"));
        // Whatever was stored is shown, disabled all the same.
        store(o.st, "KANRYOU", o.bid, {{"Shin1", 0}, {"Shin3", 1}});
        auto& form = o.open<P_KanryouForm>();
        QVERIFY(radio(form, "Shin3")->isChecked() && !radio(form, "Shin3")->isEnabled());
        QVERIFY(!radio(form, "Shin1")->isChecked());
        QVERIFY(!form.isEdited());
        radio(form, "Shin1")->click();
        QVERIFY(form.isEdited());
        QVERIFY(!radio(form, "Shin3")->isChecked());
        QVERIFY(form.apply());
        QCOMPARE(flags(o.st, "KANRYOU", o.bid, names("Shin", 1, 6)), (QList<int>{1, 0, 0, 0, 0, 0}));
    }

    void inspectionEnterOrderAndArea()
    {
        Office o;
        auto& form = o.open<P_KanryouForm>();
        QCOMPARE(focused(), u("Gou1"));
        const QStringList first = enterWalk(40);
        QCOMPARE(first, (QStringList{u("Gou1"), u("Gou2"), u("Day1"), u("Tan1"), u("Day2"), u("Day3"), u("Kai17"),
                                     u("Kou1"), u("Day4"), u("Men1"), u("Nin1"), u("Kai1"), u("Kai3"), u("Kai5"), u("Kai7"), u("Kai9"),
                                     u("Kai2"), u("Kai4"), u("Kai6"), u("Kai8"), u("Kai10"), u("Kai11"), u("Kai13"),
                                     u("Kai15"), u("Kai12"), u("Kai14"), u("Kai16"), u("Bikou1")}));
        form.tabs()->setCurrentIndex(1);
        QCOMPARE(enterWalk(10), (QStringList{u("Bikou2"), u("Bikou3"), u("Day5"), u("Bikou4"), u("Gai1")}));

        form.tabs()->setCurrentIndex(0);
        type(form, "Men1", u("1234.5"));
        leave(form);
        QCOMPARE(edit(form, "Men1")->text(), u("1,234.50"));
        type(form, "Kai1", u("2x"));
        QCOMPARE(edit(form, "Kai1")->text(), u("2"));

        // 工事監理の状況, one per application: a part's five columns in turn,
        // then the next part.
        form.tabs()->setCurrentIndex(2);
        QCOMPARE(enterWalk(5), (QStringList{u("ChuKanriNai1"), u("ChuKanriTosho1"), u("ChuKanriKaku1"),
                                            u("ChuKanriHou1"), u("ChuKanriKek1"), u("ChuKanriNai2")}));
        type(form, "ChuKanriKek9", u("未施工"));
        type(form, "ChuKanriBikou", u("中間の備考"));
        form.tabs()->setCurrentIndex(3);
        QCOMPARE(enterWalk(1), (QStringList{u("KanriNai1"), u("KanriTosho1")}));
        type(form, "KanriKek9", u("適"));
        // Copying the intermediate report over a typed one asks first.
        auto* copy = form.findChild<QPushButton*>(u("CopyIntermediateButton"));
        QVERIFY(copy);
        o.prompter.answers.enqueue(Prompter::No);
        copy->click();
        QCOMPARE(o.prompter.shown.size(), 1);
        QCOMPARE(form.text(u("KanriKek9")), u("適"));
        o.prompter.answers.enqueue(Prompter::Yes);
        copy->click();
        QCOMPARE(form.text(u("KanriKek9")), u("未施工"));
        QCOMPARE(form.text(u("KanriBikou")), u("中間の備考"));
        type(form, "KanriKek9", u("適"));
        // The persons consulted on the supervision of the equipment are their own list.
        RowsEditor& consulted = *form.supervisionConsulted();
        consulted.addRow();
        consulted.fields()->setText(u("Name"), u("設備 監理"));
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "KANRYOU", form.bid(), {"KanriKek9", "ChuKanriKek9"}), (QStringList{"適", "未施工"}));
        QCOMPARE(storedTexts(o.st, "SEKKEIKANRI", form.bid(), {"Kubun", "Name"}), (QStringList{"4", "設備 監理"}));
    }

    // OK is "save and close" in these two windows: what was typed is kept
    // without a prompt; closing any other way asks as usual.
    void fireObjectAndAttorneySaveOnOk()
    {
        Office o;
        QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), o.dir.file(QStringLiteral("確認申請.xlsx"))));
        auto& bouka = o.open<P_BoukaForm>();
        QCOMPARE(focused(), u("Tel1"));
        QCOMPARE(enterWalk(10), (QStringList{u("Tel1"), u("Day1"), u("Nin1"), u("Time1"), u("Gai1"), u("Gai2"),
                                             u("Gai3"), u("Sonota1")}));
        type(bouka, "Tel1", u("03-1234-5678"));
        type(bouka, "Day1", u("令和8年4月1日"));
        type(bouka, "Nin1", u("30人"));
        type(bouka, "Time1", u("9時～18時"));
        QVERIFY(bouka.fitNoteOf(u("Time1")).isEmpty());
        // A text longer than its printed box is told about while typing.
        type(bouka, "Gai1", QString(300, u'栓'));
        QVERIFY(!bouka.fitNoteOf(u("Gai1")).isEmpty());
        QCOMPARE(bouka.fitNote()->text(), bouka.fitNoteOf(u("Gai1")));
        QVERIFY(bouka.isEdited());
        bouka.okButton()->click();
        QVERIFY(!bouka.isVisible());
        QVERIFY(o.prompter.shown.isEmpty());
        QCOMPARE(storedTexts(o.st, "BOUKA", o.bid, {"Tel1", "Day1", "Nin1", "Time1"}),
                 (QStringList{"03-1234-5678", "令和8年4月1日", "30人", "9時～18時"}));
        // Esc is not OK: it asks, and No leaves the stored value.
        auto& bouka2 = o.open<P_BoukaForm>();
        type(bouka2, "Nin1", u("40人"));
        o.prompter.answers.enqueue(Prompter::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!bouka2.isVisible());
        QCOMPARE(o.prompter.shown.size(), 1);
        QCOMPARE(o.prompter.shown[0].title, u("終了確認画面"));
        QCOMPARE(stored(o.st, u("BOUKA"), o.bid, u("Nin1")).toString(), u("30人"));
        auto& inin = o.open<P_IninForm>();
        QVERIFY(!box(inin, "Inin1")->isChecked() && !box(inin, "Inin3")->isChecked());
        QCOMPARE(focused(), u("Inin1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(box(inin, "Inin1")->isChecked());
        QVERIFY(inin.isEdited());
        // Several matters at once, その他 with its words.
        box(inin, "Inin3")->click();
        box(inin, "Inin11")->click();
        type(inin, "IninSonota", u("工事届の提出"));
        QVERIFY(box(inin, "Inin1")->isChecked());
        QVERIFY(inin.apply());
        QCOMPARE(flags(o.st, "ININ", o.bid, names("Inin", 1, 11)), (QList<int>{1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
        QCOMPARE(stored(o.st, u("ININ"), o.bid, u("IninSonota")).toString(), u("工事届の提出"));
        // OK saves what is still unsaved, then closes.
        box(inin, "Inin2")->click();
        inin.okButton()->click();
        QVERIFY(!inin.isVisible());
        QCOMPARE(o.prompter.shown.size(), 1);
        P_IninForm form(o.st, o.bid);
        QVERIFY(box(form, "Inin2")->isChecked() && box(form, "Inin3")->isChecked());
        QCOMPARE(flags(o.st, "ININ", o.bid, names("Inin", 1, 3)), (QList<int>{1, 1, 1}));
    }
};

QTEST_MAIN(TestKoujiForm)
#include "tst_koujiform.moc"
