#include "XlsxWorkbook.h"

#include "Logging.h"
#include "SafeFile.h"

#include "XlsxFormula.h"
#include "XlsxPackage.h"
#include "XlsxStyleSheet.h"
#include "XlsxWorksheet.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

using namespace XlsxXml;

// The workbook part and how it spells the names of its elements.
struct XlsxWorkbook::Book {
    XlsxXmlPart xml;
    std::string p;  // namespace prefix
    bool dirty = false;

    pugi::xml_node child(pugi::xml_node parent, const char* name) const { return parent.child((p + name).c_str()); }
    pugi::xml_node root() const { return xml.root(); }
    pugi::xml_node sheetsNode() const { return child(root(), "sheets"); }
    pugi::xml_node workbookView() const { return child(child(root(), "bookViews"), "workbookView"); }
};

struct XlsxWorkbook::Sheet {
    QString name;
    QString path;
    bool hidden = false;
    pugi::xml_node tag;  // its entry in the workbook part
    std::unique_ptr<XlsxWorksheet> ws;  // once read
};

namespace {

bool isPlainNumber(const QString& text)
{
    bool ok = false;
    text.toDouble(&ok);
    return ok && !text.contains(u',') && !text.trimmed().isEmpty() && text.trimmed() == text;
}

// Whether a text goes into a cached value exactly as it is: a CR LF would
// become LF in the file, and LibreOffice drops the spaces at either end of
// a value (the xml:space that keeps them is not part of Excel's value
// element), which moves the rest of the line on the printed form.
bool storableText(const QString& text)
{
    auto edgeSpace = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    return text.size() <= 32767 && !text.contains(u'\r')
        && (text.isEmpty() || (!edgeSpace(text.front()) && !edgeSpace(text.back())));
}

}  // namespace

XlsxWorkbook::XlsxWorkbook() = default;

XlsxWorkbook::~XlsxWorkbook()
{
    close();
}

bool XlsxWorkbook::fail(const QString& message)
{
    qCWarning(lcOutput).noquote() << message;
    m_error = message;
    return false;
}

bool XlsxWorkbook::isOpen() const
{
    return m_package && m_package->isOpen();
}

void XlsxWorkbook::close()
{
    m_package.reset();
    m_book.reset();
    m_sheets.clear();
    m_sharedStrings.clear();
    m_sharedStringsLoaded = false;
    m_calcChainDropped = false;
    m_styles.reset();
    m_stylesPath.clear();
}

bool XlsxWorkbook::open(const QString& path)
{
    close();
    m_path = path;
    m_error.clear();
    m_package = std::make_unique<XlsxPackage>();
    QString error;
    if (!m_package->open(path, &error)) {
        close();
        return fail(error);
    }
    if (!parseWorkbook()) {
        const QString message = m_error;
        close();
        m_error = message;
        return false;
    }
    return true;
}

bool XlsxWorkbook::parseWorkbook()
{
    const QString notWorkbook = QStringLiteral("ファイル「%1」はExcelブック（.xlsx）ではありません。").arg(m_path);
    // The package's own relationships name the workbook part.
    QString bookPath = m_package->relatedPart(QString(), "/officeDocument");
    if (bookPath.isEmpty())
        bookPath = QStringLiteral("xl/workbook.xml");
    auto book = std::make_unique<Book>();
    QByteArray data;
    if (!m_package->read(bookPath, &data) || !book->xml.parse(std::move(data))
        || std::strcmp(localName(book->root()), "workbook") != 0)
        return fail(notWorkbook);
    book->p = book->xml.prefix(kMain);
    m_book = std::move(book);
    m_workbookPath = bookPath;

    QHash<QString, QString> targets;
    QString relsPath;
    if (!m_package->relationships(m_workbookPath, &targets, &relsPath))
        return fail(QStringLiteral("ブック「%1」の関連付け（%2）の形式が正しくありません。").arg(m_path, relsPath));
    const std::string sheetName = m_book->p + "sheet";
    for (const pugi::xml_node tag : m_book->sheetsNode().children(sheetName.c_str())) {
        auto s = std::make_unique<Sheet>();
        s->tag = tag;
        s->name = QString::fromUtf8(tag.attribute("name").value());
        const char* state = tag.attribute("state").value();
        s->hidden = *state && std::strcmp(state, "visible") != 0;
        // The relationship id is the attribute "id" of the relationships namespace.
        for (const pugi::xml_attribute& a : tag.attributes()) {
            const char* colon = std::strchr(a.name(), ':');
            if (colon && std::strcmp(colon, ":id") == 0)
                s->path = targets.value(QString::fromUtf8(a.value()));
        }
        if (s->name.isEmpty() || s->path.isEmpty())
            return fail(QStringLiteral("ブック「%1」のシート一覧の形式が正しくありません。").arg(m_path));
        m_sheets.push_back(std::move(s));
    }
    if (m_sheets.empty())
        return fail(QStringLiteral("ブック「%1」にはシートがありません。").arg(m_path));
    return true;
}

