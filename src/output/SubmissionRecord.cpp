#include "SubmissionRecord.h"

#include <QFileInfo>

namespace SubmissionRecord {

QVector<SubmissionHistory::Source> sources(const ProjectData& project, const SubmissionSet::Request& request,
                                           const SubmissionSet::Result& result)
{
    QVector<SubmissionHistory::Source> out;
    out.append({SubmissionHistory::kCombined, result.combined, false});
    // The file names carry the building and the date, which change between
    // rounds; the document a file holds is what stays.
    const QString prefix = SubmissionSet::safeName(project.text(project.gaiyou, QStringLiteral("Buken")), 120) + QLatin1Char('_');
    const QString suffix = QLatin1Char('_') + request.date.toString(QStringLiteral("yyyyMMdd"));
    for (int i = 0; i < result.documentFiles.size(); ++i) {
        QString document = i < request.documents.size() ? request.documents[i] : QString();
        if (document.isEmpty()) {
            document = QFileInfo(result.documentFiles[i]).completeBaseName();
            if (document.startsWith(prefix))
                document.remove(0, prefix.size());
            if (document.endsWith(suffix))
                document.chop(suffix.size());
        }
        out.append({document, result.documentFiles[i], false});
    }
    // The portal item lists, named by what they hold without the building and the date.
    for (const QString& file : result.itemFiles) {
        QString document = QFileInfo(file).fileName();
        if (document.startsWith(prefix))
            document.remove(0, prefix.size());
        out.append({document.replace(suffix, QString()), file, false});
    }
    for (const QString& drawing : request.drawings)
        out.append({QFileInfo(drawing).fileName(), drawing, true});
    return out;
}

bool record(Storage& storage, const ProjectData& project, const SubmissionSet::Request& request,
            const SubmissionSet::Result& result, const QString& note, SubmissionHistory::Entry* out, QString* error)
{
    return SubmissionHistory::recordSubmission(storage, project.bid, request.kind, note, sources(project, request, result),
                                               out, error, request.date);
}

}  // namespace SubmissionRecord
