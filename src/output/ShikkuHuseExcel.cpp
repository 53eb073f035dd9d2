#include "ShikkuHuseExcel.h"

#include "SafeFile.h"

#include "AppDir.h"
#include "EraDate.h"
#include "WorkbookViewer.h"
#include "XlsxWorkbook.h"
#include "common.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool failWith(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

const QString kBaseName = QStringLiteral("シックハウス基準");

}  // namespace

const QString ShikkuHuseExcel::kSheet = QStringLiteral("基本データ入力");

QString ShikkuHuseExcel::templatePath()
{
    return AppDir::file(kBaseName + QStringLiteral(".xlsx"));
}

QString ShikkuHuseExcel::copyFolder()
{
    return AppDir::file(QStringLiteral("SHIC"));
}

QString ShikkuHuseExcel::copyPath(const QString& folder, int number)
{
    return folder + QLatin1Char('/') + kBaseName + QStringLiteral("%1.xlsx").arg(number, 3, 10, QLatin1Char('0'));
}

QString ShikkuHuseExcel::nextCopyPath(const QString& folder)
{
    int n = 1;
    while (QFileInfo::exists(copyPath(folder, n)))
        ++n;
    return copyPath(folder, n);
}

ShikkuHuseExcel::ShikkuHuseExcel(WorkbookViewer* viewer)
    : m_viewer(viewer)
{
}

void ShikkuHuseExcel::closeEarlier()
{
    closeViewerOf(m_viewer, m_lastCopy);
}

bool ShikkuHuseExcel::run(const ProjectData& project, const QString& choice, const QDate& today, QString* error)
{
    if (!choice.isEmpty())
        return openSaved(choice, error);
    QString created;
    return createNew(project, today, &created, error);
}

bool ShikkuHuseExcel::openSaved(const QString& path, QString* error)
{
    if (!QFile::exists(path))
        return failWith(error, QStringLiteral("ファイル「%1」が見つかりません。").arg(QDir::toNativeSeparators(path)));
    if (common::FileInUse(path))
        return failWith(error, QStringLiteral("「%1」は既に開かれています。").arg(QDir::toNativeSeparators(path)));
    m_lastCopy = QFileInfo(path).absoluteFilePath();
    if (m_viewer && !m_viewer->show(m_lastCopy, error))
        return false;
    return true;
}

bool ShikkuHuseExcel::createNew(const ProjectData& project, const QDate& today, QString* created, QString* error)
{
    const QString source = templatePath();
    QString missing;
    if (!templateFound(source, &missing))
        return failWith(error, missing);
    closeEarlier();
    const QString folder = copyFolder();
    if (!QDir().mkpath(folder))
        return failWith(error, QStringLiteral("フォルダ「%1」を作成できません。").arg(QDir::toNativeSeparators(folder)));
    const QString target = nextCopyPath(folder);
    // A new file, writable even when the installed template is read-only.
    if (!SafeFile::copy(source, target, error))
        return false;
    if (created)
        *created = target;
    m_lastCopy = target;
    // A copy whose cells could not be written is still the user's to fill in.
    QString fillError;
    const bool filled = fillCopy(target, project, today, &fillError);
    if (m_viewer && !m_viewer->show(target, error))
        return false;
    return filled || failWith(error, fillError);
}

bool ShikkuHuseExcel::fillCopy(const QString& path, const ProjectData& project, const QDate& today, QString* error)
{
    XlsxWorkbook book;
    if (!book.open(path))
        return failWith(error, book.errorString());
    if (!book.hasSheet(kSheet))
        return failWith(error, QStringLiteral("テンプレートにシート「%1」がありません。").arg(kSheet));
    const QVector<XlsxCellWrite> cells{
        {CellRef::parse(u"E3"), XlsxCellWrite::Kind::Text, EraDate::text(today)},
        {CellRef::parse(u"E5"), XlsxCellWrite::Kind::Text, project.text(project.gaiyou, QStringLiteral("Buken"))},
        {CellRef::parse(u"I4"), XlsxCellWrite::Kind::Text, project.text(project.gaiyou, QStringLiteral("Name1"))},
        {CellRef::parse(u"I5"), XlsxCellWrite::Kind::Text, project.text(project.gaiyou, QStringLiteral("Name2"))},
    };
    if (!book.writeCells(kSheet, cells) || !book.selectSheet(kSheet) || !book.requestFullRecalculation()
        || !book.save())
        return failWith(error, book.errorString());
    return true;
}
