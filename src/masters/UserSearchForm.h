#pragma once

#include "CustomerStore.h"

#include <QDialog>
#include <QVector>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class Storage;

// The customer search "顧客名検索": customers whose name, e-mail address
// and telephone contain what is typed (empty fields ask for nothing). The
// chosen one goes back to the window that opened the search.
class UserSearchForm : public QDialog {
    Q_OBJECT
public:
    explicit UserSearchForm(Storage& storage, QWidget* parent = nullptr);

    // "検索開始".
    void search();
    // "転送" or a double click: hands the selected hit back and closes.
    void transfer();

    QTreeWidget* resultList() const { return m_list; }
    const QVector<CustomerHit>& hits() const { return m_hits; }
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
    QTreeWidget* m_list;
    QVector<CustomerHit> m_hits;
    CustomerHit m_result;
    bool m_found = false;
};
