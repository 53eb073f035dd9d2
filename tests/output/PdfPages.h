#pragma once

#include "CliRun.h"

#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVector>

#include <algorithm>

// The rendering tests' start: skipped without LibreOffice, otherwise a
// fresh application folder in `dir` with one project, both made by the batch tool.
#define SD_START_PDF_PROJECT(project, dir)                                                                              \
    do {                                                                                                               \
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())                                      \
            QSKIP("LibreOffice is not installed");                                                                     \
        const QString failed = (project).create(QStringLiteral(SD_CLI_PATH), (dir).filePath(QStringLiteral("app")));  \
        QVERIFY2(failed.isEmpty(), qPrintable(failed));                                                                \
    } while (false)

// The words of a PDF with their boxes (pdftotext -bbox), in points from
// each page's top left, for the tests that read printed faces back.
struct PdfWord {
    QRectF box;
    QString text;
};

struct PdfPage {
    QSizeF size;
    QVector<PdfWord> words;

    // The page's lines top to bottom, each left to right, spaces dropped:
    // words whose middles lie within a few points, whatever their font size.
    QStringList lines() const
    {
        QVector<PdfWord> sorted = words;
        std::sort(sorted.begin(), sorted.end(),
                  [](const PdfWord& a, const PdfWord& b) { return a.box.center().y() < b.box.center().y(); });
        QVector<QVector<PdfWord>> rows;
        for (const PdfWord& w : sorted) {
            if (rows.isEmpty() || w.box.center().y() - rows.last().first().box.center().y() > 4)
                rows.append(QVector<PdfWord>());
            rows.last().append(w);
        }
        QStringList out;
        for (QVector<PdfWord>& row : rows) {
            std::sort(row.begin(), row.end(), [](const PdfWord& a, const PdfWord& b) { return a.box.left() < b.box.left(); });
            QString line;
            for (const PdfWord& w : row)
                line += w.text;
            out << line.remove(u' ').remove(u'\u3000');
        }
        return out;
    }
    QString text() const { return lines().join(QString()); }

    // The first word that leaves the page or lies over another, empty when
    // all fit. A font's box is taller than its glyphs: lines of one cell
    // may share up to `lineShare` of the smaller box's height.
    QString misplaced(double minOverlap = 0.5, double lineShare = 0.5) const
    {
        const QRectF sheet(QPointF(0, 0), size);
        for (int i = 0; i < words.size(); ++i) {
            const PdfWord& a = words[i];
            if (!sheet.contains(a.box))
                return QStringLiteral("off the page: ") + a.text;
            for (int j = i + 1; j < words.size(); ++j) {
                const PdfWord& b = words[j];
                const QRectF both = a.box.intersected(b.box);
                if (both.width() > minOverlap && both.height() > lineShare * qMin(a.box.height(), b.box.height()))
                    return QStringLiteral("overlap: ") + a.text + QStringLiteral(" / ") + b.text;
            }
        }
        return QString();
    }
};

inline QVector<PdfPage> readPdfPages(const QString& pdf)
{
    const QString html = runProcess(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"}).out;
    static const QRegularExpression pageTag(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    static const QRegularExpression wordTag(QStringLiteral(
        "<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" xMax=\"([\\d.-]+)\" yMax=\"([\\d.-]+)\">([^<]*)</word>"));
    QVector<PdfPage> pages;
    for (const QString& chunk : html.split(QStringLiteral("</page>"))) {
        const QRegularExpressionMatch pm = pageTag.match(chunk);
        if (!pm.hasMatch())
            continue;
        PdfPage page{QSizeF(pm.captured(1).toDouble(), pm.captured(2).toDouble()), {}};
        for (auto it = wordTag.globalMatch(chunk); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            page.words.append({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                               QString(m.captured(5)).replace(QStringLiteral("&amp;"), QStringLiteral("&"))});
        }
        pages.append(page);
    }
    return pages;
}

// Each page's printed lines as pdftotext lays them out, spaces dropped,
// blank lines left out.
inline QVector<QStringList> pdfLayoutLines(const QString& pdf)
{
    QVector<QStringList> out;
    const CliRun text = runProcess(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    for (const QString& page : text.out.split(u'\f')) {
        QStringList lines;
        for (QString line : page.split(u'\n'))
            if (!line.remove(u' ').remove(u'\u3000').isEmpty())
                lines << line;
        out << lines;
    }
    return out;
}
