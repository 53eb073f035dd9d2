#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class Storage;

// A project's submission history: every submission set made and every
// document received from the authority, kept as files in the application
// directory (one folder per project, one subfolder per entry, never
// written twice) and as rows of RIREKI / RIREKIFILE with each file's
// SHA-256, so that two rounds can be compared file by file.
namespace SubmissionHistory {

// 提出履歴/<B_ID>/ under the application directory; a deleted project's
// folder moves to 提出履歴/削除済み/.
inline const QString kFolder = QStringLiteral("提出履歴");
inline const QString kDeletedFolder = QStringLiteral("削除済み");
// Written into every entry's folder: the entry and its files in
// sha256sum's format, so that the folder tells what it is on its own.
inline const QString kRecordFile = QStringLiteral("記録.txt");
// The document name of the combined PDF in every round.
inline const QString kCombined = QStringLiteral("一式");

// The kinds of documents received that the history offers.
const QStringList& receivedKinds();

struct File {
    QString document;  // the same name in every round: 確認申請, 概要書, 一式, a drawing's file name …
    QString path;      // relative to the application directory, '/'-separated
    qint64 size = 0;
    QString sha256;    // lower-case hex
};

struct Entry {
    qint64 id = 0;
    qint64 bid = 0;
    bool received = false;
    QString kind;
    int round = 0;  // per project and kind of submission, from 1; 0 when received
    QDate date;
    QString note;
    QString folder;      // relative to the application directory
    QString recordedAt;  // ISO local date and time
    QString host;        // the computer whose application directory holds the files
    QVector<File> files;

    // "確認申請 第2回" or "受領 確認済証".
    QString title() const;
};

// A file to keep: what it is and where it is now.
struct Source {
    QString document;
    QString path;
    bool drawing = false;  // kept under 図面/ of the entry's folder
};

// Copies the files into a new folder of the project's history (written in
// a hidden folder beside it, then renamed), then adds the rows; the round
// follows the project's last one of the kind. Nothing stays behind when
// any step fails.
bool recordSubmission(Storage& storage, qint64 bid, const QString& kind, const QString& note,
                      const QVector<Source>& files, Entry* out, QString* error, const QDate& date = QDate::currentDate());

// Keeps a document received (any file) with its kind and date.
bool attachReceived(Storage& storage, qint64 bid, const QString& kind, const QDate& date, const QString& note,
                    const QString& file, Entry* out, QString* error);

// The project's entries with their files, in the order recorded.
bool list(Storage& storage, qint64 bid, QVector<Entry>* out, QString* error);
// How many entries a project has; for the question before it is deleted.
int count(Storage& storage, qint64 bid);

// The absolute path of a file or folder of an entry; empty for a path that
// would leave the application directory.
QString absolutePath(const QString& appDir, const QString& relative);

// Which files changed from one entry to another, matched by document.
struct Change {
    enum Status { Same, Changed, Added, Gone };
    Status status = Same;
    QString document;
    File before;  // empty for Added
    File after;   // empty for Gone
};
// The documents of after in its order, then those only before had.
QVector<Change> compare(const Entry& before, const Entry& after);
QString statusText(Change::Status status);

// Within the caller's transaction on kakunin: deletes the rows of the
// project's history (the register deletes the project).
bool deleteRows(Storage& storage, qint64 bid, QString* error);
// After the project's rows are gone: its folder moves to 削除済み/ under
// a name that says which project it was; *keptAt gets the new place.
bool setAsideFolder(const QString& appDir, qint64 bid, const QString& projectName, QString* keptAt, QString* error);

}  // namespace SubmissionHistory
