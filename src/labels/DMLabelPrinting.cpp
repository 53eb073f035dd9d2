#include "DMLabelForm.h"

#include "DMUserForm.h"
#include "FileDialogs.h"
#include "GuiCommon.h"
#include "LabelPreview.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>

// The label window's sheets: where the first sheet starts, the pages of
// the preview, the recipients they carry, and the print.

void DMLabelForm::setStartMode(LabelPlan::StartMode mode)
{
    m_job.plan.setMode(mode);
    if (QAbstractButton* b = m_startGroup->button(static_cast<int>(mode)))
        b->setChecked(true);
    // The first sheet is where the free labels are chosen.
    if (mode != LabelPlan::StartMode::Top)
        m_page = 0;
    updatePages();
}

void DMLabelForm::clickLabel(int label)
{
    if (m_page != 0 || m_job.plan.mode() == LabelPlan::StartMode::Top)
        return;
    m_job.plan.clickLabel(label);
    updatePages();
}

void DMLabelForm::updatePages()
{
    const int pages = pageCount();
    m_page = std::clamp(m_page, 0, std::max(0, pages - 1));
    m_preview->setSampleTexts(m_job.recipients.isEmpty());
    m_preview->setPage(m_page);
    m_pageText->setText(QString::number(m_page + 1));
    m_pageLabel->setText(QStringLiteral("/ %1 ページ").arg(pages));
    m_backBtn->setEnabled(m_page > 0);
    m_nextBtn->setEnabled(m_page + 1 < pages);
    m_startHint->setVisible(true);
    m_startHint->setText(m_job.plan.startHint());
    m_preview->update();
}

void DMLabelForm::showPage(int page)
{
    m_page = page;
    updatePages();
}

void DMLabelForm::nextPage()
{
    showPage(m_page + 1);
}

void DMLabelForm::previousPage()
{
    showPage(m_page - 1);
}

// ---------------------------------------------------------------- recipients

void DMLabelForm::chooseRecipients()
{
    DMUserForm form(m_storage, m_chosen, this);
    form.exec();
    refreshRecipients();
}

void DMLabelForm::refreshRecipients()
{
    m_job.recipients = m_chosen;
    m_choiceNum->setText(QString::number(m_job.recipients.size()));
    fillRecipientGrid();
    updatePages();
}

void DMLabelForm::fillRecipientGrid()
{
    m_grid->setUpdatesEnabled(false);
    m_grid->clearContents();
    m_grid->setRowCount(static_cast<int>(m_job.recipients.size()));
    for (int r = 0; r < m_job.recipients.size(); ++r) {
        const Recipient& p = m_job.recipients[r];
        const QString cells[] = {p.postalCode, p.name1, p.name2, p.address1, p.address2, p.address3, p.email};
        for (int c = 0; c < 7; ++c)
            m_grid->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    m_grid->setUpdatesEnabled(true);
}

void DMLabelForm::setHonorific(const QString& honorific)
{
    m_job.honorific = honorific.trimmed();
    if (m_honoCombo->currentText() != honorific)
        m_honoCombo->setCurrentText(honorific);
    m_preview->update();
}

// ---------------------------------------------------------------- printing

void DMLabelForm::print()
{
    m_printNote->hide();
    m_lastPages = 0;
    m_lastOutcome = LabelPrint::confirm(m_job);
    if (m_lastOutcome != LabelPrint::Outcome::Printed)
        return;

    PrnCommon::Target target;
    const QString choice = m_prnTarget->currentText();
    if (choice == kPdfTarget) {
        target.pdfPath = pdfPath();
        if (target.pdfPath.isEmpty()) {
            m_lastOutcome = LabelPrint::Outcome::Declined;
            return;
        }
    } else {
        target.printerName = choice;
    }

    {
        // Several hundred labels take a moment: the pointer and a progress
        // bar say so, and the bar can stop the print.
        BusyCursor busy;
        QProgressDialog progress(QStringLiteral("ラベルを印刷しています…"), QStringLiteral("中止"), 0, pageCount(), this);
        progress.setWindowTitle(QStringLiteral("DMラベル印刷"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(400);
        progress.setValue(0);
        m_lastOutcome = LabelPrint::print(
            m_job, target,
            [&progress](int done, int total) {
                progress.setMaximum(total);
                progress.setValue(done);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                return !progress.wasCanceled();
            },
            &m_lastPages);
    }

    switch (m_lastOutcome) {
    case LabelPrint::Outcome::Printed:
        m_printNote->setText(target.pdfPath.isEmpty()
                                 ? QStringLiteral("%1 ページを「%2」に送りました。").arg(m_lastPages).arg(target.printerName)
                                 : QStringLiteral("%1 ページをPDFファイル「%2」に保存しました。")
                                       .arg(m_lastPages)
                                       .arg(QDir::toNativeSeparators(target.pdfPath)));
        m_printNote->show();
        break;
    case LabelPrint::Outcome::Cancelled:
        m_printNote->setText(QStringLiteral("印刷を中止しました。"));
        m_printNote->show();
        break;
    default:
        break;
    }
}

// The PDF file chosen for the print, with its ending; empty when the
// choice was dropped or names one of the office's own files.
QString DMLabelForm::pdfPath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(dir.isEmpty() ? QDir::homePath() : dir).filePath(QStringLiteral("DMラベル.pdf"));
    QString path = m_pdfChooser ? m_pdfChooser(this, suggested)
                                : FileDialogs::saveFile(this, kPdfTarget, suggested, QStringLiteral("PDFファイル (*.pdf)"));
    if (path.isEmpty())
        return {};
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    return FileDialogs::refuseOwnFile(path) ? QString() : path;
}
