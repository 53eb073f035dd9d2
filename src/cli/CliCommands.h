#pragma once

#include <QStringList>
#include <QTextStream>

class Storage;
struct ProjectData;

// The batch tool's commands on the same core code as the windows.
// Returns the process exit code: 0 success, 1 failure, 2 usage error.
int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err);

// What a command gets: its own arguments (after the command words), the
// opened storage of the application directory, and the two streams.
struct CliContext {
    QStringList args;
    Storage& storage;
    QTextStream& out;
    QTextStream& err;
};

// Writes how a command group is used (UTF-8 text) on err; returns the exit
// code 2 of a call the group does not understand.
int usageError(CliContext& c, const char* usage);

// True, after telling why on err, when an output path names one of the
// program's own files in appDir (a database, a template, a settings
// file), through links and ".." as well; the command then exits with 2.
bool refusedAsOwnFile(const QString& path, const QString& appDir, QTextStream& err);

// The project a command names by its B_ID: false, after telling why on
// err, when text is not a positive whole number.
bool parseProjectId(const QString& text, qint64* bid, QTextStream& err);
// The same, then that project loaded: false after telling why on err.
bool loadProject(CliContext& c, const QString& text, qint64* bid, ProjectData* project);

// Command groups, each in its own file. They return exit codes as runCli.
int cliProject(CliContext& c);
int cliPostal(CliContext& c);
int cliOutput(CliContext& c);
int cliCustomers(CliContext& c);
int cliCheck(CliContext& c);
int cliSubmit(CliContext& c);
// ifc compare|apply; ifc show needs no application directory.
int cliIfc(CliContext& c);
int cliIfcShow(const QStringList& args, QTextStream& out, QTextStream& err);
int cliExportItems(CliContext& c);
int cliHistory(CliContext& c);

// A value on one output line: backslash, line breaks, tabs and control
// characters written as escapes that `project set` reads back.
QString escapedValue(const QString& value);

// Data commands (migrate, backup, restore, db-password) work on the files
// and the server themselves, before any storage is opened. -1 when command
// is not one of them.
int cliData(const QString& command, const QStringList& args, const QString& appDir, QTextStream& out, QTextStream& err);

// forms: one line per document of the application directory's template:
// number, name, official form, edition.
int cliForms(QTextStream& out, QTextStream& err);
// Brings the application directory's template copy up to the one shipped
// beside the program, saying so on err; run with the schema upgrade.
int cliRefreshTemplate(const QString& appDir, Storage& storage, QTextStream& err);
