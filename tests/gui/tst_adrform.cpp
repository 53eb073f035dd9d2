#include "AdrForm.h"
#include "PostalLookup.h"
#include "TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

// The address choice window as a user works it.
class TestAdrForm : public QObject {
    Q_OBJECT

private:
    static QString u(const char* s) { return QString::fromUtf8(s); }

    // Runs `act` on the choice window once it is shown modally.
    static void whenShown(std::function<void(AdrForm*)> act)
    {
        QTimer::singleShot(0, [act] {
            auto* form = qobject_cast<AdrForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            act(form);
        });
    }

    static void clickItem(QListWidget* list, int row, bool twice = false)
    {
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void choiceNeedsAClickAndCancelChoosesNothing()
    {
        AdrForm form;
        form.setItems({u("1000001 東京都千代田区千代田"), u("1000002 東京都千代田区皇居外苑")});
        QVERIFY(showAndWait(form));
        auto* list = child<QListWidget>(form, "List1");
        auto* choice = child<QPushButton>(form, "ChoiceBtn");
        auto* cancel = child<QPushButton>(form, "CancelBtn");
        QCOMPARE(list->count(), 2);
        QVERIFY(!choice->isEnabled());

        clickItem(list, 1);
        QVERIFY(choice->isEnabled());
        choice->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.chosenIndex(), 1);
        QCOMPARE(form.chosenText(), u("1000002 東京都千代田区皇居外苑"));

        // A fresh list forgets the previous choice; cancelling chooses nothing.
        form.setItems({u("a"), u("b")});
        QVERIFY(!choice->isEnabled());
        form.show();
        clickItem(list, 0);
        cancel->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(form.chosenIndex() == -1 && form.chosenText().isEmpty());
    }

    void chooserDrivesTheLookup()
    {
        TempAppDir app;
        AdrFormChooser chooser;
        PostalLookup lookup(app.storage(), &chooser);
        QString field = u("1000001"), first, second;

        // A double click chooses like the button.
        whenShown([](AdrForm* form) {
            auto* list = child<QListWidget>(*form, "List1");
            QCOMPARE(list->count(), 1);
            clickItem(list, 0, true);
        });
        QCOMPARE(lookup.codeToAddress(true, &field, &first, &second), 0);
        QCOMPARE(field, u("100-0001"));
        QCOMPARE(first + second, u("東京都千代田区千代田"));

        // Esc and "キャンセル" leave the field and give status -1.
        whenShown([](AdrForm* form) { QTest::keyClick(form, Qt::Key_Escape); });
        QCOMPARE(lookup.codeToAddress(true, &field, &first, &second), -1);
        QCOMPARE(field, u("100-0001"));
        whenShown([](AdrForm* form) { clickButton(*form, "CancelBtn"); });
        QCOMPARE(lookup.addressToCode(true, u("東京都千代田区千代田")), QString());
    }
};

QTEST_MAIN(TestAdrForm)
#include "tst_adrform.moc"
