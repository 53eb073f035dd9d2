#pragma once

#include <QDate>
#include <QString>

// Small routines that many windows share.
namespace common {

// "確認画面", Yes/No with No preselected: 0 when the answer is Yes, 1 otherwise.
int ConfirmBox(const QString& message);
// Informs with the caller's title; the answer is not used.
void ConfirmBoxTitled(const QString& message, const QString& title);
// Informs under the title "警告".
void WarningBox(const QString& message);
// Reports a failed operation under the title "エラー".
void ErrorBox(const QString& message);

// Every character from '0' to '9' in order; full-width digits are dropped.
QString DigitsOnly(const QString& text);

int DaysInMonth(int year, int month);

// True when the file exists and another program holds it open: a lock file
// of LibreOffice or Excel lies beside it, or it cannot be opened for writing.
// An empty path or a missing file is not in use. Never reports an error.
bool FileInUse(const QString& path);

}  // namespace common
