#pragma once

#include "ChildRows.h"
#include "FieldTable.h"
#include "FlagRules.h"

#include <QHash>
#include <QWidget>

#include <functional>

class EntryForm;
class QListWidget;
class QPushButton;
class RowFields;
class Storage;

// A list of child rows and the fields of the chosen one, on a tab of an
// entry window: 追加, 削除, 上へ, 下へ. The fields are an entry form of their
// own, built from a field table, so they type, filter, format and move on
// Enter like every other field; the window loads and saves the rows with
// its own (EntryForm::addRowsEditor). Several lists of the same kind (one
// per building) can share one editor, one shown at a time.
class RowsEditor : public QWidget {
    Q_OBJECT
public:
    using Summary = std::function<QString(const RowValues&)>;

    // `name` prefixes the objectNames of the list (name + "List") and the
    // buttons (name + "Add", "Del", "Up", "Down").
    RowsEditor(Storage& storage, qint64 bid, const QString& name, FieldTable fields, FlagRules rules,
               QVector<ChildRows> sets, Summary summary, QWidget* parent = nullptr);
    ~RowsEditor() override;

    bool load(QString* error);
    // Every list; inside the window's transaction.
    bool save(QString* error);
    // The transaction has committed: the lists are what is stored.
    void markSaved();
    bool isChanged() const;

    void showSet(int index);
    int shownSet() const { return m_set; }
    ChildRows& rows() { return m_sets[m_set]; }
    const ChildRows& rows(int set) const { return m_sets.at(set); }

    QListWidget* list() const { return m_list; }
    EntryForm* fields() const;
    int current() const;
    void setCurrent(int index);

    int addRow();
    void removeRow();
    void moveUp();
    void moveDown();
    // Puts values into the chosen row's fields, by column (a row is added
    // when the list is empty); columns without a field are passed over.
    void fill(const QHash<QString, QString>& values);

    // A button of the window's own beside the list's buttons.
    void addButton(QPushButton* button);

signals:
    // The user changed the rows: the window has unsaved edits.
    void edited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refill();
    void refreshLine(int index);
    void showRow(int index);
    void fieldChanged(const QString& column);
    void changed();

    Storage& m_storage;
    qint64 m_bid;
    QVector<ChildRows> m_sets;
    int m_set = 0;
    Summary m_summary;
    QListWidget* m_list = nullptr;
    RowFields* m_fields = nullptr;
    QWidget* m_buttons = nullptr;
    bool m_showing = false;
    bool m_grown = false;
};
