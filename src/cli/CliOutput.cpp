#include "CliCommands.h"

#include "FormEditions.h"
#include "ProjectData.h"
#include "SinseiCellMap.h"
#include "SinseiExcelOutRtn.h"
#include "Storage.h"

#include <QCoreApplication>
#include <QFileInfo>

// output B_ID DOC --out FILE.xlsx [--pdf FILE.pdf]: the same fill as the
// main window's output drop-down, written to a file of the caller's
// choice instead of being shown.
int cliOutput(CliContext& c)
{
    QStringList args = c.args;
    QString out;
    QString pdf;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--out") || a == QLatin1String("--pdf")) && i + 1 < args.size()) {
            (a == QLatin1String("--out") ? out : pdf) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            c.err << QStringLiteral("不明なオプションです: %1").arg(a) << Qt::endl;
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2 || out.isEmpty()) {
        c.err << QStringLiteral("使い方: output B_ID DOC --out FILE.xlsx [--pdf FILE.pdf]\n"
                                "DOC は帳票の番号 0〜11 または名前（%1）です。")
                     .arg(SinseiExcelOutRtn::documentNames().join(QStringLiteral("、")))
              << Qt::endl;
        return 2;
    }
    qint64 bid = 0;
    if (!parseProjectId(positional[0], &bid, c.err))
        return 2;
    const int doc = SinseiExcelOutRtn::documentIndex(positional[1]);
    if (doc < 0) {
        c.err << QStringLiteral("帳票「%1」はありません。　0〜11 または %2 のいずれかを指定してください。")
                     .arg(positional[1], SinseiExcelOutRtn::documentNames().join(QStringLiteral("、")))
              << Qt::endl;
        return 2;
    }

    // Checked before anything is written: an output never replaces the office's data.
    for (const QString& path : {out, pdf})
        if (!path.isEmpty() && refusedAsOwnFile(path, c.storage.appDir(), c.err))
            return 2;

    const QString templ = SinseiExcelOutRtn::templatePath();
    if (!QFileInfo::exists(templ)) {
        c.err << QStringLiteral("必要とするシステムファイルが存在しません。（%1）").arg(templ) << Qt::endl;
        return 1;
    }
    ProjectData project;
    QString error;
    if (!ProjectData::load(c.storage, bid, &project, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    const QString xlsx = QFileInfo(out).absoluteFilePath();
    if (!SinseiExcelOutRtn::fillWorkbook(project, doc, templ, xlsx, &error)) {
        c.err << error << Qt::endl;
        return 1;
    }
    c.out << xlsx << Qt::endl;
    if (doc == SinseiExcelOutRtn::documentIndex(SinseiCellMap::kApplicationSheet))
        for (const QString& note : SinseiCellMap::outputNotes(project))
            c.err << QStringLiteral("注意: ") << note << Qt::endl;
    if (!pdf.isEmpty()) {
        const QString pdfPath = QFileInfo(pdf).absoluteFilePath();
        if (!SinseiExcelOutRtn::renderPdf(xlsx, pdfPath, doc, &error)) {
            c.err << error << Qt::endl;
            return 1;
        }
        c.out << pdfPath << Qt::endl;
    }
    return 0;
}

// forms: the documents of the application directory's template with the
// official form and the edition each one prints.
int cliForms(QTextStream& out, QTextStream& err)
{
    const QString templ = SinseiExcelOutRtn::templatePath();
    if (!QFileInfo::exists(templ)) {
        err << QStringLiteral("必要とするシステムファイルが存在しません。（%1）").arg(templ) << Qt::endl;
        return 1;
    }
    QVector<FormEditions::Document> docs;
    QString stamp, error;
    if (!FormEditions::read(templ, &docs, &stamp, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    if (docs.isEmpty()) {
        err << QStringLiteral("テンプレート「%1」には様式の一覧がありません（古い版のテンプレートです）。").arg(templ)
            << Qt::endl;
        return 1;
    }
    for (const FormEditions::Document& d : docs)
        out << d.index << '\t' << d.name << '\t' << d.form << '\t' << d.edition << Qt::endl;
    return 0;
}

int cliRefreshTemplate(const QString& appDir, Storage& storage, QTextStream& err)
{
    QString said, error;
    if (!FormEditions::refreshTemplate(appDir, QCoreApplication::applicationDirPath(), storage, &said, &error)) {
        err << QStringLiteral("テンプレートを更新できません: %1").arg(error) << Qt::endl;
        return 1;
    }
    if (!said.isEmpty())
        err << said << Qt::endl;
    return 0;
}
