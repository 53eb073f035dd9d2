#pragma once

#include "EntryForm.h"

class QPushButton;

// 工事届: the statistical notice of construction (main use, use and structure
// of each building, the housing part) and the notice of removal of an
// existing building, on the project's KOUJI row.
class P_KoujiForm : public EntryForm {
    Q_OBJECT
public:
    P_KoujiForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();
    // Columns of the table that the window no longer edits.
    static QStringList retiredColumns();

    // The "検索" button of 主要用途 (0: the new building, 1: the removed one),
    // shown while (2) or (3) is ticked, beside the use field it fills.
    QPushButton* searchButton(int group) const { return m_search[group]; }
    // The use field that the picker fills: that of the ticked (2) or (3),
    // or empty when neither is ticked.
    QString searchTarget(int group) const;
    // Runs the main-use picker and puts the chosen code into that field.
    void searchMainUse(int group);

protected:
    void fieldChanged(const QString& column) override;

private:
    void placeSearchButtons();

    QPushButton* m_search[2] = {nullptr, nullptr};
};
