#pragma once

#include "ShinseiCheck.h"

#include <QWidget>

#include <functional>

class CommandRegistry;
class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class Storage;

// 申請前チェック: the findings of the check for one project, errors first.
// Double-click or Enter on a finding opens the entry window at its field.
// The window only shows: the rules are ShinseiCheck's.
class ShinseiCheckForm : public QWidget {
    Q_OBJECT
public:
    using Jump = std::function<bool(const ShinseiCheck::Finding&)>;

    explicit ShinseiCheckForm(Storage& storage, QWidget* parent = nullptr);

    // Where a finding sends the user; without one, findings only show.
    void setJump(Jump jump) { m_jump = std::move(jump); }
    // Checks a project and lists what was found.
    void run(const ProjectData& project);

    qint64 bid() const { return m_bid; }
    const ShinseiCheck::Report& report() const { return m_report; }
    QTreeWidget* list() const { return m_list; }
    // The finding a row of the list shows (nullptr for none).
    const ShinseiCheck::Finding* findingOf(QTreeWidgetItem* item) const;

signals:
    // 再チェック: the caller reads the project again and calls run().
    void recheckRequested();

private:
    void fill();
    void open(QTreeWidgetItem* item);

    Storage& m_storage;
    Jump m_jump;
    qint64 m_bid = 0;
    ShinseiCheck::Report m_report;
    QLabel* m_summary = nullptr;
    QLabel* m_classes = nullptr;
    QCheckBox* m_showInfo = nullptr;
    QTreeWidget* m_list = nullptr;
};

// Hooks the window onto the main window's 申請前チェック item.
namespace CheckWindows {
void registerOpeners(Storage& storage, CommandRegistry& commands);
}
