#pragma once

// Shared by the label tests: customers, architects and companies written
// straight into their tables, and a printed PDF read back word by word.

#include "LabelLayout.h"
#include "Recipients.h"
#include "Recordset.h"
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QRectF>
#include <QString>
#include <QVector>

namespace labeltest {

inline QString u(const char* s) { return QString::fromUtf8(s); }

struct Person {
    QString name1, name2, post, adr1, adr2, adr3, corp, mail;
    qint64 folder = -1;  // U_No
    QString tel = {};
};

inline qint64 addRow(Storage& s, DbFile db, const QString& table, const QVector<QPair<QString, QVariant>>& values)
{
    Recordset rs(s, db);
    if (!rs.open(table, QStringLiteral("ID"), 0) || rs.addNew() == 0)
        qFatal("%s", qPrintable(rs.errorString()));
    for (const auto& [c, v] : values)
        rs.setValue(c, v);
    if (!rs.update())
        qFatal("%s", qPrintable(rs.errorString()));
    return rs.id();
}

inline qint64 addCustomer(Storage& s, const Person& p)
{
    return addRow(s, DbFile::SaleData, QStringLiteral("UserMaster"),
                  {{u("Name"), p.name2.isEmpty() ? p.name1 : p.name1 + QLatin1Char(' ') + p.name2},
                   {u("Name1"), p.name1}, {u("Name2"), p.name2}, {u("Post1"), p.post}, {u("ADR11"), p.adr1},
                   {u("ADR12"), p.adr2}, {u("ADR13"), p.adr3}, {u("Corp1"), p.corp}, {u("EMAIL1"), p.mail},
                   {u("U_No"), p.folder}, {u("Tel1"), p.tel}});
}

// Customers "顧客01 …" with addresses of growing length, each in its own town.
inline QVector<qint64> addCustomers(Storage& s, int n, qint64 folder = -1)
{
    QVector<qint64> ids;
    for (int i = 1; i <= n; ++i) {
        Person p;
        p.name1 = QStringLiteral("顧客%1").arg(i, 2, 10, QLatin1Char('0'));
        p.name2 = u("太郎");
        p.post = QStringLiteral("100-%1").arg(i, 4, 10, QLatin1Char('0'));
        p.adr1 = u("東京都");
        p.adr2 = u("千代田区丸の内") + QStringLiteral("%1-%2-%3").arg(i).arg(i % 7 + 1).arg(i % 5 + 1);
        if (i % 3 == 0)
            p.adr2 += u("　丸の内パークビルディング");  // wraps onto the second line
        p.adr3 = i % 2 ? u("ABCビル5階") : QString();
        p.corp = i % 4 ? u("株式会社 高橋設計") : QString();
        p.folder = folder;
        ids << addCustomer(s, p);
    }
    return ids;
}

inline Recipient recipient(qint64 key, const QString& name, const QString& adr2, Recipient::Source source = Recipient::Source::Customer)
{
    Recipient r;
    r.key = key;
    r.source = source;
    r.name1 = name;
    r.address1 = u("東京都");
    r.address2 = adr2;
    return r;
}

inline LabelLayout seededLayout(Storage& s, const QString& name)
{
    LabelLayoutStore store(s);
    QVector<LayoutName> names;
    if (!store.list(&names))
        qFatal("%s", qPrintable(store.errorString()));
    for (const LayoutName& n : names) {
        if (n.name.startsWith(name)) {
            LabelLayout l;
            bool found = false;
            store.load(n.id, &l, &found);
            return l;
        }
    }
    qFatal("no layout %s", qPrintable(name));
    return {};
}

// One word of a PDF page as pdftotext places it, in millimetres from the
// page's top-left corner.
struct Word {
    int page = 0;  // 0-based
    QString text;
    QRectF box;
};

struct PdfText {
    QString error;  // empty when the PDF was read
    int pages = 0;
    QSizeF pageSizeMm;
    QVector<Word> words;
};

inline PdfText readPdf(const QString& pdf, const QString& workDir)
{
    PdfText out;
    const QString html = workDir + QStringLiteral("/bbox.html");
    const ProcessRun run = runProcess(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, html});
    QFile f(html);
    if (run.code != 0 || !f.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("pdftotext: ") + run.err;
        return out;
    }
    const QString text = QString::fromUtf8(f.readAll());
    constexpr double kMmPerPt = 25.4 / 72.0;
    const auto mm = [](const QRegularExpressionMatch& m, int i) { return m.captured(i).toDouble() * kMmPerPt; };
    // Pages and words in document order.
    static const QRegularExpression re(QStringLiteral(
        "<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">|"
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    int page = -1;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1) > 0) {
            out.pageSizeMm = QSizeF(mm(m, 1), mm(m, 2));
            ++page;
        } else {
            out.words << Word{page, m.captured(7), QRectF(QPointF(mm(m, 3), mm(m, 4)), QPointF(mm(m, 5), mm(m, 6)))};
        }
    }
    out.pages = page + 1;
    return out;
}

}  // namespace labeltest
