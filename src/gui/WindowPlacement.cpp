#include "WindowPlacement.h"

#include "GuiCommon.h"
#include "MasterTable.h"

#include <QHeaderView>
#include <QWidget>

int WindowPlacement::toTwips(int pixels, int dpi)
{
    return static_cast<int>(static_cast<qint64>(pixels) * kTwipsPerInch / qMax(1, dpi));
}

int WindowPlacement::toPixels(qint64 twips, int dpi)
{
    return qRound(static_cast<double>(twips) * dpi / kTwipsPerInch);
}

WindowPlacement::WindowPlacement(QWidget* window, const QString& topColumn, const QString& leftColumn)
    : m_window(window)
    , m_top(topColumn)
    , m_left(leftColumn)
{
}

WindowPlacement& WindowPlacement::width(QHeaderView* header, int section, const QString& column, int fallback,
                                        int minimum, bool saved)
{
    m_widths.append({header, section, column, fallback, minimum, saved});
    return *this;
}

bool WindowPlacement::restore(Storage& storage, QString* error) const
{
    QStringList columns{m_top, m_left};
    for (const Width& w : m_widths)
        columns << w.column;
    QHash<QString, qint64> kept;
    const bool read = OptionColumns::read(storage, columns, &kept, error);
    const int dpiX = m_window->logicalDpiX();
    for (const Width& w : m_widths) {
        const qint64 twips = kept.value(w.column);
        if (twips > 0)
            w.header->resizeSection(w.section, qMax(w.minimum, toPixels(twips, dpiX)));
        else if (w.fallback >= 0)
            w.header->resizeSection(w.section, w.fallback);
    }
    if (kept.contains(m_top) && kept.contains(m_left))
        GuiCommon::placeOnScreen(m_window, {toPixels(kept.value(m_left), dpiX),
                                            toPixels(kept.value(m_top), m_window->logicalDpiY())});
    return read;
}

bool WindowPlacement::save(Storage& storage, QString* error) const
{
    const int dpiX = m_window->logicalDpiX();
    QVector<QPair<QString, qint64>> values{{m_top, toTwips(m_window->y(), m_window->logicalDpiY())},
                                           {m_left, toTwips(m_window->x(), dpiX)}};
    for (const Width& w : m_widths)
        if (w.saved)
            values.append({w.column, toTwips(w.header->sectionSize(w.section), dpiX)});
    return OptionColumns::write(storage, values, error);
}
