#pragma once

#include <QString>
#include <QVector>

class Storage;

struct FolderItem {
    qint64 id = 0;   // row ID
    qint64 fid = 0;  // folder key (F_ID)
    QString name;
};

// The folders of the project register (KentikuNusiFlder) or of the
// customer master (UserFolder): same layout, same rules.
class FolderStore {
public:
    enum class Kind { Projects, Customers };
    static inline const QString kDuplicateMessage = QStringLiteral("同じフォルダ名が存在します、名前を変えてください。");

    FolderStore(Storage& storage, Kind kind);

    QString table() const;
    // Folders in row order (as the main window lists them).
    bool list(QVector<FolderItem>* out, QString* error) const;
    // Folders by key, lowest first (as the folder window lists them).
    bool listByKey(QVector<FolderItem>* out, QString* error) const;
    // A new folder "<新規>" with the next key; returns its row ID.
    bool add(qint64* newId, QString* error);
    // Refuses a name that any folder already has (the folder's own current
    // name included) with the duplicate message.
    bool rename(qint64 id, const QString& name, QString* error);
    bool remove(qint64 id, QString* error);

private:
    Storage& m_storage;
    Kind m_kind;
};
