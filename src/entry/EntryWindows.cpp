#include "EntryWindows.h"

#include "GuiCommon.h"
#include "MenuForm.h"
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

#include <QAction>
#include <QLineEdit>

#include <functional>

namespace EntryWindows {

namespace {

// Brings up the window of one kind for the main window's current project.
// A window still open for another project is closed first (with its own
// closing prompt); if the user keeps it, it comes to the front instead.
template <typename Form>
void show(MenuForm& menu, const MailComposer& mail, const std::function<Form*()>& make)
{
    Form* slot = GuiCommon::openWindow<Form>(menu);
    if (slot && slot->bid() != menu.currentProject().bid) {
        if (!slot->close()) {
            slot->raise();
            slot->activateWindow();
            return;
        }
        slot = nullptr;  // deleted later; a new window takes its place now
    }
    if (!slot) {
        Form* form = make();
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->setMailComposer(mail);
        // What the window saved is what the main window keeps from now on.
        QObject::connect(form, &EntryForm::applied, &menu, [&menu] { menu.reloadCurrentProject(); });
        slot = form;
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

template <typename Form>
void registerSimple(Storage& storage, CommandRegistry& commands, const MailComposer& mail, const char* key)
{
    Storage* st = &storage;
    commands.registerOpener(QString::fromLatin1(key), [st, mail](MenuForm& m) {
        show<Form>(m, mail, [&] { return new Form(*st, m.currentProject().bid, &m); });
    });
}

}  // namespace

void registerOpeners(Storage& storage, CommandRegistry& commands, const MailComposer& mail)
{
    Storage* st = &storage;
    commands.registerOpener(QStringLiteral("btnKentukuNushi"), [st, mail](MenuForm& m) {
        show<P_GaiyouForm>(m, mail, [&] { return new P_GaiyouForm(*st, m.currentProject().bid, &m); });
    });
    commands.registerOpener(QStringLiteral("btnShikiChi"), [st, mail](MenuForm& m) {
        show<P_ShikichiForm>(m, mail, [&] { return new P_ShikichiForm(*st, m.currentProject().bid, &m); });
    });
    commands.registerOpener(QStringLiteral("btnTatemonoBetu"), [st, mail](MenuForm& m) {
        show<P_TatemonoBetuForm>(m, mail, [&] {
            auto* form = new P_TatemonoBetuForm(*st, m.currentProject().bid, m.buildingCount(), &m);
            // Floor names stored for new floor counts reach an open per-floor window.
            QObject::connect(form, &P_TatemonoBetuForm::floorsRenamed, form,
                             [menu = &m](int building, const std::array<QString, BuildingRules::kFloorLines>& names) {
                                 if (auto* floors = GuiCommon::openWindow<P_KaibetuForm>(*menu))
                                     floors->renameFloors(building, names);
                             });
            return form;
        });
    });
    commands.registerOpener(QStringLiteral("btnKaiBetu"), [st, mail](MenuForm& m) {
        show<P_KaibetuForm>(m, mail, [&] {
            MenuForm* menu = &m;
            const qint64 bid = m.currentProject().bid;
            // The floor counts as the main window keeps them, as long as it
            // keeps this project; after it has moved on, the last ones seen.
            auto counts = [menu, bid, last = m.currentProject().buildings]() mutable {
                if (menu->currentProject().bid == bid)
                    last = menu->currentProject().buildings;
                return last;
            };
            auto* form = new P_KaibetuForm(*st, bid, m.buildingCount(), counts, &m);
            // Floor counts saved in the per-building window change the floors listed here.
            QObject::connect(menu, &MenuForm::projectLoaded, form, [form, menu] {
                if (menu->currentProject().bid == form->bid())
                    form->refreshFloorList();
            });
            return form;
        });
    });
    // The windows of one row each: the menu items are the twins of the keys.
    registerSimple<P_KanryouForm>(storage, commands, mail, "btnKensaSinsei");
    registerSimple<P_KoujiForm>(storage, commands, mail, "btnKoujiTodoke");
    registerSimple<P_BoukaForm>(storage, commands, mail, "btnBouka");
    registerSimple<P_IninForm>(storage, commands, mail, "btnInin");
    registerSimple<P_GyoumuForm>(storage, commands, mail, "btnGyoumuNaiyou");
    registerSimple<P_KirokuboForm>(storage, commands, mail, "btnGyoumuKiroku");
}

namespace {

// Triggers a toolbar key (with the main window's own checks) and returns
// the window of that kind it opened.
template <typename Form>
Form* openThrough(MenuForm& menu, const char* key)
{
    if (QAction* a = menu.action(QString::fromLatin1(key)))
        a->trigger();
    Form* form = GuiCommon::openWindow<Form>(menu);
    return form && form->bid() == menu.currentProject().bid ? form : nullptr;
}

}  // namespace

bool showField(MenuForm& menu, const QString& table, const QString& column, int building, int floor)
{
    if (table == QLatin1String("GAIYOU")) {
        for (QWidget* w : menu.headerFields())
            if (w->objectName() == column) {
                menu.raise();
                menu.activateWindow();
                w->setFocus(Qt::OtherFocusReason);
                return true;
            }
    }
    EntryForm* form = nullptr;
    if (table == QLatin1String("GAIYOU") || table == QLatin1String("SEKKEIKANRI")) {
        form = openThrough<P_GaiyouForm>(menu, "btnKentukuNushi");
    } else if (table == QLatin1String("SHIKICHI")) {
        form = openThrough<P_ShikichiForm>(menu, "btnShikiChi");
    } else if (table == QLatin1String("TATEMONOBETU") || table == QLatin1String("DOKURITSU")) {
        auto* f = openThrough<P_TatemonoBetuForm>(menu, "btnTatemonoBetu");
        if (f && building >= 1 && building <= f->buildingCount())
            f->showBuilding(building);
        form = f;
    } else if (table == QLatin1String("KAIBETU")) {
        auto* f = openThrough<P_KaibetuForm>(menu, "btnKaiBetu");
        if (f && building >= 1)
            f->showBuilding(building);
        if (f && floor >= 0)
            f->showFloor(floor);
        form = f;
    } else if (table == QLatin1String("KANRYOU")) {
        form = openThrough<P_KanryouForm>(menu, "btnKensaSinsei");
    } else if (table == QLatin1String("KOUJI")) {
        form = openThrough<P_KoujiForm>(menu, "btnKoujiTodoke");
    } else if (table == QLatin1String("BOUKA")) {
        form = openThrough<P_BoukaForm>(menu, "btnBouka");
    } else if (table == QLatin1String("ININ")) {
        form = openThrough<P_IninForm>(menu, "btnInin");
    } else if (table == QLatin1String("GYOUMU")) {
        form = openThrough<P_GyoumuForm>(menu, "btnGyoumuNaiyou");
    }
    return form && form->showField(column);
}

}  // namespace EntryWindows
