#pragma once

class CommandRegistry;
class QWidget;
class Storage;

// The direct-mail labels: opened from the main window's file menu.
namespace Labels {

// Hooks "DMラベル印刷" (mnDM_Print) onto the main window.
void registerOpeners(Storage& storage, CommandRegistry& commands);

// The label window, modal over the parent.
void openLabelWindow(Storage& storage, QWidget* parent);

}  // namespace Labels
