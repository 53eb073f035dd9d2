#include "EntryTestSupport.h"
#include "M_ConnectCorpForm.h"
#include "P_GyoumuForm.h"
#include "P_KirokuboForm.h"
#include "RecordBook.h"

#include <QFile>
#include <QTabWidget>
#include <QTreeWidget>

using namespace EntryTest;

namespace {

// The project's record-book rows in row order: F_STR01 … F_STR05 of each.
QVector<QStringList> bookRows(Storage& s, qint64 bid)
{
    QVector<QStringList> out;
    Recordset rs(s, DbFile::AnotherOption);
    if (!rs.open(u("StrIntTable"), u("F_INT01"), bid))
        return out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList r;
        for (const char* c : {"F_STR01", "F_STR02", "F_STR03", "F_STR04", "F_STR05"})
            r << rs.text(u(c));
        out << r;
    }
    return out;
}

}  // namespace

// The business record and the record book.
class TestRecordForms : public QObject {
    Q_OBJECT

private slots:
    void businessRecordAmountsAndTotals()
    {
        Office o;
        auto& form = o.open<P_GyoumuForm>();
        type(form, "Kin1", u("1234567"));
        pressEnter();
        QCOMPARE(edit(form, "Kin1")->text(), u("1,234,567"));
        QCOMPARE(focused(), u("Kin2"));

        form.tabs()->setCurrentIndex(2);
        QCOMPARE(focused(), u("Kou1"));
        QCOMPARE(form.items(u("Kou1")), (QStringList{u("建築主体"), u("電気設備"), u("機械設備"), u("諸経費")}));
        pressEnter();
        QCOMPARE(focused(), u("Yosan1"));
        keys(QApplication::focusWidget(), u("1000"));
        pressEnter();
        keys(QApplication::focusWidget(), u("2000"));
        pressEnter();
        QCOMPARE(focused(), u("Ed1"));
        QCOMPARE(shown(form, {"Ttl1", "Yosan7", "Keiy7", "Ed7", "Ttl7"}),
                 (QStringList{"3,000", "1,000", "2,000", "", "3,000"}));

        type(form, "Ed1", u("250.6"));
        leave(form);
        QCOMPARE(shown(form, {"Ed1", "Ttl1"}), (QStringList{"251", "3,251"}));
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "GYOUMU", o.bid, {"Ttl1", "Ttl7", "Kin1"}), (QStringList{"3,251", "3,251", "1,234,567"}));
    }

    void businessRecordClientAndCompanies()
    {
        Office o;
        addMasterRow(o.st, "ConnectCorp", {{"Name", "総合建設"}, {"Addr1", "東京都"}});
        addMasterRow(o.st, "ConnectCorp", {{"Name", "電気工業"}, {"E_FLG", 1}, {"Addr1", "東京都"}, {"Addr2", "千代田区千代田"},
                                           {"Addr3", "1-1"}, {"Tel", "03-1111-2222"}, {"FLACK_NAME", "電気 太郎"}});
        auto& form = o.open<P_GyoumuForm>();
        QCOMPARE(focused(), u("Name1"));
        type(form, "Name3", u("1000001"));
        pressEnter();
        QCOMPARE(edit(form, "Name4")->text(), u("東京都千代田区千代田"));
        QCOMPARE(focused(), u("Name4"));

        // 【電気】 lists the electrical companies only and takes the one handed back.
        form.tabs()->setCurrentIndex(3);
        QStringList listed;
        whenModal([&listed](QWidget* w) {
            auto* master = qobject_cast<M_ConnectCorpForm*>(w);
            for (int i = 0; i < master->recordList()->topLevelItemCount(); ++i)
                listed << master->recordList()->topLevelItem(i)->text(0);
            get<QPushButton>(*master, u("SendBtn"))->click();
        });
        get<QPushButton>(form, u("CorpPop2"))->click();
        QCOMPARE(listed, QStringList{u("電気工業")});
        QCOMPARE(shown(form, {"Corp2", "Addr2", "Tel2", "Tan2"}),
                 (QStringList{"電気工業", "東京都千代田区千代田1-1", "03-1111-2222", "電気 太郎"}));
        QCOMPARE(form.focusWidget(), edit(form, "Corp2"));
        QVERIFY(form.isEdited());

        // Closed without a transfer: the row keeps what it had.
        whenModal([](QWidget* master) { master->close(); });
        get<QPushButton>(form, u("CorpPop1"))->click();
        QCOMPARE(edit(form, "Corp1")->text(), QString());
        QVERIFY(form.apply());
        QCOMPARE(storedTexts(o.st, "GYOUMU", o.bid, {"Addr2", "Name4"}),
                 (QStringList{"東京都千代田区千代田1-1", "東京都千代田区千代田"}));
    }

    void recordBookShowsAndKeepsOnlyNinetyLines()
    {
        Office o;
        QString error;
        QVERIFY2(RecordBook::ensureLines(o.st, o.bid, &error), qPrintable(error));
        for (int i = 0; i < 3; ++i)
            addRow(o.st, DbFile::AnotherOption, "StrIntTable", {{"F_INT01", o.bid}, {"F_STR01", "余分"}});
        auto& form = o.open<P_KirokuboForm>();
        QCOMPARE(form.lines().size(), 90);
        QCOMPARE(get<QLineEdit>(form, P_KirokuboForm::titleField(90))->text(), u("監理報告書"));
        form.tabs()->setCurrentIndex(5);
        type(form, P_KirokuboForm::contentField(90).toLatin1().constData(), u("報告書提出済"));
        type(form, P_KirokuboForm::yearField(90).toLatin1().constData(), u("2025"));
        QVERIFY(form.apply());
        const QVector<QStringList> rows = bookRows(o.st, o.bid);
        QCOMPARE(rows.size(), 93);
        QCOMPARE(rows[89], (QStringList{u("監理報告書"), u("2025"), QString(), QString(), u("報告書提出済")}));
        for (int i = 90; i < 93; ++i)
            QCOMPARE(rows[i], (QStringList{u("余分"), QString(), QString(), QString(), QString()}));
    }

    void recordBookTitlesBecomeTheDefaults()
    {
        Office o;
        QVERIFY(!QFile::exists(o.dir.file(u("kirokubo_tl.ini"))));  // the built-in titles until then
        auto& form = o.open<P_KirokuboForm>();
        QCOMPARE(form.tabs()->count(), 6);
        QCOMPARE(get<QLineEdit>(form, P_KirokuboForm::titleField(40))->text(), u("確認申請"));
        QVERIFY(!form.isEdited());
        QLineEdit* title3 = get<QLineEdit>(form, P_KirokuboForm::titleField(3));
        QVERIFY(title3->isReadOnly());
        QCOMPARE(title3->palette().color(QPalette::Base), QPalette().color(QPalette::Base));
        form.titleCheck()->click();
        QVERIFY(!title3->isReadOnly());
        const QColor yellow(255, 255, 128);
        QCOMPARE(title3->palette().color(QPalette::Base), yellow);
        QCOMPARE(get<QLineEdit>(form, P_KirokuboForm::titleField(90))->palette().color(QPalette::Base), yellow);
        QVERIFY(get<QLineEdit>(form, P_KirokuboForm::titleField(36))->palette().color(QPalette::Base) != yellow);
        // The focus shows white on black over the colour, and the colour comes back.
        title3->setFocus(Qt::MouseFocusReason);
        QCOMPARE(title3->palette().color(QPalette::Base), QColor(Qt::black));
        leave(form);
        QCOMPARE(title3->palette().color(QPalette::Base), yellow);

        type(form, P_KirokuboForm::titleField(3).toLatin1().constData(), u("現地調査"));
        type(form, P_KirokuboForm::titleField(36).toLatin1().constData(), u("図書保管"));
        QVERIFY(form.isEdited());
        QVERIFY(form.apply());
        QVERIFY(!form.isEdited());
        form.titleCheck()->click();
        QCOMPARE(title3->palette().color(QPalette::Base), QPalette().color(QPalette::Base));

        QFile ini(o.dir.file(u("kirokubo_tl.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(ini.readAll()).split(u'\n');
        QCOMPARE(lines.size(), 91);  // 90 lines, each ended
        QCOMPARE(lines[2], u("現地調査"));
        QCOMPARE(lines[35], u("図書保管"));
        QCOMPARE(RecordBook::defaultTitles(), lines.mid(0, 90));
        QCOMPARE(bookRows(o.st, o.bid)[2].first(), u("現地調査"));

        // A project made later starts with the office's titles.
        const qint64 next = newProject(o.st);
        P_KirokuboForm later(o.st, next);
        QCOMPARE(get<QLineEdit>(later, P_KirokuboForm::titleField(3))->text(), u("現地調査"));
        const QVector<QStringList> rows = bookRows(o.st, next);
        QCOMPARE(rows.size(), 90);
        QCOMPARE(rows[35].first(), u("図書保管"));
        QCOMPARE(get<QLineEdit>(later, P_KirokuboForm::titleField(1))->text(), u("見積書提出"));
    }

    void recordBookKeyboard()
    {
        Office o;
        auto& form = o.open<P_KirokuboForm>();
        // Titles are passed by while they are not being changed.
        QCOMPARE(focused(), u("YearText1"));
        keys(QApplication::focusWidget(), u("2025"));
        pressEnter();
        QCOMPARE(focused(), u("MonthText1"));
        keys(QApplication::focusWidget(), u("1a2"));  // letters go, digits stay
        QCOMPARE(get<QLineEdit>(form, u("MonthText1"))->text(), u("12"));
        QCOMPARE(form.beepCount(), 1);
        pressEnter();
        keys(QApplication::focusWidget(), u("３"));  // a full-width digit is meant as a digit
        QCOMPARE(get<QLineEdit>(form, u("DayText1"))->text(), u("3"));
        QCOMPARE(form.beepCount(), 1);
        QCOMPARE(enterWalk(2), (QStringList{u("DayText1"), u("NaiyouText1"), u("YearText2")}));

        // The last line of a page turns to the next page.
        get<QLineEdit>(form, u("NaiyouText15"))->setFocus();
        pressEnter();
        QCOMPARE(form.tabs()->currentIndex(), 1);
        QCOMPARE(focused(), u("YearText16"));
        form.titleCheck()->click();
        get<QLineEdit>(form, u("NaiyouText30"))->setFocus();
        pressEnter();
        QCOMPARE(form.tabs()->currentIndex(), 2);
        QCOMPARE(enterWalk(1), (QStringList{u("KoumokuText31"), u("YearText31")}));
        get<QLineEdit>(form, u("NaiyouText31"))->setFocus();
        pressEnter();
        QCOMPARE(focused(), u("KoumokuText32"));
        form.tabs()->setCurrentIndex(5);
        get<QLineEdit>(form, u("NaiyouText90"))->setFocus();
        QCOMPARE(enterWalk(1), QStringList{u("NaiyouText90")});
        QCOMPARE(form.tabs()->currentIndex(), 5);
        o.prompter.answers.enqueue(Prompter::No);
    }
};

QTEST_MAIN(TestRecordForms)
#include "tst_recordforms.moc"
