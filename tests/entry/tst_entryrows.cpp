#include "EntryTestSupport.h"

#include "MasterPickResult.h"
#include "P_GaiyouForm.h"
#include "P_TatemonoBetuForm.h"
#include "ProjectData.h"
#include "RowTables.h"
#include "RowsEditor.h"
#include "TestSupport.h"

#include <QListWidget>
#include <QSpinBox>

using namespace EntryTest;

namespace {

// A column of every row of a list, in ID order (the order that prints).
QStringList storedList(Storage& s, const char* table, qint64 bid, const char* listColumn, const QVariant& list,
                       const char* column)
{
    Recordset rs(s, DbFile::Kakunin);
    if (!rs.open(u(table), {{u("B_ID"), bid}, {u(listColumn), list}}))
        return {u("error")};
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(u(column));
    return out;
}

QStringList lines(const RowsEditor& e)
{
    QStringList out;
    for (int i = 0; i < e.list()->count(); ++i)
        out << e.list()->item(i)->text();
    return out;
}

}  // namespace

// The lists of child rows on the windows: further persons of the overview,
// independent parts of each building.
class TestEntryRows : public QObject {
    Q_OBJECT

private slots:
    void furtherPersonsAreEditedOrderedAndSavedWithTheWindow()
    {
        Office o;
        addMasterRow(o.st, "Architect", {{"S_FLG", 1}, {"U_NAME", "設計 花子"}, {"U_CLASS1", "一級"}, {"C_NAME", "花子設計室"},
                                       {"C_ADDR1", "東京都"}, {"C_ADDR2", "千代田区"}});
        {
            auto& form = o.open<P_GaiyouForm>();
            QCOMPARE(form.tabs()->tabText(form.tabs()->count() - 1), u("その他の設計者等"));
            RowsEditor& designers = *form.furtherPersons(1);
            EntryForm& fields = *designers.fields();
            QVERIFY(!fields.isEnabled());

            // The first row from the master list, the second typed: Enter walks its fields.
            clickButton(form, "SekkeiKanri1Add");
            QVERIFY(form.isEdited());
            QCOMPARE(focused(), u("Kyu"));
            choose(combo(fields, "Name"), u("設計 花子"));
            QCOMPARE(fields.text(u("Kyu")), u("一級"));
            QCOMPARE(fields.text(u("Addr")), u("東京都千代田区"));
            clickButton(form, "SekkeiKanri1Add");
            type(fields, "Gou", u("123"));
            pressEnter();
            QCOMPARE(focused(), u("Name"));
            type(fields, "Name", u("鈴木"));
            QCOMPARE(lines(designers), QStringList({u("1．設計 花子　（花子設計室）"), u("2．鈴木")}));
            // A picked architect fills the chosen row.
            MasterPickResult picked;
            picked.architect.name = u("佐藤 一郎");
            picked.architect.officeName = u("佐藤事務所");
            picked.architect.officeAddress1 = u("大阪府");
            picked.architect.officeAddress2 = u("大阪市");
            designers.addRow();
            designers.fill(RowTables::architectValues(picked));
            QCOMPARE(fields.text(u("Addr")), u("大阪府大阪市"));

            // 佐藤 to the top, 鈴木 deleted after a No and a Yes.
            designers.moveUp();
            designers.moveUp();
            designers.moveUp();  // at the top already
            designers.setCurrent(2);
            o.prompter.answers << Prompter::No << Prompter::Yes;
            clickButton(form, "SekkeiKanri1Del");
            QCOMPARE(designers.list()->count(), 3);
            clickButton(form, "SekkeiKanri1Del");
            QCOMPARE(lines(designers), QStringList({u("1．佐藤 一郎　（佐藤事務所）"), u("2．設計 花子　（花子設計室）")}));

            form.furtherPersons(3)->addRow();
            form.furtherPersons(3)->fields()->setText(u("Name"), u("設備 次郎"));
            form.setText(u("Bikou"), u("備考"));
            QVERIFY(form.apply());
            QVERIFY(!form.isEdited());
        }
        QCOMPARE(storedList(o.st, "SEKKEIKANRI", o.bid, "Kubun", 1, "Name"), QStringList({u("佐藤 一郎"), u("設計 花子")}));
        QCOMPARE(storedList(o.st, "SEKKEIKANRI", o.bid, "Kubun", 3, "Name"), QStringList({u("設備 次郎")}));
        QCOMPARE(stored(o.st, u("GAIYOU"), o.bid, u("Bikou")).toString(), u("備考"));

        {
            // Reopened: the same order; a move and a removal rewrite the same rows.
            auto& form = o.open<P_GaiyouForm>();
            RowsEditor& designers = *form.furtherPersons(1);
            QCOMPARE(designers.rows().count(), 2);
            QCOMPARE(designers.fields()->text(u("Name")), u("佐藤 一郎"));
            QVERIFY(!form.isEdited());
            designers.setCurrent(1);
            designers.moveUp();
            form.furtherPersons(3)->setCurrent(0);
            o.prompter.answers << Prompter::Yes;
            form.furtherPersons(3)->removeRow();
            QVERIFY(form.apply());
        }
        QCOMPARE(storedList(o.st, "SEKKEIKANRI", o.bid, "Kubun", 1, "Name"), QStringList({u("設計 花子"), u("佐藤 一郎")}));
        QCOMPARE(storedList(o.st, "SEKKEIKANRI", o.bid, "Kubun", 3, "Name"), QStringList());
        ProjectData p;
        QString error;
        QVERIFY2(ProjectData::load(o.st, o.bid, &p, &error), qPrintable(error));
        QCOMPARE(p.personsOf(1).value(1).value(u("JimuName")).toString(), u("佐藤事務所"));

        // Deleting the project takes its rows along.
        QVERIFY2(ProjectRegister(o.st).deleteProjects({o.bid}, &error), qPrintable(error));
        QCOMPARE(rowsOf(o.st, DbFile::Kakunin, u("SEKKEIKANRI")), 0);
    }

