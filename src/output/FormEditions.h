#pragma once

#include "ShoshikiSet.h"

#include <QString>
#include <QVector>

#include <array>
#include <functional>

// Which official form, in which edition, each document of a template
// prints, and the template's own stamp. The generator writes both to the
// template's hidden sheet 「様式一覧」.
class Storage;

class FormEditions
{
public:
    static const QString kSheet;

    struct Document {
        int index = -1;
        QString name;
        QString form;
        QString edition;
    };

    // Reads the list and the stamp of the template at `path`. A template
    // without the sheet has none (an empty list and stamp, no error).
    static bool read(const QString& path, QVector<Document>* documents, QString* stamp, QString* error);

    // Stamps are "R<release>-<digest>". A template is behind the shipped
    // one when it has no stamp, an earlier release, or the same release
    // with other sheets; a later release is left alone.
    static bool isBehind(const QString& stamp, const QString& shippedStamp);

    // An office's application directory keeps its own copy of the template,
    // which an installed release does not replace by itself. When that copy
    // is behind the template shipped beside the program (programDir +
    // "/templates"), the copy is kept as 「確認申請.xlsx.旧版-YYYYMMDD」 and
    // replaced, and so are the shipped originals in the directory's own
    // templates folder; the office's sheet formatting (officeSets) is
    // applied again when the old copy had been reformatted. *message then
    // says so in one line; it stays empty when nothing was to be done.
    static bool refreshTemplate(const QString& appDir, const QString& programDir,
                                const std::function<std::array<ShoshikiSet::Setting, 4>()>& officeSets,
                                QString* message, QString* error);
    // The same with the office's font sets from its options.
    static bool refreshTemplate(const QString& appDir, const QString& programDir, Storage& storage,
                                QString* message, QString* error);
};
