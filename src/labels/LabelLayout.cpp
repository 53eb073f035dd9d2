#include "LabelLayout.h"

#include "MasterTable.h"
#include "Recordset.h"
#include "Storage.h"
#include "TextNumbers.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kLayoutTable = QStringLiteral("DMlabel");
const QString kActiveTable = QStringLiteral("ACT_DM");

// A text set in points needs this much height for its line (ascent and
// descent of the Japanese fonts we print with, with a little to spare).
constexpr double kLineHeightPerPoint = 1.25 * 25.4 / 72.0;

const char* const kSpacingColumns[LabelLayout::kSpacingCount] = {"MUp",  "MDown", "MLeft",  "MRight",
                                                                 "HBet", "WBet",  "WLABEL", "HLABEL"};

struct ElementColumns {
    const char* x;
    const char* y;
    const char* size;
    const char* font;
};
const ElementColumns kElementColumns[kLabelElementCount] = {
    {"POSTX", "POSTY", "P_FSIZE", "P_FNAME"},   {"ADR1X", "ADR1Y", "A1_FSIZE", "A1_FNAME"},
    {"ADR2X", "ADR2Y", "A2_FSIZE", "A2_FNAME"}, {"CORPX", "CORPY", "C_FSIZE", "C_FNAME"},
    {"UNAMEX", "UNAMEY", "U_FSIZE", "U_FNAME"},
};

QString col(const char* name) { return QString::fromLatin1(name); }

ColumnValues layoutValues(const LabelLayout& l)
{
    ColumnValues v;
    v.append({col("SIDE"), l.columns});
    v.append({col("LENG"), l.rows});
    v.append({col("Name"), l.name});
    for (int i = 0; i < LabelLayout::kSpacingCount; ++i)
        v.append({col(kSpacingColumns[i]), l.spacing[static_cast<size_t>(i)]});
    for (int e = 0; e < kLabelElementCount; ++e) {
        const ElementSpec& s = l.elements[static_cast<size_t>(e)];
        v.append({col(kElementColumns[e].x), s.column});
        v.append({col(kElementColumns[e].y), s.row});
    }
    for (int e = 0; e < kLabelElementCount; ++e) {
        const ElementSpec& s = l.elements[static_cast<size_t>(e)];
        v.append({col(kElementColumns[e].size), s.fontSize});
        v.append({col(kElementColumns[e].font), s.fontName});
    }
    return v;
}

double realOf(const MasterRow& row, const char* column, double fallback)
{
    const QVariant v = row.value(col(column));
    bool ok = false;
    const double d = v.isNull() ? 0.0 : v.toDouble(&ok);
    return ok ? d : fallback;
}

int intOf(const MasterRow& row, const char* column, int fallback)
{
    const QVariant v = row.value(col(column));
    bool ok = false;
    const double d = v.isNull() ? 0.0 : v.toDouble(&ok);
    return ok ? static_cast<int>(std::lround(d)) : fallback;
}

}  // namespace

QString labelElementCaption(LabelElement e)
{
    switch (e) {
    case LabelElement::Post: return QStringLiteral("郵便番号");
    case LabelElement::Addr1: return QStringLiteral("住所1");
    case LabelElement::Addr2: return QStringLiteral("住所2");
    case LabelElement::Corp: return QStringLiteral("会社名");
    case LabelElement::Name: return QStringLiteral("顧客名");
    }
    return {};
}

namespace LabelGrid {

int columnFor(double leftTwips)
{
    // nearbyint rounds halves to even under the default rounding mode.
    return static_cast<int>(std::nearbyint(leftTwips / kColumnTwips + 1.0));
}

int rowFor(double topTwips)
{
    return static_cast<int>(std::nearbyint(topTwips / kRowTwips + 1.0));
}

}  // namespace LabelGrid

int LabelLayout::clampedColumns() const
{
    return std::clamp(columns, 1, kMaxColumns);
}

int LabelLayout::maxRowsFor(int columns)
{
    return kMaxLabels / std::clamp(columns, 1, kMaxColumns);
}

int LabelLayout::clampedRows() const
{
    return std::clamp(rows, 1, maxRowsFor(columns));
}

int LabelLayout::labelsPerSheet() const
{
    return clampedColumns() * clampedRows();
}

QRectF LabelLayout::labelRect(int index) const
{
    const int c = index % clampedColumns();
    const int r = index / clampedColumns();
    const double left = marginLeft() + c * (labelWidth() + gapBetweenColumns());
    const double top = marginTop() + r * (labelHeight() + gapBetweenRows());
    return QRectF(left, top, labelWidth(), labelHeight());
}

QPointF LabelLayout::elementOffset(LabelElement e) const
{
    const ElementSpec& s = element(e);
    return QPointF((s.column - 1) * LabelGrid::kColumnMm, (s.row - 1) * LabelGrid::kRowMm);
}

double LabelLayout::elementWidthTwips(LabelElement e) const
{
    const double left = (element(e).column - 1) * LabelGrid::kColumnTwips;
    const double room = labelWidth() * LabelGrid::kTwipsPerMm - left - LabelGrid::kRightGapTwips;
    const double whole = std::round(room / LabelGrid::kColumnTwips) * LabelGrid::kColumnTwips;
    // Rounding up may reach into the gap, never past the label's edge.
    return std::max(0.0, whole);
}

