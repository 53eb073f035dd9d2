#pragma once

#include "CustomerStore.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class Storage;
class CustomerHitModel;

// The customer search "顧客名検索": customers whose name, e-mail address
// and telephone contain what is typed (empty fields ask for nothing). The
// chosen one goes back to the window that opened the search. The list
// holds the IDs of every hit and reads the lines of the rows it shows, so
// that a hundred thousand customers list at once.
class UserSearchForm : public QDialog {
    Q_OBJECT
public:
    explicit UserSearchForm(Storage& storage, QWidget* parent = nullptr);

    // "検索開始".
    void search();
    // "転送" or a double click: hands the selected hit back and closes.
    void transfer();

    QTreeView* resultList() const { return m_list; }
    bool found() const { return m_found; }
    const CustomerHit& result() const { return m_result; }

    // Runs the window modally; true with *hit when a customer was handed back.
    static bool run(Storage& storage, QWidget* parent, CustomerHit* hit);

private:
    CustomerStore m_store;
    QLineEdit* m_name;
    QLineEdit* m_mail;
    QLineEdit* m_tel;
    QPushButton* m_searchBtn;
    QPushButton* m_sendBtn;
    QPushButton* m_closeBtn;
    QLabel* m_count;
    QTreeView* m_list;
    CustomerHitModel* m_model;
    CustomerHit m_result;
    bool m_found = false;
};
