#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QPushButton;
class QStatusBar;
class QTextBrowser;

// The help viewer: one local manual page in a browser that fills the
// window, a status bar that tells which page or link is under the pointer,
// and a button that closes the viewer.
class HelpForm : public QWidget {
    Q_OBJECT
public:
    explicit HelpForm(QWidget* parent = nullptr);

    // Shows the page of a local HTML file. A missing file is not an error
    // for the user: the viewer says in its own text which page is absent.
    void showPage(const QString& path);
    // A window's own viewer for a manual page (a path under MANUAL): made
    // on first use, then brought to the front; closing it deletes it.
    static void showManual(QWidget* owner, QPointer<HelpForm>& viewer, const QString& manualPage);

    QString page() const { return m_page; }
    bool pageFound() const { return m_found; }
    QTextBrowser* browser() const { return m_browser; }
    QStatusBar* statusBar() const { return m_status; }
    QPushButton* closeButton() const { return m_close; }

private:
    QTextBrowser* m_browser = nullptr;
    QStatusBar* m_status = nullptr;
    QPushButton* m_close = nullptr;
    QString m_page;
    bool m_found = false;
};
