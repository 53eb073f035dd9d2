#include "SubmissionSet.h"

#include "PortalItems.h"

#include "AppDir.h"
#include "Logging.h"
#include "SafeFile.h"
#include "ShoshikiSet.h"
#include "SinseiExcelOutRtn.h"
#include "TextFit.h"
#include "XlsxWorkbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <vector>

namespace SubmissionSet {
namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

bool failWith(QString* error, const QString& message)
{
    qCWarning(lcOutput).noquote() << message;
    if (error)
        *error = message;
    return false;
}

std::string fsName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// qpdf warns on stderr about things it repairs; the program says what matters itself.
std::unique_ptr<QPDF> openPdf(const QString& path, bool recover)
{
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(recover);
    pdf->processFile(fsName(path).c_str());
    return pdf;
}

// One bookmark: a title, the index of its page and the bookmarks under it.
struct Mark {
    QString title;
    size_t page;
    std::vector<Mark> children;
};

// Links items as the siblings of one outline level under parent; answers
// how many items the level shows, its own and its open children's.
long long linkOutline(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages, const std::vector<Mark>& marks,
                      QPDFObjectHandle parent)
{
    std::vector<QPDFObjectHandle> items;
    long long shown = 0;
    for (const Mark& m : marks) {
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(m.title.toStdString()));
        item.replaceKey("/Parent", parent);
        item.replaceKey("/Dest", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                     pages.at(m.page).getObjectHandle(), QPDFObjectHandle::newName("/Fit")}));
        if (!items.empty()) {
            item.replaceKey("/Prev", items.back());
            items.back().replaceKey("/Next", item);
        }
        items.push_back(item);
        shown += 1 + linkOutline(pdf, pages, m.children, item);
    }
    if (items.empty())
        return 0;
    parent.replaceKey("/First", items.front());
    parent.replaceKey("/Last", items.back());
    parent.replaceKey("/Count", QPDFObjectHandle::newInteger(shown));
    return shown;
}

void writeOutline(QPDF& pdf, const std::vector<Mark>& marks)
{
    if (marks.empty())
        return;
    QPDFObjectHandle root = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    root.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    linkOutline(pdf, QPDFPageDocumentHelper(pdf).getAllPages(), marks, root);
    pdf.getRoot().replaceKey("/Outlines", root);
    pdf.getRoot().replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// The faces of the printed sheets: for every printed page, in order, the
// face its title names (第一面 …), empty where the title names none.
// A sheet the cell list does not know is left out; its document then gets
// no face bookmarks.
QHash<QString, QStringList> pageFaces(const QString& workbook, const QString& templ, const QStringList& sheets)
{
    static const QRegularExpression kFace(QStringLiteral("第[一二三四五六七八九十]+面"));
    QHash<QString, QStringList> out;
    ShoshikiSet::CellList cells;
    XlsxWorkbook book;
    if (!ShoshikiSet::loadCellList(templ, &cells, nullptr) || !book.open(workbook))
        return out;
    for (const QString& sheet : sheets) {
        const auto it = cells.constFind(sheet);
        if (it == cells.constEnd() || it->pages.isEmpty())
            continue;
        QMap<int, QString> titleAt;  // row → first cell of a title
        for (const QString& range : it->title) {
            const CellRef ref = CellRef::parse(range.section(QChar(':'), 0, 0));
            if (ref.isValid() && !titleAt.contains(ref.row))
                titleAt.insert(ref.row, ref.name());
        }
        QStringList faces;
        bool known = true;
        for (const auto& page : it->pages) {
            bool shown = false;
            for (int row = page.first; row <= page.second && !shown && known; ++row) {
                bool hidden = false;
                known = book.isRowHidden(sheet, row, &hidden);
                shown = !hidden;
            }
            if (!known)
                break;
            if (!shown)
                continue;
            QString face;
            for (auto t = titleAt.lowerBound(page.first); t != titleAt.end() && t.key() <= page.second && face.isEmpty();
                 ++t) {
                XlsxCell cell;
                if (book.readCell(sheet, t.value(), &cell))
                    face = kFace.match(cell.value).captured();
            }
            faces << face;
        }
        if (known)
            out.insert(sheet, faces);
    }
    return out;
}

// The face bookmarks of one document from the faces of its printed pages,
// first page at `first`: one per run of pages of one face. A face that
// comes again (第四面 to 第六面 for each building) is numbered by its turn.
std::vector<Mark> faceMarks(const QStringList& faces, size_t first)
{
    std::vector<Mark> out;
    QString current;
    for (int i = 0; i < faces.size(); ++i) {
        if (faces[i].isEmpty() || faces[i] == current)
            continue;
        current = faces[i];
        out.push_back({current, first + static_cast<size_t>(i), {}});
    }
    QHash<QString, int> runs, turn;
    for (const Mark& m : out)
        ++runs[m.title];
    for (Mark& m : out)
        if (runs.value(m.title) > 1)
            m.title += s("（%1棟目）").arg(++turn[m.title]);
    // A document of one face needs no bookmark under its own.
    if (out.size() == 1)
        out.clear();
    return out;
}

void writePdf(QPDF& pdf, const QString& path)
{
    QPDFWriter w(pdf, fsName(path).c_str());
    w.setObjectStreamMode(qpdf_o_generate);
    // The same pages give the same file: the submission history tells an
    // unchanged document from a changed one by its checksum.
    w.setDeterministicID(true);
    w.write();
}

}  // namespace

