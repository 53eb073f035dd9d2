#pragma once

#include "EntryForm.h"

// 防火対象物に関する項目: the data of a fire-prevention object on the
// project's BOUKA row. OK closes at once; only Apply saves.
class P_BoukaForm : public EntryForm {
    Q_OBJECT
public:
    P_BoukaForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();
};
