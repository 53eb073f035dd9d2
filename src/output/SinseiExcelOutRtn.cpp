#include "SinseiExcelOutRtn.h"

#include "AppDir.h"
#include "FormEditions.h"
#include "InputSheet.h"
#include "LibreOffice.h"
#include "Logging.h"
#include "PageConditions.h"
#include "Prompter.h"
#include "SafeFile.h"
#include "SinseiCellMap.h"
#include "TextFit.h"
#include "WorkbookViewer.h"
#include "XlsxWorkbook.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kContinuationSheet = QStringLiteral("完了申請四面");

bool failWith(QString* error, const QString& message)
{
    qCWarning(lcOutput).noquote() << message;
    if (error)
        *error = message;
    return false;
}

}  // namespace

const QStringList& SinseiExcelOutRtn::documentNames()
{
    static const QStringList names{
        QStringLiteral("確認申請"), QStringLiteral("概要書"),   QStringLiteral("工事届"),
        QStringLiteral("委任状"),   QStringLiteral("計画変更"), QStringLiteral("中間申請"),
        QStringLiteral("完了申請"), QStringLiteral("除去届"),   QStringLiteral("防火対象物"),
        QStringLiteral("監理報告"), QStringLiteral("台帳"),     QStringLiteral("記録"),
    };
    return names;
}

int SinseiExcelOutRtn::documentIndex(const QString& nameOrNumber)
{
    const int byName = documentNames().indexOf(nameOrNumber.trimmed());
    if (byName >= 0)
        return byName;
    bool ok = false;
    const int n = nameOrNumber.trimmed().toInt(&ok);
    return ok && n >= 0 && n < documentNames().size() ? n : -1;
}

QString SinseiExcelOutRtn::templatePath()
{
    return AppDir::file(QStringLiteral("確認申請.xlsx"));
}

QString SinseiExcelOutRtn::outputPath()
{
    return AppDir::file(QStringLiteral("確認申請書.xlsx"));
}

SinseiExcelOutRtn::SinseiExcelOutRtn(WorkbookViewer* viewer)
    : m_viewer(viewer)
{
}

void SinseiExcelOutRtn::closeEarlier()
{
    closeViewerOf(m_viewer, m_lastOutput);
}