const QVector<Kind>& kinds()
{
    // The 委任状 is proposed only where a 代理者 is entered (proposedDocuments).
    static const QVector<Kind> table{
        {s("確認申請"), {s("確認申請"), s("概要書"), s("委任状")}},
        {s("計画変更"), {s("計画変更"), s("概要書"), s("委任状")}},
        {s("中間検査"), {s("中間申請"), s("委任状")}},
        {s("完了検査"), {s("完了申請"), s("委任状")}},
        {s("工事届"), {s("工事届")}},
        {s("除却届"), {s("除去届")}},
    };
    return table;
}

QStringList kindNames()
{
    QStringList out;
    for (const Kind& k : kinds())
        out << k.name;
    return out;
}

QStringList proposedDocuments(const QString& kind, const ProjectData& project)
{
    for (const Kind& k : kinds()) {
        if (k.name != kind.trimmed())
            continue;
        QStringList docs = k.documents;
        if (project.text(project.gaiyou, s("Name5")).trimmed().isEmpty())
            docs.removeAll(s("委任状"));
        return docs;
    }
    return {};
}

QString safeName(const QString& name, int maxBytes)
{
    static const QString kRefused = s("/\\:*?\"<>|");
    QString out;
    for (const QChar c : name)
        out += (c.category() == QChar::Other_Control || kRefused.contains(c)) ? QChar('_') : c;
    // Windows drops trailing dots and blanks; a leading dot hides the file.
    while (!out.isEmpty() && (out.front().isSpace() || out.front() == QChar('.')))
        out.remove(0, 1);
    while (!out.isEmpty() && (out.back().isSpace() || out.back() == QChar('.')))
        out.chop(1);
    // Cut whole characters (never half a surrogate pair) until it fits.
    while (out.toUtf8().size() > maxBytes) {
        out.chop(1);
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
    }
    return out;
}

QString fileName(const QString& buildingName, const QString& document, const QDate& date)
{
    QString building = safeName(buildingName, 120);
    if (building.isEmpty())
        building = s("名称未設定");
    return safeName(building + QChar('_') + safeName(document, 60) + QChar('_') + date.toString(QStringLiteral("yyyyMMdd")))
           + QStringLiteral(".pdf");
}

bool checkDrawings(const QStringList& drawings, QString* error)
{
    for (const QString& path : drawings) {
        const QString name = QFileInfo(path).fileName();
        if (!QFileInfo(path).isFile())
            return failWith(error, s("図面ファイル「%1」が見つかりません。").arg(path));
        try {
            // No repair: a file that needs one is not sent to an authority as it is.
            std::unique_ptr<QPDF> pdf = openPdf(path, false);
            if (pdf->isEncrypted())
                return failWith(error, s("図面ファイル「%1」は暗号化されています。　保護を解除した PDF を指定してください。")
                                           .arg(name));
            if (QPDFPageDocumentHelper(*pdf).getAllPages().empty())
                return failWith(error, s("図面ファイル「%1」にはページがありません。").arg(name));
        } catch (const QPDFExc& e) {
            if (e.getErrorCode() == qpdf_e_password)
                return failWith(error, s("図面ファイル「%1」はパスワードで保護されています。　保護を解除した PDF を指定してください。")
                                           .arg(name));
            return failWith(error, s("図面ファイル「%1」は壊れているか PDF ではありません。（%2）")
                                       .arg(name, QString::fromLocal8Bit(e.what())));
        } catch (const std::exception& e) {
            return failWith(error, s("図面ファイル「%1」は壊れているか PDF ではありません。（%2）")
                                       .arg(name, QString::fromLocal8Bit(e.what())));
        }
    }
    return true;
}

