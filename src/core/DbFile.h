#pragma once

#include <QString>
#include <array>

// The seven databases of the program. On SQLite each is a file in the
// application directory; on PostgreSQL each is a schema of one database.
enum class DbFile {
    Kakunin,        // project documents
    MasterData,     // masters and code lists
    SaleData,       // customers and their folders
    OptionData,     // options
    AnotherOption,  // record book, label layouts, main-screen settings
    PostDb,         // postal codes
    MailData,       // sent mail
};

inline constexpr std::array<DbFile, 7> allDbFiles{
    DbFile::Kakunin,    DbFile::MasterData, DbFile::SaleData, DbFile::OptionData,
    DbFile::AnotherOption, DbFile::PostDb,  DbFile::MailData,
};

// "kakunin", "masterdata", …: the schema name and the stem of the file name.
QString dbBaseName(DbFile db);
// "kakunin.db", …
QString dbFileName(DbFile db);
