#include "CliCommands.h"

#include "AppDir.h"
#include "ProjectData.h"
#include "Storage.h"
#include "WriteLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
    "  project get B_ID TABLE [--row N | --all] [COLUMN ...]\n"
    "                 --all: 物件のその表の行をすべて、空行で区切って表示します\n"
    "  project add B_ID TABLE COLUMN=VALUE ...\n"
    "                 SEKKEIKANRI（Kubun=1〜4 必須）・DOKURITSU（SU_NO=1〜3 必須）・SCHEDULE に\n"
    "                 行を追加し、その ID を表示します\n"
    "  project remove B_ID TABLE ROW_ID   その行を削除します（ROW_ID は add が表示した ID）\n"
    "                 get と list は値の中の \\ 改行 復帰 タブ 制御文字を \\\\ \\n \\r \\t \\xHH\n"
    "                 （行区切り U+2028/U+2029 は \\uHHHH）と書き出し、set は同じ書き方を読み取ります\n"
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
    "                                     帳票 DOC（0〜11 または「確認申請」などの名前）を出力します\n"
    "  submit B_ID --kind 種類 [--docs 書類,…] [--drawings 図面.pdf …] [--items] --out DIR\n"
    "                                     提出書類一式（確認申請・計画変更・中間検査・完了検査・工事届・除却届）を\n"
    "                                     書類ごとの PDF と、しおり付きの一つの PDF（図面を後ろに付けて）に出力します\n"
    "                 [--note 備考] 作った一式を物件の提出履歴に記録するときの備考（--no-history: 記録しない）\n"
    "  history B_ID [--json]              提出履歴（提出と受領書類、ファイルと SHA-256）を表示します\n"
    "  history attach B_ID FILE --kind 種類 [--date YYYY-MM-DD] [--note 備考]\n"
    "                                     受領書類（確認済証・中間検査合格証・検査済証・補正依頼・その他）を記録します\n"
    "  history diff B_ID 回A 回B [--kind 提出の種類]\n"
    "                                     二つの回の提出ファイルを書類ごとに比べます（同じ・変更・追加・なし）\n"
    "  export-items B_ID --kind 種類 [--format csv|json] [--utf8] [--out FILE]\n"
    "                                     種類の書類の印刷される項目を一行ずつ（書類・面・番号・項目・値）\n"
    "                                     出力します（ポータルへの入力用。--out がなければ標準出力に UTF-8 で、\n"
    "                                     CSV ファイルは --utf8 がなければ Shift_JIS）\n"
    "  check B_ID [--json]                申請前チェック: 確認申請の区分・数値・記載漏れを一行ずつ\n"
    "                                     （--json: JSON の配列）表示します。エラーがあれば終了コード 1\n"
    "  check --rules                      申請前チェックの規則の一覧（Markdown の表）を表示します\n"
    "  ifc show FILE.ifc [--json]         建築物の IFC モデルから階数・床面積・建築面積・高さ・構造・用途・\n"
    "                                     敷地面積・地名地番を、モデル内の出どころとともに表示します\n"
    "  ifc compare B_ID FILE.ifc [--json] 物件の値とモデルの値を項目ごとに比べます。相違があれば終了コード 1\n"
    "  ifc apply B_ID FILE.ifc --items 項目[,項目…]\n"
    "                                     モデルの値のうち指定した項目（compare の2列目）を物件に取り込みます\n"
    "  forms                              帳票ごとに番号・名前・様式・版を一行ずつ表示します\n"
    "                                     （アプリケーションフォルダのテンプレートから読みます）\n";

