#pragma once

#include "Recipients.h"

class CommandRegistry;
class QWidget;
class Storage;

// The direct-mail labels: opened from the main window's file menu.
namespace Labels {

// Hooks "DMラベル印刷" (mnDM_Print) onto the main window.
void registerOpeners(Storage& storage, CommandRegistry& commands);

// The label window, modal over the parent, printing the recipients chosen.
void openLabelWindow(Storage& storage, RecipientChoice& chosen, QWidget* parent);

}  // namespace Labels
