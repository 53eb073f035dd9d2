#pragma once

#include "PostalLookup.h"

#include <QDialog>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// The address choice window: the user picks one of the addresses that a
// postal code or an address fits.
class AdrForm : public QDialog {
    Q_OBJECT

public:
    explicit AdrForm(QWidget* parent = nullptr);

    void setItems(const QStringList& items);

    // What the user chose: the item's text and index. They stay empty and
    // -1 after "キャンセル", Esc or closing the window, which all reject.
    const QString& chosenText() const { return m_chosenText; }
    int chosenIndex() const { return m_chosenIndex; }

private:
    void choose();
    void cancel();

    QListWidget* m_list;
    QPushButton* m_choiceBtn;
    QPushButton* m_cancelBtn;
    QString m_chosenText;
    int m_chosenIndex = -1;
};

// Asks through AdrForm, shown modally over the given window.
class AdrFormChooser : public AddressChooser {
public:
    explicit AdrFormChooser(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    int choose(const QStringList& items) override;

private:
    QWidget* m_parent;
};
