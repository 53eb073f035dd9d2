#pragma once

#include "OptionStore.h"
#include "XlsxWorkbook.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QPair>
#include <QVector>

#include <array>
#include <functional>
#include <optional>

// The formatting of the application workbook's template with the office's
// font sets: set 1 on the cells that show entered data (with their
// underlines), set 3 on the item names, set 2 on the titles. The template
// in the application directory is changed in place, once, so that every
// later output copies the new look; output copies are never formatted.
class ShoshikiSet {
public:
    // One font set as the formatting uses it.
    struct Setting {
        QString fontName;
        QString style;
        double size = 10;
        int lineStyle = 0;  // LineInt n: the item of the line-style list
        int color = 0;      // the colour number (see colourFor)
    };

    // The cells of one sheet by what they show, as the template generator
    // lists them: ranges such as "B4" or "J49:X49".
    struct SheetCells {
        QStringList title;
        QStringList item;
        QStringList input;
        QStringList underline;  // the input cells' underlines that belong to no box
        // First and last row of each printed page, in page order.
        QVector<QPair<int, int>> pages;
    };
    using CellList = QHash<QString, SheetCells>;

    // The printed sheets in the order they are formatted.
    static const QStringList& sheetOrder();

    // Colour numbers 1 and 3 to 16 give a colour; 2 and every other
    // number leave the cells' colour as it is.
    static std::optional<quint32> colourFor(int number);
    // The colour number of a swatch of the options window's colour picker:
    // the picker lists the same palette without its white.
    static int colourNumberOfSwatch(int swatch);
    // The line style of a LineStyle item ("線なし", "実線", …): empty for
    // no line, nullopt for an index the list does not have.
    static std::optional<QString> lineStyleName(int index);

    // The four sets from the options; the line style is set 1's underline.
    static std::array<Setting, 4> settingsFrom(const OptionValues& options);
    // What applying a set writes: its font name, italic unless the style is
    // "標準", 10 points, and its colour when the number has one.
    static XlsxFormat formatFor(const Setting& setting);

    // The cell list beside a template (its .cells.json); without one, the
    // list the program was built with.
    static bool loadCellList(const QString& templatePath, CellList* out, QString* error);
    static bool parseCellList(const QByteArray& json, CellList* out, QString* error);
    // The cell list's file as it is (for the other lists it holds).
    static bool readCellListFile(const QString& templatePath, QByteArray* json, QString* error);

    // Formats the workbook at `path` in place. Cells missing from a sheet
    // or sheets missing from the workbook are passed over; false only when
    // the workbook cannot be opened or saved.
    static bool formatWorkbook(const QString& path, const std::array<Setting, 4>& sets, const CellList& cells,
                               QString* error);

    // The run of the options window's "書式設定": closes the workbooks that
    // the program shows (closeViewers), checks the template (warning
    // "必要とするシステムファイルが存在しません。" when it is missing),
    // then formats it with the options given. The caller reports the end.
    static bool run(const OptionValues& options, const std::function<void()>& closeViewers, QString* error);
    static QString templatePath();
};