QStringList XlsxWorkbook::sheetNames() const
{
    QStringList names;
    for (const auto& s : m_sheets)
        names << s->name;
    return names;
}

bool XlsxWorkbook::hasSheet(const QString& name) const
{
    return findSheet(name) != nullptr;
}

const XlsxWorkbook::Sheet* XlsxWorkbook::findSheet(const QString& name) const
{
    for (const auto& s : m_sheets)
        if (s->name == name)
            return s.get();
    return nullptr;
}

int XlsxWorkbook::indexOf(const Sheet* s) const
{
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i].get() == s)
            return static_cast<int>(i);
    return -1;
}

quint64 XlsxWorkbook::sheetFingerprint(const QString& name) const
{
    const Sheet* s = findSheet(name);
    if (!isOpen() || !s || (s->ws && s->ws->isDirty()))
        return 0;
    return m_package->fingerprint(s->path);
}

XlsxWorkbook::Sheet* XlsxWorkbook::sheet(const QString& name)
{
    if (!isOpen()) {
        fail(QStringLiteral("ブックが開かれていません。"));
        return nullptr;
    }
    Sheet* s = const_cast<Sheet*>(findSheet(name));
    if (!s) {
        fail(QStringLiteral("ブック「%1」にシート「%2」がありません。").arg(QFileInfo(m_path).fileName(), name));
        return nullptr;
    }
    return loadSheet(s) ? s : nullptr;
}

bool XlsxWorkbook::loadSheet(Sheet* s)
{
    if (s->ws)
        return true;
    QByteArray data;
    if (!m_package->read(s->path, &data))
        return fail(QStringLiteral("ブック「%1」のシート「%2」（%3）を読めません。")
                        .arg(QFileInfo(m_path).fileName(), s->name, s->path));
    auto ws = std::make_unique<XlsxWorksheet>();
    if (!ws->load(std::move(data)))
        return fail(QStringLiteral("シート「%1」の形式が正しくありません。").arg(s->name));
    s->ws = std::move(ws);
    return true;
}

bool XlsxWorkbook::rowFailure(const Sheet* s)
{
    return fail(QStringLiteral("シート「%1」の %2 行目の形式が正しくありません。").arg(s->name).arg(s->ws->failedRow()));
}

// ---------------------------------------------------------------------------
// Cells

bool XlsxWorkbook::sharedString(const QString& index, QString* out)
{
    if (!m_sharedStringsLoaded) {
        m_sharedStringsLoaded = true;
        QString path = m_package->relatedPart(m_workbookPath, "/sharedStrings");
        if (path.isEmpty())
            path = QStringLiteral("xl/sharedStrings.xml");
        QByteArray data;
        XlsxXmlPart table;
        if (m_package->read(path, &data)) {
            if (!table.parse(std::move(data)))
                return fail(QStringLiteral("ブック「%1」の文字列表の形式が正しくありません。").arg(m_path));
            const std::string p = table.prefix(kMain);
            const std::string si = p + "si", t = p + "t", r = p + "r";
            for (const pugi::xml_node item : table.root().children(si.c_str())) {
                // Rich text runs count, the phonetic reading does not.
                QString text;
                for (pugi::xml_node part = item.first_child(); part; part = part.next_sibling()) {
                    if (t == part.name())
                        text += QString::fromUtf8(part.text().get());
                    else if (r == part.name())
                        text += QString::fromUtf8(part.child(t.c_str()).text().get());
                }
                m_sharedStrings.append(XlsxWorksheet::decodeText(text));
            }
        }
    }
    const int i = index.toInt();
    *out = i >= 0 && i < m_sharedStrings.size() ? m_sharedStrings[i] : QString();
    return true;
}

