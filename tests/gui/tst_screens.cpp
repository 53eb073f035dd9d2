#include "AdrForm.h"
#include "ColorSplash.h"
#include "DMLabelForm.h"
#include "DMUserForm.h"
#include "EntryTestSupport.h"
#include "FolderMakeForm.h"
#include "HelpForm.h"
#include "HistoryPage.h"
#include "M_ArchitectForm.h"
#include "M_ConnectCorpForm.h"
#include "M_UserMasterForm.h"
#include "MailAddPopForm.h"
#include "MailAddSet.h"
#include "MenuForm.h"
#include "OptionSet.h"
#include "P_BoukaForm.h"
#include "P_GaiyouForm.h"
#include "P_GyoumuForm.h"
#include "P_IninForm.h"
#include "P_KaibetuForm.h"
#include "P_KanryouForm.h"
#include "P_KirokuboForm.h"
#include "P_KoujiForm.h"
#include "P_ShikichiForm.h"
#include "P_TatemonoBetuForm.h"
#include "ShicfrmSplash.h"
#include "IfcImportForm.h"
#include "ShinseiCheckForm.h"
#include "ShuYoutoForm.h"
#include "SignForm.h"
#include "SubmissionSetForm.h"
#include "TestSupport.h"
#include "UniteForm.h"
#include "UserCsvImportForm.h"
#include "UserSearchForm.h"
#include "WriteForm.h"
#include "cal1.h"

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace EntryTest;

// Every window of the program on the smallest screen an office uses,
// 1280×800 less a 40-pixel panel: under CTest the offscreen screen is the
// usable 1280×760 (see CMakeLists.txt); any other display is taken as it
// is. With SHINSEIDESK_SCREENSHOTS=DIR each window is also saved there as
// a picture (the whole screen on X11).
class TestScreens : public QObject {
    Q_OBJECT

private slots:
    void everyWindowFitsTheSmallestScreen()
    {
        const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
        // What a desktop adds around a window, and the room its title needs
        // beside the icon and the three buttons of the title bar.
        const QMargins decoration(4, 30, 4, 4);
        const int titleBarButtons = 130;

        TempAppDir dir;
        ScriptedPrompter prompter;
        Storage& st = dir.storage();
        RecipientChoice recipients;
        MenuForm menu(st);
        QVERIFY(showAndWait(menu));
        menu.newProject();
        const qint64 bid = menu.currentProject().bid;
        QVERIFY(bid > 0);

        using Make = std::function<QWidget*()>;
        const QVector<Make> windows = {
            [&] { return &menu; },
            [&] { return new P_GaiyouForm(st, bid, &menu); },
            [&] { return new P_ShikichiForm(st, bid, &menu); },
            [&] { return new P_TatemonoBetuForm(st, bid, 3, &menu); },
            [&] { return new P_KaibetuForm(st, bid, 3, {}, &menu); },
            [&] { return new P_KanryouForm(st, bid, &menu); },
            [&] { return new P_KoujiForm(st, bid, &menu); },
            [&] { return new P_BoukaForm(st, bid, &menu); },
            [&] { return new P_IninForm(st, bid, &menu); },
            [&] { return new P_GyoumuForm(st, bid, &menu); },
            [&] { return new P_KirokuboForm(st, bid, &menu); },
            [&] { return new ShuYoutoForm(st, &menu); },
            [&] { return new HelpForm(&menu); },
            [&] { return new cal1(&menu); },
            [&] { return new AdrForm(&menu); },
            [&] { return new FolderMakeForm(st, FolderStore::Kind::Projects, &menu); },
            [&] { return new ShicfrmSplash(dir.path(), &menu); },
            [&] { return new M_UserMasterForm(st, &menu); },
            [&] { return new M_ArchitectForm(st, &menu); },
            [&] { return new M_ConnectCorpForm(st, &menu); },
            [&] { return new UserCsvImportForm(st, &menu); },
            [&] { return new UserSearchForm(st, &menu); },
            [&] { return new DMLabelForm(st, recipients, &menu); },
            [&] { return new DMUserForm(st, recipients, &menu); },
            [&] { return new MailAddSet(st, &menu); },
            [&] { return new SignForm(st, &menu); },
            [&] { return new WriteForm(st, ComposeRequest{}, &menu); },
            [&] { return new MailAddPopForm(st, 0, &menu); },
            [&] { return new UniteForm(UniteForm::Mode::Attach, &menu); },
            [&] { return new OptionSet(st, {}, &menu); },
            [&] { return new ColorSplash(0, &menu); },
            [&] {
                auto* check = new ShinseiCheckForm(st, &menu);
                check->run(menu.currentProject());
                return check;
            },
            [&] { return new SubmissionSetForm(st, menu.currentProject(), &menu); },
            [&] { return new HistoryAttachForm(&menu); },
            [&] {
                auto* ifc = new IfcImportForm(st, menu.currentProject(), &menu);
                ifc->loadFile(QStringLiteral(SD_TEST_DATA_DIR "/ifc/quantities-ifc4.ifc"));
                return ifc;
            },
        };
        const QString shots = qEnvironmentVariable("SHINSEIDESK_SCREENSHOTS");
        for (const Make& make : windows) {
            QWidget* w = make();
            std::unique_ptr<QWidget> owned(w == &menu ? nullptr : w);
            QVERIFY(showAndWait(*w));
            QApplication::processEvents();
            const QString name = w->objectName();
            // The desktop places a window the program did not place itself.
            QRect frame = w->geometry() + decoration;
            if (!w->testAttribute(Qt::WA_Moved))
                frame.moveTopLeft(usable.topLeft());
            QVERIFY2(usable.contains(frame), qPrintable(QStringLiteral("%1 (%2) needs %3×%4 at %5,%6")
                                                            .arg(name, w->windowTitle())
                                                            .arg(frame.width())
                                                            .arg(frame.height())
                                                            .arg(frame.x())
                                                            .arg(frame.y())));
            const int title = QFontMetrics(QApplication::font()).horizontalAdvance(w->windowTitle());
            QVERIFY2(w->width() >= title + titleBarButtons, qPrintable(name + QStringLiteral(": the title is cut")));
            if (!shots.isEmpty()) {
                // On a real display the whole screen, as the user sees it.
                QTest::qWait(200);
                const QPixmap shot = QGuiApplication::platformName() == QLatin1String("xcb")
                                         ? w->screen()->grabWindow(0)
                                         : w->grab();
                QVERIFY(shot.save(QStringLiteral("%1/%2.png").arg(shots, name)));
            }
            if (w != &menu)
                w->close();
        }
    }

    // The project list uses the room of its panel: no column is cut short
    // while the list has space to spare.
    void projectListColumnsUseTheirPanel()
    {
        Desk d(false);
        QVERIFY(QTest::qWaitForWindowExposed(&d.form));
        QTreeWidget* list = d.form.projectList();
        const int used = list->header()->sectionSize(0) + list->header()->sectionSize(1);
        QVERIFY2(used >= list->viewport()->width() - 2,
                 qPrintable(QStringLiteral("%1 of %2 pixels").arg(used).arg(list->viewport()->width())));
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
