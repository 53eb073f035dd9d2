#include "OptionWindows.h"

#include "GuiCommon.h"
#include "MenuForm.h"
#include "OptionSet.h"
#include "common.h"

#include <QAction>

namespace OptionWindows {

QString buttonKey(int index)
{
    // 印刷, 売上入力 (the document output), 顧客登録, 取引先登録, サーバ情報,
    // オプション, アカウント設定, 削除, then the mail buttons.
    static const char* const keys[OptionValues::kButtons] = {
        nullptr, "SalesMake", "pUsetMaster", "pTorihikiMaster", nullptr, "KanSet",
        nullptr, "DelVoucher", nullptr, nullptr, nullptr, nullptr,
    };
    return index >= 0 && index < OptionValues::kButtons && keys[index] ? QString::fromLatin1(keys[index]) : QString();
}

void applyButtonSwitches(MenuForm& menu, const OptionValues& values)
{
    for (int i = 0; i < OptionValues::kButtons; ++i) {
        const QString key = buttonKey(i);
        if (key.isEmpty())
            continue;
        if (QAction* a = menu.action(key))
            a->setVisible(values.buttons[static_cast<size_t>(i)] != 0);
    }
}

void applyButtonSwitches(MenuForm& menu, Storage& storage)
{
    OptionValues values;
    QString error;
    if (!OptionStore::load(storage, &values, &error))
        common::ErrorBox(error);
    applyButtonSwitches(menu, values);
}

OptionSet* open(Storage& storage, MenuForm& menu, const std::function<void()>& closeWorkbooks)
{
    OptionSet* window = GuiCommon::openWindow<OptionSet>(menu);
    if (!window) {
        window = new OptionSet(storage, closeWorkbooks, &menu);
        QObject::connect(window, &OptionSet::applied, &menu,
                         [&menu](const OptionValues& v) { applyButtonSwitches(menu, v); });
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void registerOpeners(Storage& storage, CommandRegistry& commands, std::function<void()> closeWorkbooks)
{
    Storage* s = &storage;
    // mnOption dispatches to KanSet.
    commands.registerOpener(QStringLiteral("KanSet"), [s, closeWorkbooks](MenuForm& m) { open(*s, m, closeWorkbooks); });
}

}  // namespace OptionWindows
