#include "CliCommands.h"

#include "AppDir.h"
#include "Storage.h"
#include "WriteLock.h"

#include <QCoreApplication>
#include <QDir>

namespace {

const char* const kUsage =
    "使い方: shinseidesk-cli [--appdir DIR] COMMAND [ARGS...]\n"
    "\n"
    "  --appdir DIR   アプリケーションフォルダ（既定: このプログラムのフォルダ）\n"
    "  --help         この説明を表示します\n"
    "\n"
    "COMMAND:\n"
    "  init           データベース・初期データ・マニュアルを DIR に作成します\n"
    "                 （既存のデータはそのまま残ります）\n"
    "  project new [--folder F_ID]        物件を新規作成し B_ID を表示します\n"
    "  project list                       B_ID, FLD, Kouji を一行ずつ表示します\n"
    "  project set B_ID TABLE [--row N] COLUMN=VALUE ...\n"
    "  project get B_ID TABLE [--row N] [COLUMN ...]\n"
    "  postal code TEXT                   郵便番号から住所を検索します\n"
    "  postal address TEXT                住所から郵便番号を検索します\n"
    "  postal import FILE [--all]         日本郵便の郵便番号データ (KEN_ALL.CSV) のうち、ファイルにある\n"
    "                                     都道府県の分を置き換えます（--all: 47都道府県そろったファイルで全国を置き換え）\n"
    "  migrate --to-postgres [--host H] [--port P] [--database D] [--user U] [--replace]\n"
    "                                     SQLite のデータを PostgreSQL サーバーへ移します（一つのトランザクション）\n"
    "  migrate --to-sqlite DIR [--host H] [--port P] [--database D] [--user U]\n"
    "                                     サーバーのデータを DIR の SQLite ファイルへ移します\n"
    "  backup FILE                        七つのデータベースを一つの zip ファイルに保存します\n"
    "  restore FILE                       バックアップから七つのデータベースをすべて復元します\n"
    "  db-password [--delete]             サーバーのパスワードをキーリングに登録します（標準入力から）\n"
    "  customers import FILE.csv [--folder F_ID] [--column N=項目 ...]\n"
    "                                     顧客を CSV ファイルから登録し、件数を表示します\n"
    "  customers export FILE.csv [--utf8] 全顧客を CSV に書き出します（既定は Shift_JIS）\n"
    "  output B_ID DOC --out FILE.xlsx [--pdf FILE.pdf]\n"
    "                                     帳票 DOC（0〜11 または「確認申請」などの名前）を出力します\n";

struct Options {
    QString appDir;
    QStringList rest;
    bool help = false;
};

bool parseOptions(const QStringList& args, Options* o, QString* error)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o->help = true;
        } else if (a == QLatin1String("--appdir")) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("--appdir の後にフォルダを指定してください。");
                return false;
            }
            o->appDir = args[++i];
        } else if (a.startsWith(QLatin1String("--appdir="))) {
            o->appDir = a.mid(9);
        } else {
            o->rest << a;
        }
    }
    return true;
}

int commandInit(const Options& o, QTextStream& out, QTextStream& err)
{
    StorageConfig cfg;
    QString error;
    if (!StorageConfig::fromAppDir(o.appDir, &cfg, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    QDir().mkpath(o.appDir);  // the lock file lives in the folder
    WriteLock lock(cfg, QStringLiteral("init"));
    if (!lock.acquire(WriteLock::Mode::Shared, WriteLock::kWriterWaitMs, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    Storage storage(cfg);
    if (!AppDir::initialize(storage, QCoreApplication::applicationDirPath(), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("初期化しました: %1").arg(cfg.describe()) << Qt::endl;
    return 0;
}

}  // namespace

int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Options o;
    QString error;
    if (!parseOptions(arguments, &o, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    if (o.help || o.rest.isEmpty()) {
        (o.help ? out : err) << QString::fromUtf8(kUsage);
        return o.help ? 0 : 2;
    }
    if (o.appDir.isEmpty())
        o.appDir = QCoreApplication::applicationDirPath();
    o.appDir = QDir(o.appDir).absolutePath();
    AppDir::set(o.appDir);

    const QString command = o.rest.takeFirst();
    if (command == QLatin1String("init"))
        return commandInit(o, out, err);
    if (const int code = cliData(command, o.rest, o.appDir, out, err); code >= 0)
        return code;

    using Handler = int (*)(CliContext&);
    Handler handler = nullptr;
    if (command == QLatin1String("project"))
        handler = cliProject;
    else if (command == QLatin1String("postal"))
        handler = cliPostal;
    else if (command == QLatin1String("output"))
        handler = cliOutput;
    else if (command == QLatin1String("customers"))
        handler = cliCustomers;
    if (handler) {
        StorageConfig cfg;
        if (!StorageConfig::fromAppDir(o.appDir, &cfg, &error)) {
            err << error << Qt::endl;
            return 1;
        }
        // Held until the command ends, so that no restore replaces the
        // register under it.
        WriteLock lock(cfg, (command + QLatin1Char(' ') + o.rest.value(0)).trimmed());
        if (!lock.acquire(WriteLock::Mode::Shared, WriteLock::kWriterWaitMs, &error)) {
            err << error << Qt::endl;
            return 1;
        }
        Storage storage(cfg);
        Storage::setDefaultStorage(&storage);
        // Commands work on an existing application directory; "init" makes one.
        QString probe;
        if (!storage.connection(DbFile::Kakunin, &probe).isValid()) {
            err << probe << Qt::endl
                << QStringLiteral("「shinseidesk-cli --appdir DIR init」でアプリケーションフォルダを作成してください。") << Qt::endl;
            return 1;
        }
        CliContext ctx{o.rest, storage, out, err};
        return handler(ctx);
    }
    err << QStringLiteral("不明なコマンドです: %1\n「shinseidesk-cli --help」で使い方を表示します。").arg(command)
        << Qt::endl;
    return 2;
}
