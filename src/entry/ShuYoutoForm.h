#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;
class QStatusBar;
class QTreeWidget;
class Storage;

// 主用途（建物種別）選択: lists the building kinds of KenchikuButu and hands
// the code of the chosen kind back to the window that opened it.
class ShuYoutoForm : public QDialog {
    Q_OBJECT
public:
    explicit ShuYoutoForm(Storage& storage, QWidget* parent = nullptr);

    // Shows the chooser modally; the chosen code, or empty when the user
    // closed it without choosing.
    static QString choose(Storage& storage, QWidget* parent = nullptr);

    // The code handed back: empty until "転送" or an activated item.
    const QString& result() const { return m_result; }
    QTreeWidget* list() const { return m_list; }

    // Hands back the code of the selected item and closes.
    void send();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitColumns();

    QTreeWidget* m_list = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_close = nullptr;
    QStatusBar* m_status = nullptr;
    QStringList m_codes;
    QString m_result;
};
