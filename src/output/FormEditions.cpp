#include "FormEditions.h"

#include "OptionStore.h"
#include "SafeFile.h"
#include "XlsxWorkbook.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

const QString FormEditions::kSheet = QStringLiteral("様式一覧");

namespace {

const QString kTemplate = QStringLiteral("確認申請.xlsx");
const QString kCells = QStringLiteral("確認申請.cells.json");

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QString stampOf(const QString& path)
{
    QVector<FormEditions::Document> docs;
    QString stamp;
    return FormEditions::read(path, &docs, &stamp, nullptr) ? stamp : QString();
}

// How the office's formatting shows on a template: the look of the first
// value cell of the application form.
bool lookOf(const QString& path, const QString& range, XlsxCellStyle* out)
{
    XlsxWorkbook book;
    return book.open(path) && book.readCellStyle(QStringLiteral("確認申請"), range.section(QLatin1Char(':'), 0, 0), out);
}

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString cellsStampOf(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object().value(QStringLiteral("stamp")).toString();
}

// A release may describe the same forms more fully (the numbered items of
// the portal lists, say) without changing the template: the application
// directory's copy of the cell list of that edition follows the program's.
bool refreshCellList(const QString& appDir, const QString& programDir, QString* error)
{
    const QString shipped = QDir(programDir).filePath(QStringLiteral("templates/") + kCells);
    const QString own = QDir(appDir).filePath(QStringLiteral("templates/") + kCells);
    if (QFileInfo(shipped).absoluteFilePath() == QFileInfo(own).absoluteFilePath() || !QFile::exists(own))
        return true;
    const QByteArray theirs = contentsOf(shipped), ours = contentsOf(own);
    if (theirs.isEmpty() || theirs == ours || cellsStampOf(theirs).isEmpty() || cellsStampOf(theirs) != cellsStampOf(ours))
        return true;
    return SafeFile::write(own, theirs, error);
}

}  // namespace

bool FormEditions::read(const QString& path, QVector<Document>* documents, QString* stamp, QString* error)
{
    documents->clear();
    stamp->clear();
    XlsxWorkbook book;
    if (!book.open(path))
        return fail(error, book.errorString());
    if (!book.hasSheet(kSheet))
        return true;
    XlsxCell cell;
    if (!book.readCell(kSheet, CellRef{2, 6}, &cell))
        return fail(error, book.errorString());
    *stamp = cell.value.trimmed();
    for (int row = 2;; ++row) {
        XlsxCell c[4];
        for (int k = 0; k < 4; ++k)
            if (!book.readCell(kSheet, CellRef{row, k + 1}, &c[k]))
                return fail(error, book.errorString());
        if (c[1].value.isEmpty())
            break;
        *documents << Document{c[0].value.toInt(), c[1].value, c[2].value, c[3].value};
    }
    return true;
}

bool FormEditions::isBehind(const QString& stamp, const QString& shippedStamp)
{
    static const QRegularExpression form(QStringLiteral("^R(\\d+)-(\\w+)$"));
    const QRegularExpressionMatch ours = form.match(stamp), shipped = form.match(shippedStamp);
    if (!shipped.hasMatch())
        return false;  // nothing to compare with: keep what the office has
    if (!ours.hasMatch())
        return true;
    const int a = ours.captured(1).toInt(), b = shipped.captured(1).toInt();
    return a < b || (a == b && ours.captured(2) != shipped.captured(2));
}

bool FormEditions::refreshTemplate(const QString& appDir, const QString& programDir,
                                   const std::function<std::array<ShoshikiSet::Setting, 4>()>& officeSets,
                                   QString* message, QString* error)
{
    message->clear();
    const QString shipped = QDir(programDir).filePath(QStringLiteral("templates/") + kTemplate);
    const QString target = QDir(appDir).filePath(kTemplate);
    if (!QFile::exists(shipped))
        return true;
    const QString shippedStamp = stampOf(shipped);
    const bool present = QFile::exists(target);
    const QString oldStamp = present ? stampOf(target) : QString();
    if (present && !isBehind(oldStamp, shippedStamp))
        return refreshCellList(appDir, programDir, error);

    // The shipped originals of the directory itself come first, so that the
    // cell list read below is the new template's.
    const QString ownCopies = QDir(appDir).filePath(QStringLiteral("templates"));
    if (QDir(ownCopies).absolutePath() != QDir(QFileInfo(shipped).absolutePath()).absolutePath()) {
        QDir().mkpath(ownCopies);
        for (const QString& name : {kTemplate, kCells}) {
            const QString from = QDir(programDir).filePath(QStringLiteral("templates/") + name);
            if (QFile::exists(from) && !SafeFile::copy(from, QDir(ownCopies).filePath(name), error))
                return false;
        }
    }

    QString kept;
    if (present) {
        const QString base = target + QStringLiteral(".旧版-") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
        kept = base;
        for (int n = 2; QFile::exists(kept); ++n)
            kept = base + QStringLiteral("-%1").arg(n);
        if (!SafeFile::copy(target, kept, error))
            return false;
    }
    if (!SafeFile::copy(shipped, target, error))
        return false;

    bool reformatted = false;
    ShoshikiSet::CellList cells;
    if (present && officeSets && ShoshikiSet::loadCellList(target, &cells, nullptr)
        && !cells.value(QStringLiteral("確認申請")).input.isEmpty()) {
        const QString first = cells.value(QStringLiteral("確認申請")).input.first();
        XlsxCellStyle before, now;
        if (lookOf(kept, first, &before) && lookOf(target, first, &now)
            && (before.fontName != now.fontName || before.italic != now.italic || before.fontColor != now.fontColor)) {
            QString why;
            reformatted = ShoshikiSet::formatWorkbook(target, officeSets(), cells, &why);
        }
    }
    *message = present ? QStringLiteral("様式を現行版に更新しました（%1 → %2）。旧テンプレートは「%3」に残しました。%4")
                             .arg(oldStamp.isEmpty() ? QStringLiteral("版不明") : oldStamp, shippedStamp,
                                  QFileInfo(kept).fileName(),
                                  reformatted ? QStringLiteral("事務所の書式設定を適用し直しました。") : QString())
                       : QStringLiteral("テンプレート「%1」（%2）を用意しました。").arg(kTemplate, shippedStamp);
    return true;
}

bool FormEditions::refreshTemplate(const QString& appDir, const QString& programDir, Storage& storage,
                                   QString* message, QString* error)
{
    // Read only when a reformatted template needs them again.
    const auto officeSets = [&storage] {
        OptionValues options;
        QString ignored;
        OptionStore::load(storage, &options, &ignored);
        return ShoshikiSet::settingsFrom(options);
    };
    return refreshTemplate(appDir, programDir, officeSets, message, error);
}