bool SinseiExcelOutRtn::output(const ProjectData& project, int docIndex, QString* error)
{
    const QString source = templatePath();
    QString missing;
    if (!templateFound(source, &missing))
        return failWith(error, missing);
    closeEarlier();

    const QString target = outputPath();
    QString why;
    bool ok = fillWorkbook(project, docIndex, source, target, &why);
    if (QFile::exists(target))
        m_lastOutput = target;
    if (ok && m_viewer)
        ok = m_viewer->show(target, &why);
    if (!ok) {
        Prompter::current().show({QStringLiteral("EXCELエラー"),
                                  QStringLiteral("Excelがインストールされていません。　処理を中断します。"),
                                  Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return failWith(error, why);
    }
    return true;
}

bool SinseiExcelOutRtn::fillWorkbook(const ProjectData& project, int docIndex, const QString& source,
                                     const QString& target, QString* error)
{
    // The copy of the template is made by writing the filled workbook: the
    // template is read, never written, and the copy is written once.
    if (AppDir::isOwnFile(target))
        return failWith(error, AppDir::ownFileMessage(target));
    if (common::FileInUse(target))
        return failWith(error, QStringLiteral("「%1」は他のプログラムで開かれています。　閉じてからやり直してください。")
                                   .arg(QDir::toNativeSeparators(target)));

    XlsxWorkbook book;
    if (!book.open(source))
        return failWith(error, book.errorString());
    const QString input = SinseiCellMap::kInputSheet;
    for (const QString& required : {input, SinseiCellMap::kApplicationSheet}) {
        if (!book.hasSheet(required))
            return failWith(error, QStringLiteral("テンプレートにシート「%1」がありません。").arg(required));
    }
    PageConditions pages;
    TextFit fit;
    QString why;
    if (!pages.load(book, &why) || !fit.load(book, &why))
        return failWith(error, why);

    InputSheet sheet;
    QString readError;
    sheet.setTemplateReader([&book, &input, &readError](CellRef ref) {
        XlsxCell cell;
        if (!book.readCell(input, ref, &cell)) {
            readError = book.errorString();
            return QString();
        }
        return cell.formula.isEmpty() ? cell.value : QLatin1Char('=') + cell.formula;
    });
    SinseiCellMap::fillAll(project, sheet);
    // The 別紙 pages themselves print as the annex decides.
    fit.setShownRows([&pages, &project](const QString& sheetName, int row) {
        for (const PageConditions::Page& p : pages.pages())
            if (p.sheet == sheetName && row >= p.first && row <= p.last)
                return sheetName == TextFit::kAnnexSheet || PageConditions::holds(p.key, project);
        return true;
    });
    // Texts too long for a box of the document go to its 別紙; the xlsx of
    // one document keeps the other documents' boxes at the smallest size.
    const QSet<QString> facts = fit.planAnnex(sheet, printedSheets(docIndex, book.sheetNames()));
    if (!readError.isEmpty())
        return failWith(error, readError);
    if (!book.writeCells(input, sheet.writes()) || !fit.applySizes(book, sheet, &why)
        || !pages.apply(book, project, facts, &why))
        return failWith(error, why.isEmpty() ? book.errorString() : why);

    if (docIndex >= 0 && docIndex < documentNames().size()) {
        const QString name = documentNames().at(docIndex);
        if (!book.hasSheet(name))
            return failWith(error, QStringLiteral("テンプレートにシート「%1」がありません。").arg(name));
        if (!book.selectSheet(name))
            return failWith(error, book.errorString());
    }
    // The values for viewers that do not calculate; Excel still recalculates on load.
    if (!book.requestFullRecalculation(XlsxWorkbook::CachedValues::Compute) || !book.saveAs(target))
        return failWith(error, book.errorString());
    return true;
}

bool SinseiExcelOutRtn::exportPdf(const ProjectData& project, int docIndex, const QString& pdfPath, QString* error)
{
    const QString source = templatePath();
    if (!QFile::exists(source))
        return failWith(error, QStringLiteral("必要とするシステムファイルが存在しません。"));
    QTemporaryDir work;
    if (!work.isValid())
        return failWith(error, QStringLiteral("作業用フォルダを作成できません。"));
    const QString filled = work.filePath(QStringLiteral("filled.xlsx"));
    return fillWorkbook(project, docIndex, source, filled, error) && renderPdf(filled, pdfPath, docIndex, error);
}

QStringList SinseiExcelOutRtn::printedSheets(int docIndex, const QStringList& allSheets)
{
    QStringList out;
    if (docIndex >= 0 && docIndex < documentNames().size()) {
        out << documentNames().at(docIndex);
        if (docIndex == documentIndex(QStringLiteral("完了申請")) && allSheets.contains(kContinuationSheet))
            out << kContinuationSheet;
        // Every document carries the continuation pages of its own long texts.
        if (allSheets.contains(TextFit::kAnnexSheet))
            out << TextFit::kAnnexSheet;
        return out;
    }
    static const QStringList kHidden{SinseiCellMap::kInputSheet, PageConditions::kSheet, TextFit::kBoxesSheet,
                                     FormEditions::kSheet};
    for (const QString& s : allSheets)
        if (!kHidden.contains(s))
            out << s;
    return out;
}

bool SinseiExcelOutRtn::renderPdf(const QString& workbookPath, const QString& pdfPath, int docIndex, QString* error)
{
    return renderSheets(
        workbookPath, pdfPath, [docIndex](const QStringList& all) { return printedSheets(docIndex, all); }, false,
        error);
}

bool SinseiExcelOutRtn::renderSheets(const QString& workbookPath, const QString& pdfPath,
                                     const std::function<QStringList(const QStringList&)>& sheetsOf, bool bookmarks,
                                     QString* error)
{
    if (AppDir::isOwnFile(pdfPath))
        return failWith(error, AppDir::ownFileMessage(pdfPath));
    const QString office = LibreOffice::executable();
    if (office.isEmpty())
        return failWith(error, LibreOffice::notInstalledMessage());
    if (!QFile::exists(workbookPath))
        return failWith(error, QStringLiteral("ファイル「%1」が見つかりません。").arg(workbookPath));
    QTemporaryDir work;
    if (!work.isValid())
        return failWith(error, QStringLiteral("作業用フォルダを作成できません。"));
    const QString copy = work.filePath(QStringLiteral("output.xlsx"));
    if (!SafeFile::copy(workbookPath, copy, error))
        return false;

    // Only the sheets of the document stay visible: LibreOffice prints every visible sheet.
    {
        XlsxWorkbook book;
        if (!book.open(copy))
            return failWith(error, book.errorString());
        const QStringList all = book.sheetNames();
        QStringList printed = sheetsOf(all);
        // The 別紙 fills from its first page: with that one hidden it has
        // nothing to print, and an empty sheet would still give a page.
        bool annexUnused = false;
        if (printed.contains(TextFit::kAnnexSheet)
            && (!book.isRowHidden(TextFit::kAnnexSheet, 1, &annexUnused) || annexUnused))
            printed.removeAll(TextFit::kAnnexSheet);
        for (const QString& s : printed)
            if (!all.contains(s))
                return failWith(error, QStringLiteral("ブックにシート「%1」がありません。").arg(s));
        if (printed.isEmpty())
            return failWith(error, QStringLiteral("印刷するシートがありません。"));
        bool ok = book.setSheetHidden(printed.first(), false) && book.selectSheet(printed.first());
        for (const QString& s : all) {
            if (!ok)
                break;
            ok = book.setSheetHidden(s, !printed.contains(s));
            // A hidden sheet with a print area would still be printed.
            if (ok && !printed.contains(s))
                ok = book.removePrintArea(s);
        }
        ok = ok && book.requestFullRecalculation() && book.save();
        if (!ok)
            return failWith(error, book.errorString());
    }

    QProcess soffice;
    soffice.setProcessEnvironment(LibreOffice::environment(work.path()));
    soffice.setProgram(office);
    soffice.setArguments({LibreOffice::prepareProfile(work.filePath(QStringLiteral("profile"))),
                          QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"),
                          QStringLiteral("--convert-to"),
                          // One outline entry per printed sheet, at its first page: how a set is split again.
                          bookmarks ? QStringLiteral("pdf:calc_pdf_Export:{\"ExportBookmarks\":{\"type\":\"boolean\",\"value\":\"true\"}}")
                                    : QStringLiteral("pdf"),
                          QStringLiteral("--outdir"), work.path(),
                          copy});
    soffice.start();
    if (!soffice.waitForStarted(30000)) {
        qCWarning(lcOutput).noquote() << office << "does not start:" << soffice.error() << soffice.errorString();
        return failWith(error, QStringLiteral("LibreOffice を起動できません（%1）。").arg(soffice.errorString()));
    }
    if (!soffice.waitForFinished(300000)) {
        qCWarning(lcOutput).noquote() << office << "still converting" << copy << "after 300 s; stopped";
        soffice.kill();
        soffice.waitForFinished(5000);
        return failWith(error, QStringLiteral("LibreOffice の PDF 変換が終わりません。"));
    }
    const QString produced = work.filePath(QStringLiteral("output.pdf"));
    if (!QFile::exists(produced)) {
        const QString detail = QString::fromLocal8Bit(soffice.readAllStandardError()).trimmed();
        // LibreOffice says why on stdout ("Error: source file could not be
        // loaded") and often exits 0 all the same.
        qCWarning(lcOutput).noquote() << office << "made no PDF of" << copy << "exit" << soffice.exitStatus()
                                      << soffice.exitCode() << "stdout:" << soffice.readAllStandardOutput().trimmed()
                                      << "stderr:" << detail;
        return failWith(error, QStringLiteral("LibreOffice が PDF を作成できませんでした。%1").arg(detail));
    }
    // The earlier PDF stays whole until the new one has replaced it.
    return SafeFile::move(produced, QFileInfo(pdfPath).absoluteFilePath(), error);
}