struct Options {
    QString appDir;
    QStringList rest;
    bool help = false;
    bool appDirGiven = false;
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
            o->appDirGiven = true;
        } else if (a.startsWith(QLatin1String("--appdir="))) {
            o->appDir = a.mid(9);
            o->appDirGiven = true;
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
    // Databases already there are checked before anything is added to them:
    // a damaged one is the office's to restore, not ours to build on.
    for (DbFile db : allDbFiles) {
        if (storage.isPostgres() || !QFileInfo::exists(storage.filePath(db)))
            continue;
        QStringList problems;
        if (!storage.checkIntegrity(db, &problems, &error)) {
            err << QStringLiteral("データベースファイル「%1」が壊れているため、初期化を中止しました。"
                                  "バックアップから復元してください（shinseidesk-cli restore FILE）。\n%2")
                       .arg(QDir::toNativeSeparators(storage.filePath(db)), error)
                << Qt::endl;
            return 1;
        }
    }
    if (!AppDir::initialize(storage, QCoreApplication::applicationDirPath(), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("初期化しました: %1").arg(cfg.describe()) << Qt::endl;
    return 0;
}

// Every command that works on the application directory's data brings it
// up to this program's version first, and stops if a newer program made it.
int upgradeOnStart(const QString& appDir, const QString& purpose, QTextStream& err)
{
    StorageConfig cfg;
    QString error;
    if (!StorageConfig::fromAppDir(appDir, &cfg, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    // An upgrade writes: no restore may swap the files under it. The lock
    // bears the command's name, which is what a user sees as its holder.
    WriteLock lock(cfg, purpose);
    if (!lock.acquire(WriteLock::Mode::Shared, WriteLock::kWriterWaitMs, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    Storage storage(cfg);
    if (!storage.upgrade(false, &error)) {
        err << error << Qt::endl;
        return 1;
    }
    // The office's template copy follows the program's forms, like its data.
    return cliRefreshTemplate(appDir, storage, err);
}


}  // namespace

bool parseProjectId(const QString& text, qint64* bid, QTextStream& err)
{
    bool ok = false;
    *bid = text.toLongLong(&ok);
    if (ok && *bid > 0)
        return true;
    err << QStringLiteral("B_ID は正の整数で指定してください。") << Qt::endl;
    return false;
}

bool loadProject(CliContext& c, const QString& text, qint64* bid, ProjectData* project)
{
    if (!parseProjectId(text, bid, c.err))
        return false;
    QString error;
    if (ProjectData::load(c.storage, *bid, project, &error))
        return true;
    c.err << error << Qt::endl;
    return false;
}

int usageError(CliContext& c, const char* usage)
{
    c.err << QString::fromUtf8(usage);
    return 2;
}

bool refusedAsOwnFile(const QString& path, const QString& appDir, QTextStream& err)
{
    if (!AppDir::isOwnFile(path, appDir))
        return false;
    err << AppDir::ownFileMessage(path) << Qt::endl;
    return true;
}

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
    // An empty --appdir is a script's unset variable, not a wish for the
    // program's own folder.
    if (o.appDirGiven && o.appDir.trimmed().isEmpty()) {
        err << QStringLiteral("--appdir に空のフォルダ名が指定されました。アプリケーションフォルダを指定してください"
                              "（このプログラムのフォルダを使うときは --appdir を省きます）。")
            << Qt::endl;
        return 2;
    }
    if (o.appDir.isEmpty())
        o.appDir = QCoreApplication::applicationDirPath();
    o.appDir = QDir(o.appDir).absolutePath();
    AppDir::set(o.appDir);

    const QString command = o.rest.takeFirst();
    if (command == QLatin1String("forms"))
        return cliForms(out, err);
    if (command == QLatin1String("ifc") && o.rest.value(0) == QLatin1String("show"))
        return cliIfcShow(o.rest.mid(1), out, err);
    if (command == QLatin1String("init"))
        return commandInit(o, out, err);
    // restore replaces the data (and upgrades the archive's copy itself);
    // db-password touches no database.
    static const QStringList kUpgrading{QStringLiteral("project"), QStringLiteral("postal"), QStringLiteral("output"),
                                        QStringLiteral("customers"), QStringLiteral("migrate"), QStringLiteral("backup"),
                                        QStringLiteral("check"), QStringLiteral("submit"), QStringLiteral("ifc"),
                                        QStringLiteral("export-items"), QStringLiteral("history")};
    if (kUpgrading.contains(command)) {
        if (const int code = upgradeOnStart(o.appDir, (command + QLatin1Char(' ') + o.rest.value(0)).trimmed(), err);
            code != 0)
            return code;
    }
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
    else if (command == QLatin1String("check"))
        handler = cliCheck;
    else if (command == QLatin1String("submit"))
        handler = cliSubmit;
    else if (command == QLatin1String("ifc"))
        handler = cliIfc;
    else if (command == QLatin1String("export-items"))
        handler = cliExportItems;
    else if (command == QLatin1String("history"))
        handler = cliHistory;
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
        // Commands work on an existing application directory; "init" makes one.
        QString probe;
        if (!storage.connection(DbFile::Kakunin, &probe).isValid()) {
            err << probe << Qt::endl;
            // Only a folder without the register needs init; any other
            // failure has its own cause, named above.
            if (!storage.isPostgres() && !QFileInfo::exists(storage.filePath(DbFile::Kakunin)))
                err << QStringLiteral("「shinseidesk-cli --appdir DIR init」でアプリケーションフォルダを作成してください。")
                    << Qt::endl;
            return 1;
        }
        CliContext ctx{o.rest, storage, out, err};
        return handler(ctx);
    }
    err << QStringLiteral("不明なコマンドです: %1\n「shinseidesk-cli --help」で使い方を表示します。").arg(command)
        << Qt::endl;
    return 2;
}
