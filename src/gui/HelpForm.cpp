#include "HelpForm.h"

#include "AppDir.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpForm::HelpForm(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("ヘルプ"));
    resize(820, 640);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    // Pages of the manual link to each other; anything on the web belongs
    // in the desktop browser, which has the user's bookmarks and log-ins.
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("NextBtn"));
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    connect(m_browser, &QTextBrowser::highlighted, this, [this](const QUrl& link) {
        if (link.isEmpty())
            m_status->showMessage(m_page);
        else
            m_status->showMessage(link.isLocalFile() ? link.toLocalFile() : link.toString());
    });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& source) {
        if (source.isLocalFile()) {
            m_page = source.toLocalFile();
            m_status->showMessage(m_page);
        }
    });
}

void HelpForm::showPage(const QString& path)
{
    m_page = path;
    m_found = QFileInfo(path).isFile();
    if (m_found) {
        m_browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        m_status->showMessage(path);
        return;
    }
    m_browser->clearHistory();
    m_browser->setHtml(QStringLiteral("<h3>ヘルプのページが見つかりません</h3>"
                                      "<p>ファイル「%1」がありません。</p>"
                                      "<p>アプリケーションのフォルダにある MANUAL フォルダを確認してください。</p>")
                           .arg(path.toHtmlEscaped()));
    m_status->showMessage(QStringLiteral("ページがありません: %1").arg(path));
}

void HelpForm::showManual(QWidget* owner, QPointer<HelpForm>& viewer, const QString& manualPage)
{
    if (!viewer) {
        viewer = new HelpForm(owner);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    viewer->showPage(AppDir::file(QStringLiteral("MANUAL/") + manualPage));
    viewer->show();
    viewer->raise();
}