QString itemsBaseName(const QString& buildingName, const QString& kind, const QDate& date)
{
    QString name = fileName(buildingName, kind + s("入力項目"), date);
    name.chop(4);  // ".pdf"
    return name;
}

bool make(const ProjectData& project, const Request& request, Result* result, QString* error)
{
    const QStringList& known = SinseiExcelOutRtn::documentNames();
    if (request.documents.isEmpty())
        return failWith(error, s("書類が選ばれていません。"));
    for (const QString& d : request.documents) {
        if (!known.contains(d))
            return failWith(error, s("書類「%1」はありません。").arg(d));
        if (request.documents.count(d) > 1)
            return failWith(error, s("書類「%1」が二度選ばれています。").arg(d));
    }
    const QDir outDir(request.outDir);
    if (request.outDir.isEmpty() || !outDir.exists())
        return failWith(error, s("出力先フォルダ「%1」がありません。").arg(request.outDir));

    const QString building = project.text(project.gaiyou, s("Buken"));
    const QString combinedPath = outDir.absoluteFilePath(fileName(building, request.kind + s("一式"), request.date));
    QStringList docPaths;
    for (const QString& d : request.documents)
        docPaths << outDir.absoluteFilePath(fileName(building, d, request.date));
    const QStringList written = QStringList(docPaths) << combinedPath;
    for (const QString& path : written)
        if (AppDir::isOwnFile(path))
            return failWith(error, AppDir::ownFileMessage(path));
    if (!checkDrawings(request.drawings, error))
        return false;

    const QString templ = SinseiExcelOutRtn::templatePath();
    if (!QFile::exists(templ))
        return failWith(error, s("必要とするシステムファイルが存在しません。"));
    QTemporaryDir work;
    if (!work.isValid())
        return failWith(error, s("作業用フォルダを作成できません。"));

    // One fill and one LibreOffice run for every document of the set; the
    // sheets come out in workbook order, each starting at its bookmark.
    QHash<QString, QString> documentOfSheet;
    const QString filled = work.filePath(QStringLiteral("filled.xlsx"));
    const QString rendered = work.filePath(QStringLiteral("set.pdf"));
    auto sheetsOf = [&request, &known, &documentOfSheet](const QStringList& all) {
        QStringList out;
        for (const QString& d : request.documents) {
            const QStringList sheets = SinseiExcelOutRtn::printedSheets(known.indexOf(d), all);
            for (const QString& sheet : sheets)
                if (sheet != TextFit::kAnnexSheet)
                    documentOfSheet.insert(sheet, d);
            out << sheets;
        }
        out.removeDuplicates();
        return out;
    };
    if (!SinseiExcelOutRtn::fillWorkbook(project, -1, templ, filled, error)
        || !SinseiExcelOutRtn::renderSheets(filled, rendered, sheetsOf, true, error))
        return false;

    try {
        std::unique_ptr<QPDF> set = openPdf(rendered, true);
        const std::vector<QPDFPageObjectHelper> setPages = QPDFPageDocumentHelper(*set).getAllPages();
        std::map<QPDFObjGen, size_t> pageIndex;
        for (size_t i = 0; i < setPages.size(); ++i)
            pageIndex[setPages[i].getObjectHandle().getObjGen()] = i;
        // Start page of each printed sheet; a sheet runs to the next one's start.
        std::vector<std::pair<size_t, QString>> starts;
        for (QPDFOutlineObjectHelper& o : QPDFOutlineDocumentHelper(*set).getTopLevelOutlines()) {
            const auto it = pageIndex.find(o.getDestPage().getObjGen());
            if (it != pageIndex.end())
                starts.emplace_back(it->second, QString::fromStdString(o.getTitle()));
        }
        std::sort(starts.begin(), starts.end());
        if (starts.empty() || starts.front().first != 0)
            return failWith(error, s("LibreOffice の PDF にシートの区切りがありません。"));
        QHash<QString, std::vector<size_t>> pagesOf;  // document or 別紙 → page indexes
        const QHash<QString, QStringList> sheetFaces = pageFaces(filled, templ, documentOfSheet.keys());
        QHash<QString, QStringList> facesOf;  // document → face of each of its pages
        QSet<QString> facesUnknown;
        for (size_t k = 0; k < starts.size(); ++k) {
            const size_t end = k + 1 < starts.size() ? starts[k + 1].first : setPages.size();
            const QString& sheet = starts[k].second;
            const QString owner = sheet == TextFit::kAnnexSheet ? sheet : documentOfSheet.value(sheet);
            if (owner.isEmpty())
                return failWith(error, s("LibreOffice の PDF に予定外のシート「%1」があります。").arg(sheet));
            for (size_t p = starts[k].first; p < end; ++p)
                pagesOf[owner].push_back(p);
            // Faces only where LibreOffice printed the pages the template lays out.
            const auto faces = sheetFaces.constFind(sheet);
            if (faces != sheetFaces.constEnd() && static_cast<size_t>(faces->size()) == end - starts[k].first)
                facesOf[owner] << *faces;
            else
                facesUnknown.insert(owner);
        }

        // The parts: the documents in the order wanted, then the 別紙 of their long texts.
        QStringList parts = request.documents;
        QStringList partPaths = docPaths;
        if (pagesOf.contains(TextFit::kAnnexSheet)) {
            parts << TextFit::kAnnexSheet;
            partPaths << outDir.absoluteFilePath(fileName(building, TextFit::kAnnexSheet, request.date));
        }
        for (const QString& d : request.documents)
            if (pagesOf.value(d).empty())
                return failWith(error, s("書類「%1」のページがありません。").arg(d));

        QPDF combined;
        combined.emptyPDF();
        QPDFPageDocumentHelper combinedPages(combined);
        std::vector<Mark> marks;
        size_t next = 0;
        QStringList temps;
        for (int i = 0; i < parts.size(); ++i) {
            QPDF part;
            part.emptyPDF();
            QPDFPageDocumentHelper partPages(part);
            const QStringList faces = facesUnknown.contains(parts[i]) ? QStringList() : facesOf.value(parts[i]);
            marks.push_back({parts[i], next, faceMarks(faces, next)});
            for (size_t p : pagesOf.value(parts[i])) {
                partPages.addPage(setPages[p], false);
                combinedPages.addPage(setPages[p], false);
                ++next;
            }
            writeOutline(part, faceMarks(faces, 0));
            temps << work.filePath(QStringLiteral("part%1.pdf").arg(i));
            writePdf(part, temps.back());
        }
        // Drawings page for page: the page objects are copied whole, so their
        // content, fonts and media boxes stay as drawn.
        std::vector<std::unique_ptr<QPDF>> drawings;
        for (const QString& path : request.drawings) {
            drawings.push_back(openPdf(path, false));
            marks.push_back({QFileInfo(path).fileName(), next, {}});
            for (const QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*drawings.back()).getAllPages()) {
                combinedPages.addPage(page, false);
                ++next;
            }
        }
        writeOutline(combined, marks);
        const QString combinedTemp = work.filePath(QStringLiteral("combined.pdf"));
        writePdf(combined, combinedTemp);

        // Everything is made; only now does anything reach the output folder.
        for (int i = 0; i < parts.size(); ++i)
            if (!SafeFile::move(temps[i], partPaths[i], error))
                return false;
        if (!SafeFile::move(combinedTemp, combinedPath, error))
            return false;
        QStringList itemFiles;
        QString itemWarning;
        if (request.exportItems) {
            // The items read from the very workbook that the PDFs print.
            QVector<PortalItems::Item> items;
            if (!PortalItems::read(filled, templ, request.documents, &items, error)
                || !PortalItems::writeFiles(items, outDir.absolutePath(), itemsBaseName(building, request.kind, request.date),
                                            &itemFiles, &itemWarning, error))
                return false;
        }
        if (result) {
            result->combined = combinedPath;
            result->documentFiles = partPaths;
            result->pages = static_cast<int>(next);
            result->itemFiles = itemFiles;
            result->warning = itemWarning;
        }
        return true;
    } catch (const std::exception& e) {
        return failWith(error, s("PDF を組み立てられません。（%1）").arg(QString::fromLocal8Bit(e.what())));
    }
}

}  // namespace SubmissionSet
