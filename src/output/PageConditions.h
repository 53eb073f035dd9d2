#pragma once

#include "ProjectData.h"

#include <QSet>
#include <QString>
#include <QVector>

class XlsxWorkbook;

// The pages of the printed sheets that exist only for what a project has
// (a second building, a third floor, an independent part, a continuation
// page). The template carries them on its hidden sheet "頁条件"; the
// driver hides the rows of every page whose condition does not hold.
class PageConditions
{
public:
    static const QString kSheet;

    struct Page {
        QString sheet;
        int first = 0;
        int last = 0;
        QString key;
    };

    // Reads the conditions of an open template. A template without the
    // sheet has none: every page prints.
    bool load(XlsxWorkbook& book, QString* error);
    const QVector<Page>& pages() const { return m_pages; }

    // Whether the page keyed `key` prints for the project. `facts` are
    // further keys that hold for this output (e.g. "annex" when a text went
    // to the continuation sheet). An unknown key never holds, so a page of
    // a newer template never prints by mistake.
    static bool holds(const QString& key, const ProjectData& project, const QSet<QString>& facts = {});

    // Hides or shows the rows of every page on the sheets the book has.
    bool apply(XlsxWorkbook& book, const ProjectData& project, const QSet<QString>& facts, QString* error) const;

private:
    QVector<Page> m_pages;
};
