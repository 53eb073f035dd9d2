#include "DocumentOutput.h"

#include "BusyCursor.h"
#include "CommandRegistry.h"
#include "FileDialogs.h"
#include "MenuForm.h"
#include "Prompter.h"
#include "ShicfrmSplash.h"
#include "SinseiCellMap.h"

#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

struct PdfResult {
    bool ok = false;
    QString error;
};

// What the application's printed pages could not hold; told after the document is made.
void tellNotes(const ProjectData& project, int sheet)
{
    if (sheet != SinseiExcelOutRtn::documentIndex(SinseiCellMap::kApplicationSheet))
        return;
    const QStringList notes = SinseiCellMap::outputNotes(project);
    if (!notes.isEmpty())
        Prompter::current().show({PromptTitle::Warning, notes.join(QLatin1Char('\n')), Prompter::Icon::Warning,
                                  Prompter::Ok, Prompter::Ok});
}

}  // namespace

DocumentOutput::DocumentOutput()
    : m_output(&m_viewer)
    , m_sickHouse(&m_sickViewer)
{
}

DocumentOutput::~DocumentOutput()
{
    closeAll();
}

void DocumentOutput::closeAll()
{
    m_output.closeEarlier();
    m_sickHouse.closeEarlier();
}

void DocumentOutput::install(CommandRegistry& commands)
{
    commands.setOutputHandler([this](MenuForm& menu, int sheet) { showDocument(menu, sheet); });
    commands.setPdfHandler(
        [this](MenuForm& menu, int sheet, const QString& name) { savePdf(menu, sheet, name); });
}

void DocumentOutput::showDocument(MenuForm& menu, int sheet)
{
    if (sheet < 0) {
        showSickHouse(menu);
        return;
    }
    QString error;
    // The driver tells the user itself when anything goes wrong.
    const bool ok = BusyCursor::during([&] { return m_output.output(menu.currentProject(), sheet, &error); });
    if (ok) {
        menu.statusBar()->showMessage(
            QStringLiteral("「%1」を作成しました。").arg(SinseiExcelOutRtn::documentNames().value(sheet)), 5000);
        tellNotes(menu.currentProject(), sheet);
    }
}

void DocumentOutput::showSickHouse(MenuForm& menu)
{
    const QString choice = ShicfrmSplash::choose(&menu, ShikkuHuseExcel::copyFolder());
    if (choice == ShicfrmSplash::kCancelled)
        return;
    QString error;
    QString created;
    const bool ok = BusyCursor::during([&] {
        return choice.isEmpty() ? m_sickHouse.createNew(menu.currentProject(), QDate::currentDate(), &created, &error)
                                : m_sickHouse.openSaved(choice, &error);
    });
    if (!ok) {
        // A missing template has been reported already.
        if (choice.isEmpty() && !QFile::exists(ShikkuHuseExcel::templatePath()))
            return;
        Prompter::current().show({PromptTitle::Error,
                                  QStringLiteral("シックハウスのワークブックを開けませんでした。\n%1").arg(error),
                                  Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return;
    }
    const QString shown = choice.isEmpty() ? created : choice;
    menu.statusBar()->showMessage(
        QStringLiteral("シックハウスのワークブックを開きました：%1").arg(QFileInfo(shown).fileName()), 8000);
}

QString DocumentOutput::suggestedPdfName(const ProjectData& project, const QString& documentName)
{
    QString base = project.text(project.gaiyou, QStringLiteral("Buken")).trimmed();
    if (base.isEmpty())
        base = project.text(project.gaiyou, QStringLiteral("Kouji")).trimmed();
    if (base.isEmpty())
        base = QStringLiteral("物件%1").arg(project.gaiyouId());
    QString name = base + QLatin1Char('_') + documentName;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    return name + QStringLiteral(".pdf");
}

void DocumentOutput::savePdf(MenuForm& menu, int sheet, const QString& documentName)
{
    if (m_lastPdfFolder.isEmpty()) {
        m_lastPdfFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (m_lastPdfFolder.isEmpty() || !QDir(m_lastPdfFolder).exists())
            m_lastPdfFolder = QDir::homePath();
    }
    const QString suggested =
        QDir(m_lastPdfFolder).filePath(suggestedPdfName(menu.currentProject(), documentName));
    QString path = FileDialogs::saveFile(&menu, QStringLiteral("PDF出力（%1）").arg(documentName), suggested,
                                         QStringLiteral("PDFファイル (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    if (FileDialogs::refuseOwnFile(path))
        return;
    m_lastPdfFolder = QFileInfo(path).absolutePath();

    // The spreadsheet program takes several seconds to render: it runs
    // beside the window, which stays painted and shows that work goes on.
    QProgressDialog progress(QStringLiteral("「%1」のPDFを作成しています…").arg(documentName), QString(), 0, 0, &menu);
    progress.setWindowTitle(QStringLiteral("PDF出力"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setCancelButton(nullptr);
    QFutureWatcher<PdfResult> watcher;
    QEventLoop loop;
    // The watcher reports through the event queue, so a render that ends
    // before the loop starts still ends the loop.
    QObject::connect(&watcher, &QFutureWatcher<PdfResult>::finished, &loop, &QEventLoop::quit);
    const ProjectData project = menu.currentProject();
    watcher.setFuture(QtConcurrent::run([project, sheet, path] {
        PdfResult r;
        r.ok = SinseiExcelOutRtn::exportPdf(project, sheet, path, &r.error);
        return r;
    }));
    {
        BusyCursor busy;
        progress.show();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        watcher.waitForFinished();
        progress.close();
    }

    const PdfResult result = watcher.result();
    if (!result.ok) {
        Prompter::current().show({PromptTitle::Error, QStringLiteral("PDFを作成できませんでした。\n%1").arg(result.error),
                                  Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return;
    }
    menu.statusBar()->showMessage(QStringLiteral("PDFを保存しました：%1").arg(path), 8000);
    tellNotes(project, sheet);
    const Prompter::Button answer = Prompter::current().show({PromptTitle::Confirm,
                                                 QStringLiteral("PDFを作成しました。\n%1\n\n開きますか？").arg(path),
                                                 Prompter::Icon::Question, Prompter::Yes | Prompter::No, Prompter::Yes});
    if (answer == Prompter::Yes)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
