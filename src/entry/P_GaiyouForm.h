#pragma once

#include "EntryForm.h"

class RowsEditor;

// 建築主等の概要: the people of the application (designer and office,
// supervisor, agent, contractor, the person consulted on equipment), the
// drawings they answer for and the reviews declared, on the project's
// GAIYOU row.
class P_GaiyouForm : public EntryForm {
    Q_OBJECT
public:
    P_GaiyouForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();

    // 設計者のコピー: the designer into the supervisor or the agent.
    void copyDesignerToSupervisor();
    void copyDesignerToAgent();

    // The reasons offered for 提出不要 of the energy-performance plan: the
    // 号 of 建築物のエネルギー消費性能の向上等に関する法律施行規則 第2条第1項.
    static QStringList energyExemptions();
    // その他の設計者等: the lists of further designers (Kubun 1),
    // supervisors (2) and persons consulted on the equipment (3).
    RowsEditor* furtherPersons(int kubun) const { return m_persons.value(kubun - 1); }
    // 建築士マスタ: the architect master as a picker, into the chosen row of a list.
    void pickArchitect(int kubun);

protected:
    void fieldChanged(const QString& column) override;

private:
    void settleExemptionReason();
    void addFurtherPersonsTab();

    QVector<RowsEditor*> m_persons;
};
