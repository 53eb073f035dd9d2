#include "ShicfrmSplash.h"

#include "FileDialogs.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

const QString ShicfrmSplash::kCancelled = QStringLiteral("NG");

namespace {

QString openWithDialog(QWidget* parent, const QString& folder)
{
    QDir().mkpath(folder);
    return FileDialogs::openFile(parent, QStringLiteral("シックハウスファイルの選択"), folder,
                                 QStringLiteral("シックハウスファイル (*.xlsx *.xls)"));
}

}  // namespace

ShicfrmSplash::ShicfrmSplash(const QString& folder, QWidget* parent)
    : QDialog(parent)
    , m_folder(folder)
    , m_chooser(openWithDialog)
    , m_result(kCancelled)
{
    setObjectName(QStringLiteral("ShicfrmSplash"));
    setWindowTitle(QStringLiteral("シックハウスExcel"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("シックハウスファイル表示"));
    frame->setObjectName(QStringLiteral("Frame1"));
    m_open = new QRadioButton(QStringLiteral("保存ファイルの呼び出し"));
    m_open->setObjectName(QStringLiteral("Option1_0"));
    m_new = new QRadioButton(QStringLiteral("新規に作成"));
    m_new->setObjectName(QStringLiteral("Option1_1"));
    auto* openNote = new QLabel(QStringLiteral("前に作成したファイルを選んで開きます。"));
    auto* newNote = new QLabel(QStringLiteral("番号付きの新しいファイルを作り、物件のデータを書き込んで開きます。"));
    for (QLabel* l : {openNote, newNote}) {
        l->setIndent(24);
        l->setStyleSheet(QStringLiteral("color: #555555;"));
    }
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(m_open);
    inFrame->addWidget(openNote);
    inFrame->addSpacing(6);
    inFrame->addWidget(m_new);
    inFrame->addWidget(newNote);

    m_decide = new QPushButton(QStringLiteral("決定"));
    m_decide->setObjectName(QStringLiteral("OkBtn"));
    m_decide->setEnabled(false);
    m_decide->setDefault(true);
    m_close = new QPushButton(QStringLiteral("閉じる"));
    m_close->setObjectName(QStringLiteral("CloseBtn"));
    m_close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_decide);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 0)));

    for (QRadioButton* r : {m_open, m_new})
        connect(r, &QRadioButton::clicked, this, [this] { m_decide->setEnabled(true); });
    connect(m_decide, &QPushButton::clicked, this, &ShicfrmSplash::decide);
    connect(m_close, &QPushButton::clicked, this, &ShicfrmSplash::reject);
}

void ShicfrmSplash::decide()
{
    if (m_open->isChecked()) {
        const QString path = m_chooser ? m_chooser(this, m_folder) : QString();
        if (path.isEmpty())
            return;  // back to the choice
        m_result = path;
    } else if (m_new->isChecked()) {
        m_result = QString();
    } else {
        return;
    }
    accept();
}

void ShicfrmSplash::reject()
{
    m_result = kCancelled;
    QDialog::reject();
}

QString ShicfrmSplash::choose(QWidget* parent, const QString& folder)
{
    ShicfrmSplash window(folder, parent);
    window.exec();
    return window.result();
}
