#pragma once

#include "ProjectData.h"
#include "Prompter.h"
#include "Storage.h"

#include <QQueue>
#include <QTemporaryDir>
#include <QVector>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

// Answers prompts from a queue and remembers what was shown. With an empty
// queue it answers with the message's default button.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter() { Prompter::setCurrent(this); }
    ~ScriptedPrompter() override { Prompter::setCurrent(nullptr); }

    Button show(const Message& message) override
    {
        shown.append(message);
        return answers.isEmpty() ? message.defaultButton : answers.dequeue();
    }
    // Texts of the messages shown so far.
    QStringList texts() const;
    void clear() { shown.clear(); }

    QQueue<Button> answers;
    QVector<Message> shown;
};

// A temporary application directory with every database made, set as the
// program's application directory and default storage. When
// SHINSEIDESK_TEST_PG holds a server connection ("host=127.0.0.1
// port=55432 user=sdtest"), each one gets a fresh PostgreSQL database of
// its own and a database.ini that points at it, so every test runs on the
// shared-office engine as well.
class TempAppDir {
public:
    TempAppDir();
    ~TempAppDir();

    static bool usingPostgres();
    // "SQLite" or "PostgreSQL", for the reports of tests.
    static QString engineName();
    // A fresh, empty database on the test server (PostgreSQL runs only);
    // dropped with this object. Its connection goes into *config.
    bool makeEmptyServerDatabase(StorageConfig* config, QString* error);

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    Storage& storage() { return *m_storage; }
    // A second, independent connection set on the same files: another
    // computer of the office.
    std::unique_ptr<Storage> openAnother() const;
    bool isValid() const { return m_storage != nullptr; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Storage> m_storage;
    QStringList m_serverDatabases;
};

// Another program's write in progress on one database: SQLite's write
// lock, or on PostgreSQL a lock on every table of the schema that lets
// readers through (as SQLite's WAL does) but makes writers wait.
class WriteLockHolder {
public:
    WriteLockHolder(Storage& other, DbFile db);
    ~WriteLockHolder() { release(); }
    WriteLockHolder(const WriteLockHolder&) = delete;
    WriteLockHolder& operator=(const WriteLockHolder&) = delete;
    bool isHeld() const { return m_held; }
    const QString& errorString() const { return m_error; }
    void release();

private:
    Storage& m_storage;
    DbFile m_db;
    bool m_held = false;
    QString m_error;
};

// Makes the connection of a storage to one database refuse every write
// (SQLite: query_only; PostgreSQL: read-only transactions), or allow them again.
bool setReadOnly(Storage& storage, DbFile db, bool readOnly, QString* error);

// A program run to its end as a user runs it from a shell: exit code (-1
// when it crashed or did not finish in time) and both output streams.
struct ProcessRun {
    int code = -1;
    QString out;
    QString err;
};
ProcessRun runProcess(const QString& program, const QStringList& args, int timeoutMs = 300000);

// A new customer folder with the given name; its id.
qint64 addFolder(Storage& s, const QString& name);

// Several columns of one record at once, as a form's row holds them.
void put(RowValues& row, std::initializer_list<std::pair<const char*, QVariant>> values);

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QTimer>

// Runs f once the next modal window is open: tests drive dialogs the way a
// user would, inside the dialog's own event loop.
inline void whenModal(std::function<void(QWidget*)> f)
{
    QTimer::singleShot(0, [f] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            qFatal("no modal window opened");
        f(w);
    });
}
#endif

// A file's whole content, and a file written whole (replacing any): the
// tests' damaged archives, foreign files and earlier outputs.
QByteArray readTestFile(const QString& path);
bool writeTestFile(const QString& path, const QByteArray& bytes);