int LabelLayout::capacityBytes(LabelElement e) const
{
    const double size = element(e).fontSize > 0 ? element(e).fontSize : 10.5;
    return static_cast<int>(elementWidthTwips(e) / (size * 10.5));
}

int LabelLayout::maxColumn() const
{
    const double room = labelWidth() * LabelGrid::kTwipsPerMm - LabelGrid::kRightGapTwips;
    return std::max(1, static_cast<int>(std::floor(room / LabelGrid::kColumnTwips)));
}

int LabelLayout::maxRow(LabelElement e) const
{
    const double line = element(e).fontSize * kLineHeightPerPoint;
    return std::max(1, static_cast<int>(std::floor((labelHeight() - line) / LabelGrid::kRowMm)) + 1);
}

double LabelLayout::spacingMin(int i)
{
    return i >= WLabel ? 5.0 : 0.0;
}

double LabelLayout::spacingMax(int i)
{
    switch (i) {
    case WLabel:
    case MLeft:
    case MRight:
    case WBet: return kPaperWidthMm;
    default: return kPaperHeightMm;
    }
}

bool LabelLayout::setSpacing(int i, double mm)
{
    if (i < 0 || i >= kSpacingCount || !std::isfinite(mm))
        return false;
    const double v = std::clamp(std::round(mm * 100.0) / 100.0, spacingMin(i), spacingMax(i));
    double& stored = spacing[static_cast<size_t>(i)];
    if (v == stored)
        return false;
    stored = v;
    return true;
}

bool LabelLayout::setColumns(int c)
{
    c = std::clamp(c, 1, kMaxColumns);
    const bool changed = c != columns || rows > maxRowsFor(c);
    columns = c;
    rows = std::clamp(rows, 1, maxRowsFor(c));
    return changed;
}

bool LabelLayout::setRows(int r)
{
    r = std::clamp(r, 1, maxRowsFor(columns));
    const bool changed = r != rows;
    rows = r;
    return changed;
}

bool LabelLayout::placeElement(LabelElement e, double leftTwips, double topTwips)
{
    ElementSpec& s = element(e);
    const int column = std::clamp(LabelGrid::columnFor(leftTwips), 1, maxColumn());
    const int row = std::clamp(LabelGrid::rowFor(topTwips), 1, maxRow(e));
    if (column == s.column && row == s.row)
        return false;
    s.column = column;
    s.row = row;
    return true;
}

bool LabelLayout::setFont(LabelElement e, const QString& name, double size)
{
    ElementSpec& s = element(e);
    if (name.isEmpty() || (s.fontName == name && s.fontSize == size))
        return false;
    s.fontName = name;
    s.fontSize = size;
    // A larger font must still end above the label's bottom edge.
    s.row = std::min(s.row, maxRow(e));
    return true;
}

QString LabelLayout::problem() const
{
    if (labelWidth() <= 0 || labelHeight() <= 0)
        return QStringLiteral("ラベルの幅と高さを入力してください。");
    const QRectF last = labelRect(labelsPerSheet() - 1);
    const QRectF lastInRow = labelRect(clampedColumns() - 1);
    constexpr double kTolerance = 0.05;
    if (lastInRow.right() > kPaperWidthMm + kTolerance || last.bottom() > kPaperHeightMm + kTolerance
        || marginLeft() < 0 || marginTop() < 0)
        return QStringLiteral("ラベルがA4用紙（210×297mm）からはみ出しています。余白・間隔・ラベルの大きさを確かめてください。");
    return {};
}

LabelLayout LabelLayout::standard()
{
    LabelLayout l;
    l.name = QStringLiteral("A4 12面 (86.4×42.3mm)");
    const int positions[kLabelElementCount][2] = {{3, 2}, {4, 3}, {5, 4}, {5, 6}, {6, 8}};
    const double sizes[kLabelElementCount] = {10.5, 10.5, 10.5, 11, 14};
    for (int e = 0; e < kLabelElementCount; ++e) {
        ElementSpec& s = l.elements[static_cast<size_t>(e)];
        s.column = positions[e][0];
        s.row = positions[e][1];
        s.fontSize = sizes[e];
    }
    return l;
}

