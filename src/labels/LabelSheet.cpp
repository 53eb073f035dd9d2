#include "LabelSheet.h"

#include "ShiftJis.h"

#include <algorithm>

// ---------------------------------------------------------------- plan

void LabelPlan::setMode(StartMode mode)
{
    m_mode = mode;
    m_start = 0;
    applyStart();
}

void LabelPlan::applyStart()
{
    switch (m_mode) {
    case StartMode::Top:
        m_used.fill(true);
        break;
    case StartMode::Position:
        for (int i = 0; i < kPositions; ++i)
            m_used[static_cast<size_t>(i)] = i >= m_start;
        break;
    case StartMode::Random:
        m_used.fill(false);
        break;
    }
}

void LabelPlan::clickLabel(int index)
{
    if (index < 0 || index >= m_perSheet)
        return;
    switch (m_mode) {
    case StartMode::Top:
        return;
    case StartMode::Position:
        m_start = index;
        applyStart();
        return;
    case StartMode::Random:
        m_used[static_cast<size_t>(index)] = !m_used[static_cast<size_t>(index)];
        return;
    }
}

void LabelPlan::setLabelsPerSheet(int perSheet)
{
    m_perSheet = std::clamp(perSheet, 1, kPositions);
    if (m_mode == StartMode::Position && m_start >= m_perSheet) {
        m_start = 0;
        applyStart();
    }
}

bool LabelPlan::isUsedOnFirstSheet(int index) const
{
    return index >= 0 && index < m_perSheet && m_used[static_cast<size_t>(index)];
}

int LabelPlan::usedOnFirstSheet() const
{
    return static_cast<int>(std::count(m_used.begin(), m_used.begin() + m_perSheet, true));
}

QString LabelPlan::startHint() const
{
    switch (m_mode) {
    case StartMode::Top:
        return QStringLiteral("1枚目のすべてのラベル（%1枚）に印刷します。").arg(m_perSheet);
    case StartMode::Position:
        return QStringLiteral("1枚目は %1 番目のラベルから印刷します（%2枚）。プレビューの1ページ目でラベルをクリックして開始位置を選びます。")
            .arg(m_start + 1)
            .arg(usedOnFirstSheet());
    case StartMode::Random:
        return QStringLiteral("1枚目は選んだ %1枚のラベルに印刷します。プレビューの1ページ目でラベルをクリックすると選択・解除できます。")
            .arg(usedOnFirstSheet());
    }
    return {};
}

int LabelPlan::pageCount(int recipients) const
{
    const int s = usedOnFirstSheet();
    if (s == 0)
        return 0;
    if (recipients < s)
        return 1;
    const int rest = recipients - s;
    return 1 + rest / m_perSheet + (rest % m_perSheet > 0 ? 1 : 0);
}

int LabelPlan::recipientAt(int page, int label, int recipients) const
{
    if (page < 0 || label < 0 || label >= m_perSheet)
        return -1;
    int index = 0;
    if (page == 0) {
        if (!m_used[static_cast<size_t>(label)])
            return -1;
        index = static_cast<int>(std::count(m_used.begin(), m_used.begin() + label, true));
    } else {
        index = usedOnFirstSheet() + (page - 1) * m_perSheet + label;
    }
    return index < recipients ? index : -1;
}

// ---------------------------------------------------------------- texts

QString LabelTexts::text(LabelElement e) const
{
    switch (e) {
    case LabelElement::Post: return post;
    case LabelElement::Addr1: return line1;
    case LabelElement::Addr2: return line2;
    case LabelElement::Corp: return corp;
    case LabelElement::Name: return name;
    }
    return {};
}

namespace LabelText {

namespace {

// The longest start of the text that fits in so many Shift_JIS bytes,
// never splitting a character.
int charsWithin(const QString& text, int capacityBytes)
{
    int bytes = 0;
    int i = 0;
    while (i < text.size()) {
        const int len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        bytes += static_cast<int>(ShiftJis::encode(text.mid(i, len)).size());
        if (bytes > capacityBytes)
            break;
        i += len;
    }
    return i;
}

}  // namespace

Wrapped wrapAddress(const QString& address1, const QString& address2, const QString& address3, int capacityBytes)
{
    const QString line = (address1 + address2).trimmed();
    QString rest;
    QString first = line;
    if (ShiftJis::encode(line).size() > capacityBytes) {
        qsizetype cut = line.indexOf(QChar(0x3000));
        if (cut < 0)
            cut = line.indexOf(QLatin1Char(' '));
        if (cut < 0)
            cut = charsWithin(line, std::max(0, capacityBytes));
        first = line.left(cut);
        rest = line.mid(cut);
    }
    return {first.trimmed(), (rest + address3).trimmed()};
}

LabelTexts forRecipient(const Recipient& r, const QString& honorific, const LabelLayout& layout)
{
    const Wrapped address =
        wrapAddress(r.address1, r.address2, r.address3, layout.capacityBytes(LabelElement::Addr1));
    LabelTexts t;
    t.post = r.postalCode;
    t.line1 = address.line1;
    t.line2 = address.line2;
    t.corp = r.company;
    t.name = (r.name1 + r.name2 + QLatin1Char(' ') + honorific).trimmed();
    return t;
}

LabelTexts sample()
{
    return {QStringLiteral("〒"), QStringLiteral("住所1"), QStringLiteral("住所2"), QStringLiteral("会社名"),
            QStringLiteral("顧客名")};
}

}  // namespace LabelText
