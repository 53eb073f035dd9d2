#pragma once

#include "Recipients.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class Storage;

// "DM印刷用顧客選択": the sources on the left (all customers, each customer
// folder, the architects' offices, the related companies), their entries
// in the middle, and the recipients chosen so far on the right. The
// choice belongs to whoever opens the window, so that it outlives it.
class DMUserForm : public QDialog {
    Q_OBJECT
public:
    DMUserForm(Storage& storage, RecipientChoice& chosen, QWidget* parent = nullptr);

    // A click on a source row: its candidates.
    void selectSource(int row);
    // The arrow button: the marked candidates join the selection (those
    // without a name or address 2, and keys already chosen, stay out).
    void addMarked();
    // "全選択", "全解除".
    void markAll();
    void clearMarks();
    // "指定顧客取り消し": the marked recipients leave the selection.
    void removeMarked();
    // "実行" beside the telephone field, and "条件検索": the customer found
    // is marked among the candidates (its folder is listed when needed).
    void searchByPhone();
    void conditionSearch();
    bool markCustomer(qint64 id, qint64 firstFolder);

    QTreeWidget* sourceList() const { return m_sources; }
    QTreeWidget* candidateList() const { return m_candidateList; }
    QTreeWidget* selectionList() const { return m_selectionList; }
    const QVector<Recipient>& candidates() const { return m_candidates; }
    int currentSource() const { return m_currentSource; }
    // What the last step told the user in the window's note line.
    QString note() const;

private:
    void fillSources();
    void fillSelection();
    void showCounts();
    void setNote(const QString& text);
    int sourceRowOf(RecipientSource::Kind kind, qint64 folderId) const;

    Storage& m_storage;
    RecipientChoice& m_chosen;
    RecipientStore m_store;
    QVector<RecipientSource> m_sourceRows;
    QVector<Recipient> m_candidates;
    int m_currentSource = -1;

    QTreeWidget* m_sources = nullptr;
    QTreeWidget* m_candidateList = nullptr;
    QTreeWidget* m_selectionList = nullptr;
    QLineEdit* m_telText = nullptr;
    QLabel* m_candidateCount = nullptr;
    QLabel* m_selectionCount = nullptr;
    QLabel* m_note = nullptr;
};
