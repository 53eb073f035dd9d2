#pragma once

#include "EntryForm.h"

// 委任状: the matters the power of attorney covers (any number of them), on
// the project's ININ row. OK closes at once; only Apply saves.
class P_IninForm : public EntryForm {
    Q_OBJECT
public:
    P_IninForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();
};
