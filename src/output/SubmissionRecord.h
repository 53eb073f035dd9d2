#pragma once

#include "SubmissionHistory.h"
#include "SubmissionSet.h"

class Storage;

// Keeps a submission set that SubmissionSet::make wrote in the project's
// submission history: the combined PDF, one PDF per document and the
// drawings, each under the name it has in every round.
namespace SubmissionRecord {

QVector<SubmissionHistory::Source> sources(const ProjectData& project, const SubmissionSet::Request& request,
                                           const SubmissionSet::Result& result);

bool record(Storage& storage, const ProjectData& project, const SubmissionSet::Request& request,
            const SubmissionSet::Result& result, const QString& note, SubmissionHistory::Entry* out, QString* error);

}  // namespace SubmissionRecord