namespace LabelNumbers {

QString mmText(double mm)
{
    QString t = QString::number(mm, 'f', 2);
    while (t.contains(QLatin1Char('.')) && (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return t;
}

bool read(const QString& text, double* out)
{
    bool ok = false;
    const double v = TextNumbers::toHalfWidth(text.trimmed()).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

}  // namespace LabelNumbers

// ---------------------------------------------------------------- store

LabelLayoutStore::LabelLayoutStore(Storage& storage)
    : m_storage(storage)
{
}

bool LabelLayoutStore::fail(const QString& message)
{
    m_error = message;
    return false;
}

bool LabelLayoutStore::list(QVector<LayoutName>* out)
{
    out->clear();
    Recordset rs(m_storage, DbFile::AnotherOption);
    rs.selectColumns({col("Name"), col("SORT_NUM")});
    if (!rs.open(kLayoutTable))
        return fail(rs.errorString());
    QVector<QPair<qint64, LayoutName>> rows;
    for (; !rs.eof(); rs.moveNext())
        rows.append({rs.integer(col("SORT_NUM")), LayoutName{rs.id(), rs.text(col("Name"))}});
    // Rows come in ID order, so equal sort numbers keep it.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& r : rows)
        out->append(r.second);
    return true;
}

bool LabelLayoutStore::count(int* out)
{
    QVector<LayoutName> names;
    if (!list(&names))
        return false;
    *out = static_cast<int>(names.size());
    return true;
}

bool LabelLayoutStore::load(qint64 id, LabelLayout* out, bool* found)
{
    MasterTable table(m_storage, DbFile::AnotherOption, kLayoutTable);
    MasterRow row;
    if (!table.read(id, &row, found))
        return fail(table.errorString());
    if (!*found)
        return true;
    // Columns never written (a row made by hand or by an older program)
    // take the standard layout's values rather than zero.
    const LabelLayout base = LabelLayout::standard();
    LabelLayout l;
    l.id = row.id;
    l.name = row.text(col("Name"));
    l.sortNum = intOf(row, "SORT_NUM", 0);
    l.columns = intOf(row, "SIDE", base.columns);
    l.rows = intOf(row, "LENG", base.rows);
    for (int i = 0; i < LabelLayout::kSpacingCount; ++i)
        l.spacing[static_cast<size_t>(i)] = realOf(row, kSpacingColumns[i], base.spacing[static_cast<size_t>(i)]);
    for (int e = 0; e < kLabelElementCount; ++e) {
        const ElementSpec& b = base.elements[static_cast<size_t>(e)];
        ElementSpec& s = l.elements[static_cast<size_t>(e)];
        s.column = std::max(1, intOf(row, kElementColumns[e].x, b.column));
        s.row = std::max(1, intOf(row, kElementColumns[e].y, b.row));
        const double size = realOf(row, kElementColumns[e].size, b.fontSize);
        s.fontSize = size > 0 ? size : b.fontSize;
        const QString font = row.text(col(kElementColumns[e].font)).trimmed();
        s.fontName = font.isEmpty() ? b.fontName : font;
    }
    *out = l;
    return true;
}

qint64 LabelLayoutStore::create(const LabelLayout& from)
{
    qint64 sortNum = 0;
    {
        Recordset rs(m_storage, DbFile::AnotherOption);
        rs.selectColumns({col("SORT_NUM")});
        if (!rs.open(kLayoutTable)) {
            fail(rs.errorString());
            return 0;
        }
        for (; !rs.eof(); rs.moveNext())
            sortNum = std::max(sortNum, rs.integer(col("SORT_NUM")));
    }
    LabelLayout l = from;
    l.name = kNewName;
    ColumnValues values = layoutValues(l);
    values.prepend({col("SORT_NUM"), sortNum + 1});
    MasterTable table(m_storage, DbFile::AnotherOption, kLayoutTable);
    const qint64 id = table.create(values);
    if (id == 0)
        fail(table.errorString());
    return id;
}

bool LabelLayoutStore::save(const LabelLayout& layout, bool* found)
{
    MasterTable table(m_storage, DbFile::AnotherOption, kLayoutTable);
    Transaction tx(m_storage, DbFile::AnotherOption);
    if (!tx.isActive())
        return fail(tx.errorString());
    if (!table.write(layout.id, layoutValues(layout), found))
        return fail(table.errorString());
    if (!*found)
        return true;
    if (!setActive(layout.id, layout.name))
        return false;
    return tx.commit() || fail(tx.errorString());
}

bool LabelLayoutStore::remove(qint64 id, bool* refused)
{
    *refused = false;
    Transaction tx(m_storage, DbFile::AnotherOption);
    if (!tx.isActive())
        return fail(tx.errorString());
    int n = 0;
    if (!count(&n))
        return false;
    if (n <= 1) {
        *refused = true;
        return true;
    }
    MasterTable table(m_storage, DbFile::AnotherOption, kLayoutTable);
    if (!table.remove(id))
        return fail(table.errorString());
    return tx.commit() || fail(tx.errorString());
}

bool LabelLayoutStore::activeId(qint64* out)
{
    *out = 0;
    Recordset rs(m_storage, DbFile::AnotherOption);
    if (!rs.open(kActiveTable))
        return fail(rs.errorString());
    if (!rs.eof())
        *out = rs.integer(col("DM_ID"));
    return true;
}

bool LabelLayoutStore::setActive(qint64 id, const QString& name)
{
    Recordset rs(m_storage, DbFile::AnotherOption);
    if (!rs.open(kActiveTable))
        return fail(rs.errorString());
    if (rs.eof() && rs.addNew() == 0)
        return fail(rs.errorString());
    rs.setValue(col("DM_ID"), id);
    rs.setValue(col("DM_NAME"), name);
    return rs.update() || fail(rs.errorString());
}
