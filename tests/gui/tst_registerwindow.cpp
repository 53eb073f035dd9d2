#include "FolderMakeForm.h"
#include "FolderStore.h"
#include "TestSupport.h"
#include "PostalLookup.h"
#include "ProjectRegister.h"
#include "Recordset.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

// The register as a clerk works it in the main window: new, rename, switch,
// move, copy, delete and find projects.
class TestRegisterWindow : public QObject {
    Q_OBJECT

private:
    static QString stored(Storage& s, qint64 bid, const QString& col)
    {
        Recordset rs(s, DbFile::Kakunin);
        rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid);
        return rs.text(col);
    }
    static void rename(MenuForm& f, const QString& kouji)
    {
        child(f, "Kouji")->setText(kouji);
        f.action(QStringLiteral("VoucherSave"))->trigger();
    }
    static void selectRows(MenuForm& f, const QVector<int>& rows)
    {
        f.projectList()->clearSelection();
        for (int r : rows)
            f.projectList()->topLevelItem(r)->setSelected(true);
    }

private slots:
    // A building name longer than any printed box can hold is cut where
    // the 別紙 ends, with the reason in the status bar; what is kept is saved.
    void aNameLongerThanItsBoxIsCut()
    {
        Desk d;
        MenuForm& form = d.form;
        QVERIFY(QFile::copy(QStringLiteral(SD_TEMPLATE_PATH), d.dir.file(QStringLiteral("確認申請.xlsx"))));
        QLineEdit* buken = child(form, "Buken");
        buken->setFocus();
        QApplication::clipboard()->setText(QString(20000, u'館'));
        QTest::keyClick(buken, Qt::Key_V, Qt::ControlModifier);
        const qsizetype kept = buken->text().size();
        QVERIFY2(kept > 100 && kept < 20000, qPrintable(QString::number(kept)));
        QVERIFY2(form.statusBar()->currentMessage().contains(QStringLiteral("%1 文字までしか入力できません").arg(kept)),
                 qPrintable(form.statusBar()->currentMessage()));
        form.saveProject();
        QCOMPARE(stored(d.dir.storage(), form.currentProject().bid, QStringLiteral("Buken")).size(), kept);
        QVERIFY(d.prompter.shown.isEmpty());
    }

    void newProjectIsCreatedSelectedAndRenamed()
    {
        Desk d(false);
        QCOMPARE(columnTexts(d.form.folderList()), QStringList{"物件一覧"});
        QVERIFY(!d.form.hasProject());
        d.form.action(QStringLiteral("NewVoucher"))->trigger();
        QVERIFY(d.form.hasProject());
        QCOMPARE(columnTexts(d.form.projectList()), QStringList{"<新規>"});
        QCOMPARE(child(d.form, "Kouji")->selectedText(), QStringLiteral("<新規>"));
        QVERIFY(!d.form.isEdited());  // loading is not editing

        rename(d.form, QStringLiteral("山田邸新築工事"));
        child(d.form, "Tel4")->setText(QStringLiteral("03-1234-5678"));
        auto* shu1 = d.form.findChild<QComboBox*>(QStringLiteral("Shu1"));
        shu1->setCurrentIndex(5);
        d.form.setBuildingCount(2);
        QVERIFY(d.form.isEdited());
        d.form.action(QStringLiteral("VoucherSave"))->trigger();
        QVERIFY(!d.form.isEdited());
        const qint64 bid = d.form.currentProject().bid;
        QCOMPARE(columnTexts(d.form.projectList()), QStringList{"山田邸新築工事"});
        QCOMPARE((QStringList{stored(d.dir.storage(), bid, QStringLiteral("Kouji")), stored(d.dir.storage(), bid, QStringLiteral("Tel4")),
                              stored(d.dir.storage(), bid, QStringLiteral("Shu1"))}),
                 (QStringList{"山田邸新築工事", "03-1234-5678", shu1->itemText(5)}));
        QCOMPARE(d.form.currentProject().buildingCount, 2);

        // A second program start finds it where it was left.
        MenuForm again(d.dir.storage());
        again.show();
        QCOMPARE(columnTexts(again.projectList()), QStringList{"山田邸新築工事"});
        QCOMPARE(again.buildingCount(), 2);
        QCOMPARE(again.findChild<QComboBox*>(QStringLiteral("Shu1"))->currentText(), shu1->itemText(5));
    }

    void switchingProjectsAsksAboutUnsavedEdits()
    {
        Desk d;
        rename(d.form, QStringLiteral("一件目"));
        d.form.newProject();
        rename(d.form, QStringLiteral("二件目"));
        QCOMPARE(columnTexts(d.form.projectList()), (QStringList{"一件目", "二件目"}));
        const qint64 second = d.form.currentProject().bid;

        child(d.form, "Buken")->setText(QStringLiteral("捨てる名前"));
        d.prompter.answers.enqueue(Prompter::No);
        d.form.selectProject(0);
        QCOMPARE(d.prompter.texts(), QStringList{"内容が変更されていますが、登録しますか？"});
        QCOMPARE(child(d.form, "Kouji")->text(), QStringLiteral("一件目"));
        QCOMPARE(stored(d.dir.storage(), second, QStringLiteral("Buken")), QString());
        QVERIFY(!d.form.isEdited());

        d.prompter.clear();
        child(d.form, "Buken")->setText(QStringLiteral("残す名前"));
        d.prompter.answers.enqueue(Prompter::Yes);
        const qint64 first = d.form.currentProject().bid;
        d.form.selectProject(1);
        QCOMPARE(d.prompter.shown.size(), 1);
        QCOMPARE(stored(d.dir.storage(), first, QStringLiteral("Buken")), QStringLiteral("残す名前"));
        QCOMPARE(d.form.currentProject().bid, second);
    }

    void anotherComputersRenameIsKept()
    {
        Desk d;
        const qint64 bid = d.form.currentProject().bid;
        auto other = d.dir.openAnother();
        {
            Recordset rs(*other, DbFile::Kakunin);
            QVERIFY(rs.open(QStringLiteral("GAIYOU"), QStringLiteral("B_ID"), bid));
            rs.setValue(QStringLiteral("Kouji"), QStringLiteral("他の端末の名前"));
            QVERIFY(rs.update());
        }
        child(d.form, "Kouji")->setText(QStringLiteral("こちらの名前"));
        child(d.form, "Buken")->setText(QStringLiteral("こちらの建物"));
        d.form.saveProject();
        QCOMPARE(d.prompter.texts() << d.prompter.shown[0].title, (QStringList{"他の方が、編集中に名前を変更しています。", "更新警告"}));
        QCOMPARE((columnTexts(d.form.projectList()) << child(d.form, "Kouji")->text() << stored(d.dir.storage(), bid, QStringLiteral("Buken"))),
                 (QStringList{"他の端末の名前", "他の端末の名前", "こちらの建物"}));
    }

    void dragMovesWithTheLeftButtonAndCopiesWithTheRight()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        FolderStore folders(dir.storage(), FolderStore::Kind::Projects);
        QString error;
        qint64 id = 0;
        QVERIFY(folders.add(&id, &error));
        QVERIFY(folders.rename(id, QStringLiteral("完了物件"), &error));
        MenuForm form(dir.storage());
        form.show();
        for (const char* name : {"一", "二", "三"}) {
            form.newProject();
            rename(form, QString::fromUtf8(name));
        }
        QCOMPARE(form.folders().size(), 2);

        // Two selected projects dropped with the left button: both move.
        selectRows(form, {0, 2});
        QMimeData mime;
        mime.setData(QStringLiteral("application/x-shinseidesk-projects"), "move");
        QWidget* target = form.folderList()->viewport();
        // Entering between or below the rows still takes the drag, so it can go on to a folder.
        const QPoint belowRows(5, target->height() - 5);
        QVERIFY(dragStep(target, QEvent::DragEnter, belowRows, mime));
        const QPoint onSecond = form.folderList()->visualItemRect(form.folderList()->topLevelItem(1)).center();
        QVERIFY(dragStep(target, QEvent::DragEnter, onSecond, mime));
        QVERIFY(dragStep(target, QEvent::Drop, onSecond, mime));
        QTRY_COMPARE(columnTexts(form.projectList()), QStringList{"二"});
        form.selectFolder(1);
        QCOMPARE(columnTexts(form.projectList()), (QStringList{"一", "三"}));

        // The right button copies: the project shows in both folders.
        selectRows(form, {1});
        form.dropProjectsOnFolder(0, true);
        QCOMPARE(columnTexts(form.projectList()), (QStringList{"一", "三"}));
        form.selectFolder(0);
        QCOMPARE(columnTexts(form.projectList()), (QStringList{"二", "三"}));
        QVERIFY(prompter.shown.isEmpty());
    }

    void deleteNeedsTwoYesAnswers()
    {
        Desk d(false);
        for (const char* name : {"残す一", "消す", "残す二"}) {
            d.form.newProject();
            rename(d.form, QString::fromUtf8(name));
        }
        d.form.selectProject(1);
        const qint64 doomed = d.form.currentProject().bid;
        const QString photo = d.dir.file(d.form.currentProject().text(d.form.currentProject().gaiyou, QStringLiteral("PHOTO_FLD")));
        QVERIFY(QDir(photo).exists());

        d.prompter.answers.enqueue(Prompter::No);
        d.form.deleteSelectedProjects();
        d.prompter.answers << Prompter::Yes << Prompter::No;
        d.form.deleteSelectedProjects();
        QCOMPARE(columnTexts(d.form.projectList()).size(), 3);
        QCOMPARE(d.prompter.texts(), (QStringList{"1件の別件を削除します。　よろしいですか？", "1件の別件を削除します。　よろしいですか？", "本当によろしいですか？"}));
        QCOMPARE(d.prompter.shown[0].title, QStringLiteral("確認画面"));

        d.prompter.answers << Prompter::Yes << Prompter::Yes;
        d.form.action(QStringLiteral("DelVoucher"))->trigger();
        QCOMPARE(columnTexts(d.form.projectList()), (QStringList{"残す一", "残す二"}));
        QCOMPARE(stored(d.dir.storage(), doomed, QStringLiteral("Kouji")), QString());
        QVERIFY(!QDir(photo).exists());
        QVERIFY(d.form.hasProject());  // a neighbour is selected again
    }

    void phoneSearchLandsOnTheFirstOfTwoEqualNames()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        FolderStore folders(dir.storage(), FolderStore::Kind::Projects);
        QString error;
        QVERIFY(folders.add(nullptr, &error));
        MenuForm form(dir.storage());
        form.show();
        for (int i = 0; i < 3; ++i) {
            form.newProject();
            rename(form, i == 0 ? QStringLiteral("別件") : QStringLiteral("田中邸"));
            child(form, "Tel4")->setText(i == 0 ? QStringLiteral("06-0000-0000") : QStringLiteral("045-111-2222"));
            form.saveProject();
        }
        // Moved through the menu (not only by dragging): every folder but
        // the one being viewed is offered.
        selectRows(form, {0, 1, 2});
        auto* move = form.findChild<QMenu*>(QStringLiteral("mnMoveProjects"));
        QVERIFY(move);
        emit move->aboutToShow();
        const QList<QAction*> targets = move->actions();
        QCOMPARE(targets.size(), 1);
        QCOMPARE(targets[0]->text(), form.folders()[1].name);
        targets[0]->trigger();
        form.selectFolder(0);
        QCOMPARE(form.projects().size(), 0);
        QVERIFY(!form.hasProject());

        auto* tel = form.findChild<QLineEdit*>(QStringLiteral("TelText"));
        tel->setText(QStringLiteral("111-2222"));
        QTest::keyClick(tel, Qt::Key_Return);
        QCOMPARE(form.currentFolderId(), form.folders()[1].fid);
        QCOMPARE(child(form, "Kouji")->text(), QStringLiteral("田中邸"));
        QCOMPARE(form.projectList()->currentItem(), form.projectList()->topLevelItem(1));
        QVERIFY(prompter.shown.isEmpty());
    }

    void postalButtonsFillEachOther()
    {
        Desk d;
        child(d.form, "Post6")->setText(QStringLiteral("1000001"));
        clickButton(d.form, "PostBtn");
        QCOMPARE(child(d.form, "Addr6")->text(), QStringLiteral("東京都千代田区千代田"));
        child(d.form, "Post6")->clear();
        clickButton(d.form, "AddrBtn");
        QCOMPARE(child(d.form, "Post6")->text(), QStringLiteral("100-0001"));
        QVERIFY(d.form.isEdited());
    }

    void folderWindowKeepsNamesUnique()
    {
        TempAppDir dir;
        ScriptedPrompter prompter;
        FolderMakeForm win(dir.storage(), FolderStore::Kind::Projects);
        QCOMPARE(win.list()->topLevelItemCount(), 1);
        win.newFolder();
        QCOMPARE(win.list()->topLevelItemCount(), 2);
        QCOMPARE(win.nameField()->text(), QStringLiteral("<新規>"));
        win.nameField()->setText(QStringLiteral("物件一覧"));
        win.applyName();
        QCOMPARE(prompter.texts(), QStringList{"同じフォルダ名が存在します、名前を変えてください。"});
        QCOMPARE(win.nameField()->text(), QStringLiteral("<新規>"));
        win.nameField()->setText(QStringLiteral("令和8年度"));
        win.applyName();
        QCOMPARE(win.list()->topLevelItem(1)->text(0), QStringLiteral("令和8年度"));
        prompter.answers.enqueue(Prompter::Yes);
        win.deleteFolder();
        QCOMPARE(prompter.shown.last().text, QStringLiteral("令和8年度を削除します。　よろしいですか？"));
        QCOMPARE(win.list()->topLevelItemCount(), 1);

        FolderMakeForm customers(dir.storage(), FolderStore::Kind::Customers);
        QVERIFY(customers.findChild<QPushButton*>(QStringLiteral("HelpBtn"))->isHidden());
    }
};

QTEST_MAIN(TestRegisterWindow)
#include "tst_registerwindow.moc"
