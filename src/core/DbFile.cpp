#include "DbFile.h"

QString dbBaseName(DbFile db)
{
    switch (db) {
    case DbFile::Kakunin: return QStringLiteral("kakunin");
    case DbFile::MasterData: return QStringLiteral("masterdata");
    case DbFile::SaleData: return QStringLiteral("saledata");
    case DbFile::OptionData: return QStringLiteral("optiondata");
    case DbFile::AnotherOption: return QStringLiteral("anotheroption");
    case DbFile::PostDb: return QStringLiteral("postdb");
    case DbFile::MailData: return QStringLiteral("maildata");
    }
    return {};
}

QString dbFileName(DbFile db)
{
    return dbBaseName(db) + QStringLiteral(".db");
}
