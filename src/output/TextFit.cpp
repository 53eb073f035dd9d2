#include "TextFit.h"

#include "InputSheet.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <cmath>

const QString TextFit::kBoxesSheet = QStringLiteral("枠");
const QString TextFit::kAnnexSheet = QStringLiteral("別紙");
const QString TextFit::kAnnexNote = QStringLiteral("別紙のとおり");

namespace {

// What a printed line takes besides its glyphs: the cell's inner margins
// and the leading of the Mincho faces (measured on LibreOffice's PDF).
constexpr double kSidePadding = 4.0;
constexpr double kLineFactor = 1.2;
// The estimate counts glyph widths by class only: keep a margin for the
// proportional Latin letters and for where a wrapped line breaks.
constexpr double kWidthSafety = 0.95;

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// In ems: the ASCII letters and the half-width kana take half a square.
double emWidth(QStringView line)
{
    double w = 0;
    for (const QChar ch : line) {
        const ushort u = ch.unicode();
        if (ch.isLowSurrogate())
            continue;
        w += (u >= 0x20 && u < 0x7f) || (u >= 0xff61 && u <= 0xff9f) ? 0.5 : 1.0;
    }
    return w;
}

bool fits(const QStringList& lines, double width, double height, double size, bool wrap)
{
    const double room = (width - kSidePadding) * kWidthSafety;
    if (room <= 0)
        return false;
    int count = 0;
    for (const QString& line : lines) {
        const double w = emWidth(line) * size;
        if (!wrap && w > room)
            return false;
        // A wrapped line breaks anywhere in Japanese text: so many lines as
        // its width needs.
        count += wrap ? std::max(1, static_cast<int>(std::ceil(w / room))) : 1;
    }
    // One line always fits a row the form gives it; more must stack.
    return count <= 1 || count * size * kLineFactor <= height;
}

}  // namespace

bool TextFit::load(XlsxWorkbook& book, QString* error)
{
    m_boxes.clear();
    if (!book.hasSheet(kBoxesSheet))
        return true;
    // Thousands of boxes, the same for every output from one template:
    // read once per template content, not once per document.
    static QMutex cacheLock;
    static QHash<quint64, QVector<Box>> cache;
    const quint64 key = book.sheetFingerprint(kBoxesSheet);
    if (key) {
        QMutexLocker locker(&cacheLock);
        const auto it = cache.constFind(key);
        if (it != cache.constEnd()) {
            m_boxes = *it;
            return true;
        }
    }
    for (int row = 2;; ++row) {
        XlsxCell cell;
        if (!book.readCell(kBoxesSheet, CellRef{row, 1}, &cell))
            return fail(error, book.errorString());
        if (cell.value.isEmpty())
            break;
        const QStringList f = cell.value.split(QLatin1Char('\t'));
        if (f.size() != 8)
            return fail(error, QStringLiteral("テンプレートの枠の一覧（%1行目）が正しくありません。").arg(row));
        Box b;
        b.sheet = f[0];
        b.cell = CellRef::parse(f[1]);
        b.width = f[2].toDouble();
        b.height = f[3].toDouble();
        b.size = f[4].toDouble();
        b.wrap = f[5] == QLatin1String("1");
        b.pattern = f[6];
        b.caption = f[7];
        if (!b.cell.isValid() || b.width <= 0 || b.height <= 0 || b.size <= 0)
            return fail(error, QStringLiteral("テンプレートの枠の一覧（%1行目）が正しくありません。").arg(row));
        m_boxes << b;
    }
    if (key) {
        QMutexLocker locker(&cacheLock);
        cache.insert(key, m_boxes);
    }
    return true;
}

QString TextFit::shownText(const QString& pattern, const InputSheet& input)
{
    static const QRegularExpression token(QStringLiteral("\\{([A-Z]+[0-9]+)(?:\\|([A-Z]+[0-9]+))?\\}"));
    QString out;
    qsizetype at = 0;
    for (auto it = token.globalMatch(pattern); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(pattern).mid(at, m.capturedStart() - at);
        QString value = input.read(CellRef::parse(m.captured(1)));
        if (value.isEmpty() && m.lastCapturedIndex() >= 2)
            value = input.read(CellRef::parse(m.captured(2)));
        out += value;
        at = m.capturedEnd();
    }
    out += QStringView(pattern).mid(at);
    return out;
}

double TextFit::fittingSize(const QString& text, double width, double height, double base, bool wrap)
{
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(QLatin1Char('\n'));
    for (double size = base; size >= kMinPoints - 1e-9; size -= 0.5)
        if (fits(lines, width, height, size, wrap))
            return size;
    return 0;
}