bool XlsxWorkbook::readCell(const QString& sheetName, const QString& address, XlsxCell* out)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return readCell(sheetName, ref, out);
}

bool XlsxWorkbook::readCell(const QString& sheetName, CellRef ref, XlsxCell* out)
{
    *out = XlsxCell();
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    XlsxWorksheet::Cell cell;
    if (!s->ws->readCell(ref, &cell))
        return rowFailure(s);
    out->formula = cell.formula;
    if (cell.hasInline) {
        out->kind = XlsxCell::Kind::Text;
        out->value = XlsxWorksheet::decodeText(cell.inlineText);
    } else if (!cell.hasValue) {
        out->kind = XlsxCell::Kind::Empty;
    } else if (cell.type == QLatin1String("s")) {
        out->kind = XlsxCell::Kind::Text;
        return sharedString(cell.value, &out->value);
    } else if (cell.type == QLatin1String("str") || cell.type == QLatin1String("inlineStr")) {
        out->kind = XlsxCell::Kind::Text;
        out->value = XlsxWorksheet::decodeText(cell.value);
    } else if (cell.type == QLatin1String("b")) {
        out->kind = XlsxCell::Kind::Boolean;
        out->value = cell.value.trimmed() == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
    } else if (cell.type == QLatin1String("e")) {
        out->kind = XlsxCell::Kind::Error;
        out->value = cell.value;
    } else {
        out->kind = XlsxCell::Kind::Number;
        out->value = cell.value.trimmed();
    }
    return true;
}

bool XlsxWorkbook::writeCells(const QString& sheetName, const QVector<XlsxCellWrite>& cells)
{
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    for (const XlsxCellWrite& w : cells) {
        if (!w.ref.isValid())
            return fail(QStringLiteral("シート「%1」への書き込み先のセル番地が正しくありません。").arg(sheetName));
        XlsxCellWrite value = w;
        if (value.kind == XlsxCellWrite::Kind::Number && !isPlainNumber(value.value))
            value.kind = XlsxCellWrite::Kind::Text;
        bool hadFormula = false;
        if (!s->ws->writeCell(value, &hadFormula))
            return rowFailure(s);
        // A formula replaced by a constant must leave Excel's calculation chain.
        if (hadFormula)
            dropCalcChain();
    }
    return true;
}

bool XlsxWorkbook::setText(const QString& sheet, const QString& address, const QString& text)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Text, text}});
}

bool XlsxWorkbook::setNumber(const QString& sheet, const QString& address, double value)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Number, QString::number(value, 'g', 15)}});
}

bool XlsxWorkbook::clearCell(const QString& sheet, const QString& address)
{
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    return writeCells(sheet, {{ref, XlsxCellWrite::Kind::Clear, QString()}});
}

bool XlsxWorkbook::setRowsHidden(const QString& sheetName, int firstRow, int lastRow, bool hidden)
{
    if (firstRow < 1 || lastRow < firstRow || lastRow > 1048576)
        return fail(QStringLiteral("行の範囲 %1〜%2 が正しくありません。").arg(firstRow).arg(lastRow));
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    for (int r = firstRow; r <= lastRow; ++r)
        s->ws->setRowHidden(r, hidden);
    return true;
}

bool XlsxWorkbook::isRowHidden(const QString& sheetName, int r, bool* hidden)
{
    *hidden = false;
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    *hidden = s->ws->isRowHidden(r);
    return true;
}

bool XlsxWorkbook::formulaCells(const QString& sheetName, QVector<CellRef>* out)
{
    out->clear();
    Sheet* s = sheet(sheetName);
    if (!s)
        return false;
    return s->ws->formulaCells(out) || rowFailure(s);
}

// ---------------------------------------------------------------------------
// Workbook-level settings

QString XlsxWorkbook::activeSheet() const
{
    if (m_sheets.empty())
        return QString();
    const int active = m_book->workbookView().attribute("activeTab").as_int();
    return m_sheets[active < 0 || active >= static_cast<int>(m_sheets.size()) ? 0 : active]->name;
}

