// Data commands: moving the register between SQLite and a PostgreSQL
// server, backups, and the server password in the keyring. They work on
// the files themselves, so they run without the usual opened storage (a
// restore must work when a file is damaged or missing).
#include "CliCommands.h"

#include "Backup.h"
#include "DataTransfer.h"
#include "InstanceLock.h"
#include "Keyring.h"
#include "Storage.h"
#include "WriteLock.h"

#include <QDir>
#include <QFileInfo>

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

struct ServerOptions {
    QString host;
    int port = 0;
    QString database;
    QString user;
};

// Takes "--host H" style options out of args; false on a malformed one.
bool takeServerOptions(QStringList* args, ServerOptions* o, QString* error)
{
    QStringList rest;
    for (int i = 0; i < args->size(); ++i) {
        const QString& a = (*args)[i];
        QString* target = nullptr;
        if (a == QLatin1String("--host"))
            target = &o->host;
        else if (a == QLatin1String("--database"))
            target = &o->database;
        else if (a == QLatin1String("--user"))
            target = &o->user;
        if (target || a == QLatin1String("--port")) {
            if (i + 1 >= args->size()) {
                *error = QStringLiteral("%1 の後に値を指定してください。").arg(a);
                return false;
            }
            const QString value = (*args)[++i];
            if (target) {
                *target = value;
            } else {
                bool ok = false;
                o->port = value.toInt(&ok);
                if (!ok || o->port <= 0 || o->port > 65535) {
                    *error = QStringLiteral("--port には 1〜65535 の番号を指定してください。");
                    return false;
                }
            }
            continue;
        }
        rest << a;
    }
    *args = rest;
    return true;
}

// The server: the application directory's database.ini, then the options.
bool serverConfig(const QString& appDir, const ServerOptions& o, StorageConfig* out, QString* error)
{
    StorageConfig c;
    if (!StorageConfig::fromAppDir(appDir, &c, error))
        return false;
    if (c.engine != StorageConfig::Engine::PostgreSQL) {
        c.engine = StorageConfig::Engine::PostgreSQL;
        c.host = QStringLiteral("localhost");
        c.port = 5432;
    }
    if (!o.host.isEmpty())
        c.host = o.host;
    if (o.port > 0)
        c.port = o.port;
    if (!o.database.isEmpty())
        c.database = o.database;
    if (!o.user.isEmpty())
        c.user = o.user;
    if (c.database.isEmpty()) {
        *error = QStringLiteral("PostgreSQL のデータベースが指定されていません。"
                                "database.ini に [postgresql] を書くか、--database を指定してください。");
        return false;
    }
    *out = c;
    return true;
}