    void independentPartsFollowTheBuildingShown()
    {
        Office o;
        {
            auto& form = o.open<P_TatemonoBetuForm>(2);
            QCOMPARE(form.tabs()->tabText(form.tabs()->count() - 1), u("独立部分"));
            form.tabs()->setCurrentIndex(form.tabs()->count() - 1);
            RowsEditor& parts = *form.parts();
            EntryForm& fields = *parts.fields();

            // Keyboard: Insert in the list adds a row, Enter moves on, numbers filter and format.
            parts.list()->setFocus();
            QTest::keyClick(parts.list(), Qt::Key_Insert);
            QCOMPARE(focused(), u("Ban"));
            keys(QApplication::focusWidget(), u("1-1"));
            pressEnter();
            QCOMPARE(focused(), u("NobeMen"));
            keys(QApplication::focusWidget(), u("1234.5x"));
            QCOMPARE(fields.beepCount(), 1);
            pressEnter();
            QCOMPARE(focused(), u("Takasa1"));
            QCOMPARE(fields.text(u("NobeMen")), u("1,234.50"));
            type(fields, "Kai1", u("3F"));
            QCOMPARE(fields.text(u("Kai1")), u("3"));
            // One structural route and one program kind at most.
            box(fields, "Keisan1")->click();
            box(fields, "Keisan3")->click();
            QVERIFY(!fields.isChecked(u("Keisan1")));
            QVERIFY(fields.isChecked(u("Keisan3")));
            QCOMPARE(lines(parts), QStringList({u("1．1-1　1,234.50㎡")}));

            form.chooser()->setValue(2);
            QCOMPARE(parts.list()->count(), 0);
            parts.addRow();
            fields.setText(u("Ban"), u("2-1"));
            parts.addRow();
            fields.setText(u("Ban"), u("2-2"));
            parts.moveUp();
            form.chooser()->setValue(1);
            QCOMPARE(lines(parts), QStringList({u("1．1-1　1,234.50㎡")}));
            QVERIFY(form.apply());
        }
        QCOMPARE(storedList(o.st, "DOKURITSU", o.bid, "SU_NO", u("1"), "NobeMen"), QStringList({u("1,234.50")}));
        QCOMPARE(storedList(o.st, "DOKURITSU", o.bid, "SU_NO", u("1"), "Keisan3"), QStringList({u("1")}));
        QCOMPARE(storedList(o.st, "DOKURITSU", o.bid, "SU_NO", u("2"), "Ban"), QStringList({u("2-2"), u("2-1")}));

        {
            // Closing without saving keeps what is stored.
            auto& form = o.open<P_TatemonoBetuForm>(2);
            form.chooser()->setValue(2);
            QCOMPARE(form.parts()->fields()->text(u("Ban")), u("2-2"));
            form.parts()->moveDown();
            QVERIFY(form.isEdited());
            o.prompter.answers << Prompter::No;
            QVERIFY(form.close());
        }
        QCOMPARE(storedList(o.st, "DOKURITSU", o.bid, "SU_NO", u("2"), "Ban"), QStringList({u("2-2"), u("2-1")}));
        ProjectData p;
        QString error;
        QVERIFY2(ProjectData::load(o.st, o.bid, &p, &error), qPrintable(error));
        QCOMPARE(p.partsOf(1).value(0).value(u("Ban")).toString(), u("2-2"));
        QCOMPARE(p.partsOf(0).size(), 1);
    }
};

QTEST_MAIN(TestEntryRows)
#include "tst_entryrows.moc"
