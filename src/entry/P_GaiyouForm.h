#pragma once

#include "EntryForm.h"

class RowsEditor;

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

    // その他の設計者等: the lists of further designers (Kubun 1),
    // supervisors (2) and persons consulted on the equipment (3).
    RowsEditor* furtherPersons(int kubun) const { return m_persons.value(kubun - 1); }
    // 建築士マスタ: the architect master as a picker, into the chosen row of a list.
    void pickArchitect(int kubun);

private:
    void addFurtherPersonsTab();

    QVector<RowsEditor*> m_persons;
};
