#pragma once

#include "TextFit.h"

#include <QHash>
#include <QString>
#include <QVector>

// How a typed text will print: for a column of a project table, the boxes
// of the application workbook that show it, and what becomes of a text
// there (as the output does it: smaller type, the 別紙, or not at all).
// The windows ask while the user types, so that a text that does not fit
// is noticed before it is printed.
class BoxFit {
public:
    enum class Verdict { Fits, Smaller, Annex, TooLong };
    struct Result {
        Verdict verdict = Verdict::Fits;
        double size = 0;  // the type size it prints in (Smaller)
        QString where;    // the form and item of the worst box
    };

    // The boxes of the application directory's template, read on first
    // use and again when the file changes; empty (everything fits) when
    // the template cannot be read.
    static const BoxFit& shared();

    // Reads the boxes of a template and finds the columns they show by
    // filling the input sheet once with a mark per text column.
    bool load(const QString& templatePath, QString* error);
    bool knows(const QString& table, const QString& column) const;
    Result judge(const QString& table, const QString& column, const QString& text) const;
    // The longest start of the text that can be printed: the text itself
    // when it can.
    QString longestPrintable(const QString& table, const QString& column, const QString& text) const;
    // What the user reads about a verdict; empty when the text fits.
    static QString describe(const Result& r);

private:
    struct Place {
        TextFit::Box box;
        QString before;  // the box's other text around the column's
        QString after;
        bool annexable = false;  // the box shows the column alone
    };
    QHash<QString, QVector<Place>> m_places;  // "TABLE.Column"
    TextFit::Box m_annex;
    bool m_hasAnnex = false;
};