const TextFit::Box* TextFit::annexSlot() const
{
    const QString slotPattern = QStringLiteral("{D%1}").arg(annexRow(0) + 1);
    for (const Box& b : m_boxes)
        if (b.sheet == kAnnexSheet && b.pattern == slotPattern)
            return &b;
    return nullptr;
}

QStringList TextFit::annexPieces(const QString& text, const Box* slot)
{
    if (!slot)
        return {text};
    auto fitsWhole = [slot](QStringView piece) {
        return fittingSize(piece.toString(), slot->width, slot->height, slot->size, slot->wrap) >= slot->size;
    };
    QStringList pieces;
    QStringView rest(text);
    while (!rest.isEmpty() && !fitsWhole(rest)) {
        // The longest head that fits, ended where the text itself pauses
        // (a line break or 。) when there is one in its last quarter.
        qsizetype lo = 1, hi = rest.size() - 1;
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (fitsWhole(rest.left(mid)))
                lo = mid;
            else
                hi = mid - 1;
        }
        qsizetype cut = lo;
        for (qsizetype i = lo; i > lo * 3 / 4; --i) {
            const QChar before = rest.at(i - 1);
            if (before == QLatin1Char('\n') || before == QChar(0x3002)) {
                cut = i;
                break;
            }
        }
        if (cut < rest.size() && rest.at(cut - 1).isHighSurrogate())
            --cut;
        pieces << rest.left(cut).toString();
        rest = rest.mid(cut);
        if (!rest.isEmpty() && rest.front() == QLatin1Char('\n'))
            rest = rest.mid(1);
    }
    if (!rest.isEmpty())
        pieces << rest.toString();
    return pieces;
}

QSet<QString> TextFit::planAnnex(InputSheet& input, const QStringList& printed)
{
    QSet<QString> facts;
    QSet<QString> moved;  // input cells already on the 別紙
    int used = 0;
    for (const Box& b : m_boxes) {
        if (b.sheet == kAnnexSheet || !printed.contains(b.sheet) || used >= kAnnexSlots || !shown(b))
            continue;
        // Only a box that shows one input cell as it is can send that cell
        // to the continuation sheet: a note inside a longer text would read
        // wrong.
        if (b.pattern.size() < 4 || b.pattern.front() != QLatin1Char('{') || b.pattern.back() != QLatin1Char('}')
            || b.pattern.contains(QLatin1Char('|')) || b.pattern.indexOf(QLatin1Char('{'), 1) >= 0)
            continue;
        const QString ref = b.pattern.mid(1, b.pattern.size() - 2);
        if (moved.contains(ref))
            continue;
        const CellRef cell = CellRef::parse(ref);
        const QString text = input.read(cell);
        if (text.isEmpty() || fittingSize(text, b.width, b.height, b.size, b.wrap) > 0)
            continue;
        if (fittingSize(kAnnexNote, b.width, b.height, b.size, b.wrap) <= 0)
            continue;  // a box too small even for the note keeps the smallest size
        const QStringList pieces = annexPieces(text, annexSlot());
        if (used + pieces.size() > kAnnexSlots)
            continue;  // no room left: the box keeps the smallest size
        moved.insert(ref);
        const QString caption = b.caption.isEmpty() ? b.sheet : b.sheet + QStringLiteral("　") + b.caption;
        for (int i = 0; i < pieces.size(); ++i) {
            const int slot = used++;
            const int row = annexRow(slot);
            input.setText(CellRef{row, 4}, i == 0 ? caption : caption + QStringLiteral("（続き）"));
            input.setText(CellRef{row + 1, 4}, pieces.at(i));
            facts << QStringLiteral("annex") << QStringLiteral("annex:%1").arg(slot / kAnnexSlotsPerPage + 1);
        }
        input.setText(cell, kAnnexNote);
    }
    // Slots of an earlier output left in a template are emptied.
    for (int slot = used; slot < kAnnexSlots; ++slot) {
        input.clear(CellRef{annexRow(slot), 4});
        input.clear(CellRef{annexRow(slot) + 1, 4});
    }
    return facts;
}

bool TextFit::applySizes(XlsxWorkbook& book, const InputSheet& input, QString* error) const
{
    for (const Box& b : m_boxes) {
        if (b.pattern.isEmpty() || !shown(b) || !book.hasSheet(b.sheet))
            continue;
        const QString text = shownText(b.pattern, input);
        if (text.isEmpty())
            continue;
        double size = fittingSize(text, b.width, b.height, b.size, b.wrap);
        if (size >= b.size)
            continue;
        if (size <= 0)
            size = kMinPoints;
        XlsxFormat f;
        f.fontSize = size;
        if (!book.formatCells(b.sheet, b.cell.name(), f))
            return fail(error, book.errorString());
    }
    return true;
}
