#pragma once

#include "ProjectData.h"
#include "Prompter.h"
#include "Storage.h"

#include <QDateTime>
#include <QHash>
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

// One column of the row with this ID, as the table holds it.
QVariant stored(Storage& s, DbFile db, const QString& table, qint64 id, const char* column);
// Compares several columns of one row, naming the column on a mismatch.
void expectStored(Storage& s, DbFile db, const char* table, qint64 id,
                  std::initializer_list<std::pair<const char*, QString>> want);
// Writes a file of the given bytes into dir and returns its path.
QString writeFile(const QString& dir, const QString& name, const QByteArray& bytes);

#ifdef QT_WIDGETS_LIB
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// A window's control by its name; a missing one ends the run, named.
template <class T = QLineEdit>
T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

inline void clickButton(QWidget& w, const char* name) { child<QPushButton>(w, name)->click(); }

// The texts of one column of a list or tree, top to bottom.
inline QStringList columnTexts(const QAbstractItemView* view, int column = 0)
{
    QStringList out;
    const QAbstractItemModel* m = view->model();
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->index(i, column).data().toString();
    return out;
}

// Shows a window and waits until it has the keyboard, as a user finds it.
inline bool showAndWait(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}
#endif

#if __has_include("MenuForm.h")
#include "CommandRegistry.h"
#include "MenuForm.h"

#include <type_traits>

// The main window on a fresh office with the windows `hook` registers,
// shown, prompts answered from a script; `withProject` starts it with one
// new project selected.
struct Desk {
    using Hook = std::function<void(Storage&, CommandRegistry&)>;
    explicit Desk(bool withProject = true) : Desk(Hook(), withProject) {}
    // Any callable taking (Storage&, CommandRegistry&); a template, so that
    // a lambda is never taken for the bool.
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, bool>>>
    explicit Desk(F&& hook, bool withProject = true) : form(hooked(Hook(std::forward<F>(hook))), commands)
    {
        form.show();
        if (withProject)
            form.newProject();
    }
    TempAppDir dir;
    ScriptedPrompter prompter;
    CommandRegistry commands;
    MenuForm form;

private:
    Storage& hooked(const Hook& hook)
    {
        if (hook)
            hook(dir.storage(), commands);
        return dir.storage();
    }
};
#endif

#ifdef QT_WIDGETS_LIB
#include <QDropEvent>
#include <QMimeData>

// One step of a left-button drag of `mime` over target: DragEnter,
// DragMove or Drop at `at`; whether the target took it.
inline bool dragStep(QWidget* target, QEvent::Type step, const QPoint& at, const QMimeData& mime)
{
    std::unique_ptr<QDropEvent> e;
    if (step == QEvent::DragEnter)
        e = std::make_unique<QDragEnterEvent>(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    else if (step == QEvent::DragMove)
        e = std::make_unique<QDragMoveEvent>(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    else
        e = std::make_unique<QDropEvent>(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, e.get());
    return e->isAccepted();
}
#endif

// A new project as the windows make it (every row, its photo folder);
// one that cannot be made ends the run with the register's reason.
qint64 newProject(Storage& s, qint64 folder = 1, const QDateTime& when = QDateTime::currentDateTime());
// How many rows such a project has in each of its tables.
inline const QHash<QString, int> kNewProjectRows{{"GAIYOU", 1},  {"BOUKA", 1},    {"GYOUMU", 1},  {"ININ", 1},
                                                 {"KAIBETU", 18}, {"KANRYOU", 1},  {"KOUJI", 1},   {"SCHEDULE", 1},
                                                 {"SHIKICHI", 1}, {"TATEMONOBETU", 3}};

// A file's whole contents; a file that cannot be read or written ends the
// run, since the test would only fail later for a reason it does not say.
QByteArray readBytes(const QString& path);
// Returns path, so that a file can be made where it is handed on.
QString writeBytes(const QString& path, const QByteArray& bytes);

// Sets columns of every row of table whose column key holds value, as
// another program or an earlier release left them.
void setColumns(Storage& s, DbFile db, const char* table, const char* key, const QVariant& value,
                std::initializer_list<std::pair<const char*, QVariant>> columns);
