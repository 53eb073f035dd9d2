#include "IfcImportForm.h"

#include "FileDialogs.h"
#include "GuiCommon.h"
#include "IfcReader.h"
#include "MenuForm.h"
#include "common.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Take, Caption, Project, Model, Source, Note, kColumns };


}  // namespace

IfcImportForm::IfcImportForm(Storage& storage, const ProjectData& project, QWidget* parent)
    : QDialog(parent), m_storage(storage), m_project(project)
{
    setObjectName(QStringLiteral("IfcImportForm"));
    setWindowTitle(QStringLiteral("BIMデータ読込（IFC）"));
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("IFCファイル:")));
    m_file = new QLineEdit;
    m_file->setObjectName(QStringLiteral("IfcFile"));
    m_file->setReadOnly(true);
    fileRow->addWidget(m_file, 1);
    auto* browse = new QPushButton(QStringLiteral("参照(&R)..."));
    browse->setObjectName(QStringLiteral("FileBtn"));
    connect(browse, &QPushButton::clicked, this, &IfcImportForm::chooseFile);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    m_info = new QLabel;
    m_info->setObjectName(QStringLiteral("InfoLabel"));
    m_info->setWordWrap(true);
    const QString last = IfcForms::lastModelNote(m_storage, m_project.bid);
    m_info->setText(last.isEmpty() ? QStringLiteral("この物件にはまだモデルを取り込んでいません。")
                                   : QStringLiteral("前回取り込んだモデル: %1").arg(last));
    layout->addWidget(m_info);

    m_table = new QTableWidget(0, kColumns);
    m_table->setObjectName(QStringLiteral("ItemTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("取込"), QStringLiteral("項目"), QStringLiteral("物件の値"),
                                        QStringLiteral("モデルの値"), QStringLiteral("モデル内の出どころ"), QStringLiteral("注意")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == Take)
            updateApplyButton();
    });
    layout->addWidget(m_table, 1);

    m_warnings = new QPlainTextEdit;
    m_warnings->setObjectName(QStringLiteral("WarningText"));
    m_warnings->setReadOnly(true);
    m_warnings->setMaximumHeight(80);
    m_warnings->hide();
    layout->addWidget(m_warnings);

    auto* buttons = new QHBoxLayout;
    auto* note = new QLabel(QStringLiteral("チェックした項目だけを物件に取り込みます。面積は小数第2位未満を切り捨てています。"));
    note->setWordWrap(true);
    buttons->addWidget(note, 1);
    m_apply = new QPushButton(QStringLiteral("取込(&A)"));
    m_apply->setObjectName(QStringLiteral("ApplyBtn"));
    m_apply->setEnabled(false);
    connect(m_apply, &QPushButton::clicked, this, &IfcImportForm::applyTicked);
    buttons->addWidget(m_apply);
    auto* close = new QPushButton(QStringLiteral("閉じる(&C)"));
    close->setObjectName(QStringLiteral("CloseBtn"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(1000, 560);
}

void IfcImportForm::chooseFile()
{
    const QString path = FileDialogs::openFile(this, QStringLiteral("IFCファイルの選択"), QFileInfo(m_path).path(),
                                               QStringLiteral("IFCファイル (*.ifc *.IFC);;すべてのファイル (*)"));
    if (!path.isEmpty())
        loadFile(path);
}

bool IfcImportForm::loadFile(const QString& path)
{
    Ifc::Model model;
    {
        BusyCursor busy;
        if (!model.readFile(path)) {
            common::ErrorBox(model.error());
            return false;
        }
        m_summary = IfcSummary::summarize(model, IfcSummary::shippedUseClasses());
    }
    m_path = path;
    m_file->setText(QDir::toNativeSeparators(path));
    QStringList warnings = m_summary.warnings;
    m_items = IfcForms::compare(m_summary, m_project, &warnings);
    int differing = 0;
    for (const IfcForms::FormItem& f : std::as_const(m_items))
        differing += f.differs ? 1 : 0;
    m_info->setText(QStringLiteral("%1（%2、長さの単位 %3）: %4 項目のうち %5 項目が物件の値と異なります。")
                        .arg(QFileInfo(path).fileName(), m_summary.schema, m_summary.lengthUnit)
                        .arg(m_items.size())
                        .arg(differing));
    m_warnings->setPlainText(warnings.join(QLatin1Char('\n')));
    m_warnings->setVisible(!warnings.isEmpty());
    fillTable();
    return true;
}

void IfcImportForm::fillTable()
{
    const QSignalBlocker block(m_table);
    m_table->setRowCount(0);
    m_table->setRowCount(m_items.size());
    for (int r = 0; r < m_items.size(); ++r) {
        const IfcForms::FormItem& f = m_items[r];
        auto* take = new QTableWidgetItem;
        take->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        // Nothing is overwritten that the user has not ticked.
        take->setCheckState(Qt::Unchecked);
        take->setData(Qt::UserRole, f.key);
        m_table->setItem(r, Take, take);
        const QString cells[] = {f.caption, f.projectText.isEmpty() ? QStringLiteral("（空）") : f.projectText, f.modelText, f.source, f.note};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            if (f.differs && (c + 1 == Project || c + 1 == Model))
                item->setForeground(QColor(0xb0, 0x00, 0x00));
            m_table->setItem(r, c + 1, item);
        }
    }
    m_table->resizeColumnsToContents();
    for (int c : {Caption, Source, Note})
        m_table->setColumnWidth(c, std::min(m_table->columnWidth(c), 320));
    updateApplyButton();
}