bool XlsxWorkbook::selectSheet(const QString& name)
{
    Sheet* target = sheet(name);
    if (!target)
        return false;
    if (target->hidden)
        return fail(QStringLiteral("シート「%1」は非表示のため選択できません。").arg(name));
    const int index = indexOf(target);
    pugi::xml_node view = m_book->workbookView();
    if (!view) {
        pugi::xml_node root = m_book->root();
        view = root.insert_child_before((m_book->p + "bookViews").c_str(), m_book->sheetsNode())
                   .append_child((m_book->p + "workbookView").c_str());
        m_book->dirty = true;
    }
    bool changed = setAttr(view, "activeTab", QByteArray::number(index).constData());
    if (view.attribute("firstSheet").as_int() > index)
        changed = removeAttr(view, "firstSheet") || changed;
    m_book->dirty = m_book->dirty || changed;
    for (auto& s : m_sheets) {
        if (!loadSheet(s.get()))
            return false;
        s->ws->setTabSelected(s.get() == target);
    }
    return true;
}

bool XlsxWorkbook::setSheetHidden(const QString& name, bool hidden)
{
    Sheet* s = sheet(name);
    if (!s)
        return false;
    if (hidden && activeSheet() == name)
        return fail(QStringLiteral("表示中のシート「%1」は非表示にできません。").arg(name));
    const bool changed = hidden ? setAttr(s->tag, "state", "hidden") : removeAttr(s->tag, "state");
    m_book->dirty = m_book->dirty || changed;
    s->hidden = hidden;
    if (hidden)
        s->ws->setTabSelected(false);
    return true;
}

bool XlsxWorkbook::isSheetHidden(const QString& name) const
{
    const Sheet* s = findSheet(name);
    return s && s->hidden;
}

