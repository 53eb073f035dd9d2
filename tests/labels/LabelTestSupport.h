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
};

inline qint64 addCustomer(Storage& s, const Person& p)
{
    Recordset rs(s, DbFile::SaleData);
    if (!rs.open(QStringLiteral("UserMaster"), QStringLiteral("ID"), 0) || rs.addNew() == 0)
        qFatal("%s", qPrintable(rs.errorString()));
    const qint64 id = rs.id();
    auto set = [&rs](const char* c, const QVariant& v) { rs.setValue(QString::fromLatin1(c), v); };
    set("Name", p.name2.isEmpty() ? p.name1 : p.name1 + QLatin1Char(' ') + p.name2);
    set("Name1", p.name1);
    set("Name2", p.name2);
    set("Post1", p.post);
    set("ADR11", p.adr1);
    set("ADR12", p.adr2);
    set("ADR13", p.adr3);
    set("Corp1", p.corp);
    set("EMAIL1", p.mail);
    set("U_No", p.folder);
    if (!rs.update())
        qFatal("%s", qPrintable(rs.errorString()));
    return id;
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

inline QVector<Recipient> numbered(int n)
{
    QVector<Recipient> out;
    for (int i = 0; i < n; ++i)
        out << recipient(i + 1, QStringLiteral("宛先%1").arg(i + 1), u("港区1-1"));
    return out;
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
    bool ok = false;
    QString error;
    int pages = 0;
    QSizeF pageSizeMm;
    QVector<Word> words;
};

inline PdfText readPdf(const QString& pdf, const QString& workDir)
{
    PdfText out;
    const QString html = workDir + QStringLiteral("/bbox.html");
    const ProcessRun run = runProcess(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, html});
    if (run.code != 0) {
        out.error = QStringLiteral("pdftotext: ") + run.err;
        return out;
    }
    QFile f(html);
    if (!f.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("no bbox output");
        return out;
    }
    const QString text = QString::fromUtf8(f.readAll());
    constexpr double kMmPerPt = 25.4 / 72.0;
    static const QRegularExpression pageRe(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression wordRe(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    // Pages and words in document order.
    static const QRegularExpression anyRe(QStringLiteral("<page |<word "));
    int page = -1;
    qsizetype pos = 0;
    while (true) {
        const QRegularExpressionMatch m = anyRe.match(text, pos);
        if (!m.hasMatch())
            break;
        if (m.captured(0) == QLatin1String("<page ")) {
            const QRegularExpressionMatch p = pageRe.match(text, m.capturedStart());
            ++page;
            out.pageSizeMm = QSizeF(p.captured(1).toDouble() * kMmPerPt, p.captured(2).toDouble() * kMmPerPt);
        } else {
            const QRegularExpressionMatch w = wordRe.match(text, m.capturedStart());
            if (w.hasMatch() && w.capturedStart() == m.capturedStart()) {
                Word word;
                word.page = page;
                word.text = w.captured(5);
                word.box = QRectF(QPointF(w.captured(1).toDouble() * kMmPerPt, w.captured(2).toDouble() * kMmPerPt),
                                  QPointF(w.captured(3).toDouble() * kMmPerPt, w.captured(4).toDouble() * kMmPerPt));
                out.words << word;
            }
        }
        pos = m.capturedEnd();
    }
    out.pages = page + 1;
    out.ok = true;
    return out;
}

}  // namespace labeltest