void IfcImportForm::updateApplyButton()
{
    bool any = false;
    for (int r = 0; r < m_table->rowCount() && !any; ++r)
        any = m_table->item(r, Take)->checkState() == Qt::Checked;
    m_apply->setEnabled(any);
}

bool IfcImportForm::applyTicked()
{
    if (m_summary.truncated) {
        common::WarningBox(QStringLiteral("ファイルが途中で切れているため取り込めません。BIMソフトから IFC ファイルを書き出し直してください。"));
        return false;
    }
    QVector<IfcForms::FormItem> chosen;
    for (int r = 0; r < m_table->rowCount(); ++r)
        if (m_table->item(r, Take)->checkState() == Qt::Checked)
            chosen << m_items[r];
    if (chosen.isEmpty())
        return false;
    QStringList changed;
    QString error;
    {
        BusyCursor busy;
        const IfcForms::ModelFile file{QFileInfo(m_path).fileName(), IfcForms::sha256Of(m_path), QDateTime::currentDateTime()};
        if (!IfcForms::apply(m_storage, m_project.bid, chosen, file, &changed, &error)) {
            common::ErrorBox(QStringLiteral("取り込めませんでした。\n%1").arg(error));
            return false;
        }
        ProjectData reloaded;
        if (ProjectData::load(m_storage, m_project.bid, &reloaded, &error))
            m_project = reloaded;
    }
    emit applied();
    // The list now shows the project as it is.
    QStringList warnings = m_summary.warnings;
    m_items = IfcForms::compare(m_summary, m_project, &warnings);
    fillTable();
    m_info->setText(QStringLiteral("%1 項目を取り込みました（モデル %2 を物件の予定表に記録しました）。")
                        .arg(chosen.size())
                        .arg(QFileInfo(m_path).fileName()));
    return true;
}

void IfcImportForm::registerOpener(Storage& storage, CommandRegistry& commands)
{
    commands.registerOpener(QStringLiteral("IfcBtn"), [&storage](MenuForm& m) {
        IfcImportForm form(storage, m.currentProject(), &m);
        connect(&form, &IfcImportForm::applied, &m, [&m] { m.reloadCurrentProject(); });
        form.exec();
    });
}
