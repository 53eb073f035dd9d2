#pragma once

#include "EntryForm.h"

// 建築主等の概要: the people of the application (designer and office,
// supervisor, agent, contractor, the person consulted on equipment) on the
// project's GAIYOU row.
class P_GaiyouForm : public EntryForm {
    Q_OBJECT
public:
    P_GaiyouForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();

    // 設計者のコピー: the designer into the supervisor or the agent.
    void copyDesignerToSupervisor();
    void copyDesignerToAgent();
};