int migrate(QStringList args, const QString& appDir, QTextStream& out, QTextStream& err)
{
    ServerOptions server;
    QString error;
    if (!takeServerOptions(&args, &server, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    const QString direction = args.value(0);
    StorageConfig pg;
    DataTransfer transfer([&](const QString& line) { out << line << Qt::endl; });
    auto summary = [&] {
        qint64 rows = 0;
        for (const DataTransfer::TableResult& r : transfer.results()) {
            out << QStringLiteral("%1.%2\t%3 行\t%4").arg(dbBaseName(r.db), r.table).arg(r.rows).arg(r.digest) << '\n';
            rows += r.rows;
        }
        out << QStringLiteral("%1 テーブル、%2 行を移し、行数とチェックサムが一致しました。")
                   .arg(transfer.results().size())
                   .arg(rows)
            << Qt::endl;
    };

    if (direction == QLatin1String("--to-postgres") && args.size() == 1) {
        if (!serverConfig(appDir, server, &pg, &error)) {
            err << error << Qt::endl;
            return 2;
        }
        // Whatever the program saved after the copy would stay behind in the files.
        InstanceLock lock(appDir);
        if (!lock.acquire()) {
            err << QStringLiteral("ShinseiDesk がこのアプリケーションフォルダで起動中です。プログラムを終了してから移行してください。")
                << Qt::endl;
            return 1;
        }
        // Nobody may write to the files being copied nor to the server's register being replaced.
        StorageConfig files;
        files.appDir = appDir;
        WriteLock source(files, QStringLiteral("migrate"));
        WriteLock target(pg, QStringLiteral("migrate"));
        if (!source.acquire(WriteLock::Mode::Exclusive, 0, &error) || !target.acquire(WriteLock::Mode::Exclusive, 0, &error)) {
            err << error << Qt::endl;
            return 1;
        }
        if (!transfer.toPostgres(appDir, pg, replace)) {
            err << transfer.errorString() << Qt::endl;
            return 1;
        }
        summary();
        if (!QFileInfo::exists(QDir(appDir).filePath(QStringLiteral("database.ini"))))
            out << QStringLiteral("このフォルダに database.ini（[postgresql] host/port/database/user）を置くと、"
                                  "プログラムはサーバーのデータを使います。")
                << Qt::endl;
        return 0;
    }
    if (direction == QLatin1String("--to-sqlite") && args.size() == 2) {
        if (!serverConfig(appDir, server, &pg, &error)) {
            err << error << Qt::endl;
            return 2;
        }
        if (!transfer.toSqlite(pg, args[1])) {
            err << transfer.errorString() << Qt::endl;
            return 1;
        }
        summary();
        return 0;
    }
    err << QStringLiteral("使い方: migrate --to-postgres [--host H] [--port P] [--database D] [--user U] [--replace]\n"
                          "        migrate --to-sqlite DIR [--host H] [--port P] [--database D] [--user U]")
        << Qt::endl;
    return 2;
}

int backupOrRestore(bool backup, const QStringList& args, const QString& appDir, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1) {
        err << (backup ? QStringLiteral("使い方: backup FILE") : QStringLiteral("使い方: restore FILE")) << Qt::endl;
        return 2;
    }
    if (backup && refusedAsOwnFile(args[0], appDir, err))
        return 2;
    StorageConfig cfg;
    QString error;
    if (!StorageConfig::fromAppDir(appDir, &cfg, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    QStringList report;
    const bool ok = backup ? Backup::create(cfg, args[0], &report, &error) : Backup::restore(cfg, args[0], &report, &error);
    if (!ok) {
        err << error << Qt::endl;
        return 1;
    }
    for (const QString& line : report)
        out << line << '\n';
    out << (backup ? QStringLiteral("バックアップしました: %1") : QStringLiteral("復元しました: %1"))
               .arg(QFileInfo(args[0]).absoluteFilePath())
        << Qt::endl;
    return 0;
}

// One line from standard input, not echoed when it is a terminal.
QString readSecretLine(QTextStream& out)
{
    const bool tty = ::isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (tty) {
        out << QStringLiteral("パスワード: ") << Qt::flush;
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (tty) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        out << Qt::endl;
    }
    return QString::fromStdString(line);
}

int dbPassword(QStringList args, const QString& appDir, QTextStream& out, QTextStream& err)
{
    ServerOptions server;
    QString error;
    if (!takeServerOptions(&args, &server, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    const bool remove = args.removeAll(QStringLiteral("--delete")) > 0;
    StorageConfig pg;
    if (!args.isEmpty() || !serverConfig(appDir, server, &pg, &error)) {
        err << (error.isEmpty() ? QStringLiteral("使い方: db-password [--delete]（パスワードは標準入力から読みます）") : error)
            << Qt::endl;
        return 2;
    }
    if (remove) {
        if (!Keyring::deletePassword(pg.keyringKey(), &error)) {
            err << error << Qt::endl;
            return 1;
        }
        out << QStringLiteral("キーリングから削除しました: %1").arg(pg.keyringKey()) << Qt::endl;
        return 0;
    }
    const QString password = readSecretLine(out);
    if (password.isEmpty()) {
        err << QStringLiteral("パスワードが空です。") << Qt::endl;
        return 2;
    }
    if (!Keyring::writePassword(pg.keyringKey(), password, &error)) {
        err << error << Qt::endl << QStringLiteral("代わりに ~/.pgpass に書くこともできます。") << Qt::endl;
        return 1;
    }
    out << QStringLiteral("キーリングに登録しました: %1").arg(pg.keyringKey()) << Qt::endl;
    return 0;
}

}  // namespace

int cliData(const QString& command, const QStringList& args, const QString& appDir, QTextStream& out, QTextStream& err)
{
    if (command == QLatin1String("migrate"))
        return migrate(args, appDir, out, err);
    if (command == QLatin1String("backup"))
        return backupOrRestore(true, args, appDir, out, err);
    if (command == QLatin1String("restore"))
        return backupOrRestore(false, args, appDir, out, err);
    if (command == QLatin1String("db-password"))
        return dbPassword(args, appDir, out, err);
    return -1;
}