bool XlsxWorkbook::removePrintArea(const QString& name)
{
    const Sheet* s = findSheet(name);
    if (!s)
        return fail(QStringLiteral("ブック「%1」にシート「%2」がありません。").arg(QFileInfo(m_path).fileName(), name));
    const int index = indexOf(s);
    pugi::xml_node names = m_book->child(m_book->root(), "definedNames");
    const std::string definedName = m_book->p + "definedName";
    for (pugi::xml_node n = names.child(definedName.c_str()); n;) {
        const pugi::xml_node next = n.next_sibling(definedName.c_str());
        if (std::strcmp(n.attribute("name").value(), "_xlnm.Print_Area") == 0 && n.attribute("localSheetId")
            && n.attribute("localSheetId").as_int() == index) {
            names.remove_child(n);
            m_book->dirty = true;
        }
        n = next;
    }
    // An emptied list goes as a whole.
    if (names && !names.find_child([](const pugi::xml_node& c) { return c.type() == pugi::node_element; })) {
        m_book->root().remove_child(names);
        m_book->dirty = true;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Cell formatting

bool XlsxWorkbook::loadStyles()
{
    if (m_styles)
        return true;
    auto styles = std::make_unique<XlsxStyleSheet>();
    QString path = m_package->relatedPart(m_workbookPath, "/styles");
    QByteArray xml;
    if (!path.isEmpty() && m_package->read(path, &xml)) {
        if (!styles->parse(xml))
            return fail(QStringLiteral("ブック「%1」の書式（%2）の形式が正しくありません。").arg(m_path, path));
    } else {
        // A workbook without a style part of its own gets one.
        path = XlsxPackage::resolve(XlsxPackage::partDir(m_workbookPath), QStringLiteral("styles.xml"));
        if (!m_package->addPart(m_workbookPath, path,
                                "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles",
                                "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml")
            || !styles->parse(XlsxStyleSheet::minimal()))
            return fail(QStringLiteral("ブック「%1」に書式を追加できません。").arg(m_path));
        styles->markChanged();  // a new part is written even if no format is added
    }
    m_styles = std::move(styles);
    m_stylesPath = path;
    return true;
}

bool XlsxWorkbook::formatCells(const QString& sheetName, const QString& range, const XlsxFormat& format)
{
    const int colon = range.indexOf(u':');
    const CellRef a = CellRef::parse(colon < 0 ? QStringView(range) : QStringView(range).left(colon));
    const CellRef b = colon < 0 ? a : CellRef::parse(QStringView(range).mid(colon + 1));
    if (!a.isValid() || !b.isValid())
        return fail(QStringLiteral("セル範囲「%1」が正しくありません。").arg(range));
    Sheet* s = sheet(sheetName);
    if (!s || !loadStyles())
        return false;
    if (format.isEmpty())
        return true;
    for (int r = std::min(a.row, b.row); r <= std::max(a.row, b.row); ++r) {
        for (int c = std::min(a.col, b.col); c <= std::max(a.col, b.col); ++c) {
            int base = 0;
            if (!s->ws->cellFormat({r, c}, &base))
                return rowFailure(s);
            // A format the style part does not have shows as the default one.
            if (base < 0 || base >= m_styles->formatCount())
                base = 0;
            const int derived = m_styles->derive(base, format);
            if (derived < 0)
                return fail(QStringLiteral("シート「%1」のセル %2 の書式が正しくありません。")
                                .arg(sheetName, CellRef{r, c}.name()));
            if (!s->ws->setCellFormat({r, c}, derived, base))
                return rowFailure(s);
        }
    }
    return true;
}

bool XlsxWorkbook::readCellStyle(const QString& sheetName, const QString& address, XlsxCellStyle* out)
{
    *out = XlsxCellStyle();
    const CellRef ref = CellRef::parse(address);
    if (!ref.isValid())
        return fail(QStringLiteral("セル番地「%1」が正しくありません。").arg(address));
    Sheet* s = sheet(sheetName);
    if (!s || !loadStyles())
        return false;
    int xf = 0;
    if (!s->ws->cellFormat(ref, &xf))
        return rowFailure(s);
    if (xf < 0 || xf >= m_styles->formatCount())
        xf = 0;
    if (!m_styles->describe(xf, out))
        return fail(QStringLiteral("シート「%1」のセル %2 の書式が見つかりません。").arg(sheetName, address));
    return true;
}

// ---------------------------------------------------------------------------
// Calculation

// The values of formula cells computed for their cached value, each once,
// across sheets (a sheet's formula may read a formula of the input sheet).
struct XlsxWorkbook::Evaluation {
    XlsxWorkbook& book;
    struct Entry {
        bool done = false;
        std::optional<FormulaValue> value;
    };
    QHash<quint64, Entry> memo;

    int sheetIndex(const QString& name) const
    {
        if (const int i = book.indexOf(book.findSheet(name)); i >= 0)
            return i;
        // Sheet names are matched regardless of case in formulas.
        for (size_t i = 0; i < book.m_sheets.size(); ++i)
            if (book.m_sheets[i]->name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }

    std::optional<FormulaValue> value(int sheet, CellRef ref)
    {
        const quint64 key =
            (static_cast<quint64>(sheet) << 40) | (static_cast<quint64>(ref.row) << 16) | static_cast<quint64>(ref.col);
        const auto known = memo.constFind(key);
        if (known != memo.constEnd())
            return known->done ? known->value : std::nullopt;  // running: a circular reference
        Sheet* s = book.m_sheets[static_cast<size_t>(sheet)].get();
        XlsxWorksheet::Cell cell;
        if (!book.loadSheet(s) || !s->ws->readCell(ref, &cell))
            return std::nullopt;
        if (!cell.hasFormula) {
            const std::optional<FormulaValue> result = constant(s, ref);
            memo.insert(key, {true, result});
            return result;
        }
        memo.insert(key, Entry());
        const std::optional<FormulaValue> result = compute(sheet, cell);
        memo.insert(key, {true, result});
        return result;
    }

    std::optional<FormulaValue> constant(const Sheet* s, CellRef ref)
    {
        XlsxCell cell;
        if (!book.readCell(s->name, ref, &cell))
            return std::nullopt;
        switch (cell.kind) {
        case XlsxCell::Kind::Empty:
            return FormulaValue();
        case XlsxCell::Kind::Text:
            return FormulaValue::fromText(cell.value);
        case XlsxCell::Kind::Boolean:
            return FormulaValue::fromBoolean(cell.value == QLatin1String("1"));
        case XlsxCell::Kind::Number: {
            bool ok = false;
            const double n = cell.value.toDouble(&ok);
            return ok ? std::optional<FormulaValue>(FormulaValue::fromNumber(n)) : std::nullopt;
        }
        case XlsxCell::Kind::Error:
            break;
        }
        return std::nullopt;
    }

    std::optional<FormulaValue> compute(int sheet, const XlsxWorksheet::Cell& cell)
    {
        XlsxFormula formula;
        if (!cell.plainFormula || !formula.parse(cell.formula))
            return std::nullopt;
        std::optional<FormulaValue> result = formula.evaluate([this, sheet](const QString& name, CellRef ref) {
            const int target = name.isEmpty() ? sheet : sheetIndex(name);
            return target < 0 ? std::nullopt : value(target, ref);
        });
        if (result && result->kind == FormulaValue::Kind::Text && !storableText(result->text))
            return std::nullopt;
        return result;
    }
};

void XlsxWorkbook::dropCalcChain()
{
    if (m_calcChainDropped)
        return;
    m_calcChainDropped = true;
    // Excel rebuilds the chain; a chain naming a cell without a formula
    // makes it report the file as damaged.
    m_package->removePart(m_workbookPath, XlsxPackage::resolve(XlsxPackage::partDir(m_workbookPath),
                                                               QStringLiteral("calcChain.xml")));
}

bool XlsxWorkbook::requestFullRecalculation(CachedValues values)
{
    if (!isOpen())
        return fail(QStringLiteral("ブックが開かれていません。"));
    Evaluation evaluation{*this, {}};
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        Sheet* s = m_sheets[i].get();
        if (!loadSheet(s))
            return false;
        if (values == CachedValues::Drop)
            s->ws->dropCachedValues();
        else if (!s->ws->setCachedValues(
                     [&evaluation, i](CellRef ref) { return evaluation.value(static_cast<int>(i), ref); }))
            return rowFailure(s);
    }
    pugi::xml_node root = m_book->root();
    pugi::xml_node calc = m_book->child(root, "calcPr");
    if (!calc) {
        // In its place: after the lists that come before it.
        const std::string p = m_book->p;
        const pugi::xml_node after =
            firstOf(root, {p + "definedNames", p + "externalReferences", p + "functionGroups", p + "sheets"});
        if (!after)
            return fail(QStringLiteral("ブック「%1」の形式が正しくありません。").arg(m_path));
        calc = root.insert_child_after((p + "calcPr").c_str(), after);
        m_book->dirty = true;
    }
    m_book->dirty = setAttr(calc, "fullCalcOnLoad", "1") || m_book->dirty;
    return true;
}

// ---------------------------------------------------------------------------
// Saving

QStringList XlsxWorkbook::changedParts() const
{
    QStringList out;
    if (!isOpen())
        return out;
    if (m_book->dirty)
        out << m_workbookPath;
    if (m_styles && m_styles->isDirty())
        out << m_stylesPath;
    for (const auto& s : m_sheets)
        if (s->ws && s->ws->isDirty())
            out << s->path;
    return out + m_package->changedParts();
}

bool XlsxWorkbook::save()
{
    return write(QString(), false);
}

bool XlsxWorkbook::saveAs(const QString& path)
{
    return write(path, true);
}

bool XlsxWorkbook::write(const QString& target, bool always)
{
    if (!isOpen())
        return fail(QStringLiteral("ブックが開かれていません。"));
    if (changedParts().isEmpty() && !always) {
        close();
        return true;
    }
    std::vector<std::pair<QString, QByteArray>> parts;
    if (m_book->dirty)
        parts.emplace_back(m_workbookPath, m_book->xml.serialize());
    for (const auto& s : m_sheets)
        if (s->ws && s->ws->isDirty())
            parts.emplace_back(s->path, s->ws->serialize());
    if (m_styles && m_styles->isDirty())
        parts.emplace_back(m_stylesPath, m_styles->serialize());
    QByteArray result;
    QString why;
    if (!m_package->write(parts, &result, &why)) {
        close();
        return fail(why.isEmpty() ? QStringLiteral("ブック「%1」を保存できません。").arg(m_path)
                                  : QStringLiteral("ブック「%1」を保存できません（%2）。").arg(m_path, why));
    }
    const QString path = target.isEmpty() ? m_path : target;
    close();
    // In place or at a new target: a file already there stays whole until
    // the new one is complete, and a failure names its cause.
    return SafeFile::write(path, result, &m_error);
}
