#pragma once

#include <QString>
#include <QVector>

class QHeaderView;
class QWidget;
class Storage;

// Where a window was left and how wide its list columns were, kept in
// columns of the options row (OptionMaster) in twips, as the office's
// earlier program kept them, so that a window reopens where the clerk put
// it. A place kept on a larger screen is pulled back onto this one.
// Windows use this, never a twips conversion of their own.
class WindowPlacement {
public:
    static constexpr int kTwipsPerInch = 1440;
    // Twips are cut down to whole ones, as they always have been stored;
    // pixels are rounded, so that a width kept and read back at any
    // resolution comes back as it was instead of shrinking a pixel a time.
    static int toTwips(int pixels, int dpi);
    static int toPixels(qint64 twips, int dpi);

    // topColumn, leftColumn: the columns of the window's top-left corner.
    WindowPlacement(QWidget* window, const QString& topColumn, const QString& leftColumn);

    // A list column whose width is kept in `column`. Without a kept width
    // it gets `fallback` pixels (a negative one: the list's own); a kept
    // one is never narrower than `minimum`. A width that is only read
    // (saved false) is kept by another window.
    WindowPlacement& width(QHeaderView* header, int section, const QString& column, int fallback = -1,
                           int minimum = 0, bool saved = true);

    // Moves the window and sizes the columns as kept; the fallback widths
    // when nothing is kept or the options cannot be read (then false).
    bool restore(Storage& storage, QString* error) const;
    // Keeps the window's place and the saved widths.
    bool save(Storage& storage, QString* error) const;

private:
    struct Width {
        QHeaderView* header;
        int section;
        QString column;
        int fallback;
        int minimum;
        bool saved;
    };

    QWidget* m_window;
    QString m_top;
    QString m_left;
    QVector<Width> m_widths;
};
