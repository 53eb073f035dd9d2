#pragma once

#include "ProjectData.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class Storage;

// A project as the register lists it.
struct ProjectItem {
    qint64 id = 0;   // GAIYOU.ID
    qint64 bid = 0;
    QString kouji;   // 工事名
    QString buken;   // 建築物の名称
};

// The header fields edited in the main window, in their save order.
namespace ProjectHeader {
inline const QStringList fields{
    QStringLiteral("Kouji"), QStringLiteral("Buken"), QStringLiteral("Furi1"), QStringLiteral("Furi2"),
    QStringLiteral("Name7"), QStringLiteral("Post6"), QStringLiteral("Addr6"), QStringLiteral("Tel4"),
    QStringLiteral("Shu1"),  QStringLiteral("Shu2"),  QStringLiteral("Kin1"),
};
}

// The project register: creating, listing, saving the header of, moving,
// copying, finding and deleting projects.
class ProjectRegister {
public:
    static constexpr int kMaxFolders = 5;
    static inline const QString kNewName = QStringLiteral("<新規>");
    static inline const QString kFolderLimitMessage = QStringLiteral("これ以上コピー移動できません(MAX5件まで)");

    explicit ProjectRegister(Storage& storage);

    // Projects shown in a folder (in any of their five folder slots), in ID order.
    bool projectsInFolder(qint64 folderId, QVector<ProjectItem>* out, QString* error) const;

    // Creates a project in the folder with one row in every per-project
    // table and its photo folder, all or nothing. now names the photo folder.
    bool createProject(qint64 folderId, qint64* newBid, QString* error,
                       const QDateTime& now = QDateTime::currentDateTime());

    // Deletes every row of the projects in one transaction (their
    // submission history included), then their record books, removes their
    // photo folders when they are empty and moves their submission history
    // folders aside (*keptHistory gets where to).
    bool deleteProjects(const QVector<qint64>& bids, QString* error, QStringList* keptHistory = nullptr);

    // Moves projects from one folder to another: the slot that holds the
    // source folder (or the first slot) takes the target.
    bool moveProjects(const QVector<qint64>& bids, qint64 fromFolder, qint64 toFolder, QString* error);
    // Adds the target folder to the projects' folder slots. A project whose
    // five slots are full is left as it is and the limit message is shown.
    bool copyProjects(const QVector<qint64>& bids, qint64 toFolder, QString* error);
    // The folder slots of a project, first slot first (0 = empty).
    bool folderSlots(qint64 bid, QVector<qint64>* folderIds, QString* error) const;

    // Saves the header. A field whose stored value changed since it was
    // loaded (another computer saved meanwhile) keeps the stored value and
    // is reported under "更新警告"; the other fields are written. Then the
    // building count goes into SHIKICHI.Tou1.
    bool saveHeader(const ProjectData& loaded, const RowValues& edited, int buildingCount,
                    QStringList* keptFields, QString* error);

    // The first project (in ID order) whose telephone number, reduced to
    // digits, contains the digits searched for.
    bool findByPhone(const QString& phone, ProjectItem* found, qint64* folderId, QString* error) const;

    // "PHOTOFLD" + year + month + day + time without ':' (PHOTOFLD200541590503
    // at 9:05:03 on 15 April 2005).
    static QString photoFolderName(const QDateTime& when);

private:
    // Adds the projects whose record-book lines outlived the project.
    void orphanedRecordBooks(QVector<qint64>* bids) const;

    Storage& m_storage;
};
