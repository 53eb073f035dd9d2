#pragma once

#include "EntryForm.h"

class RowsEditor;

// 【検査を申請する建築物等】: the intermediate and completion inspection
// application on the project's KANRYOU row. Only buildings can be applied
// for: the other objects are shown as stored but cannot be chosen.
class P_KanryouForm : public EntryForm {
    Q_OBJECT
public:
    P_KanryouForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static FieldTable fieldTable();
    // The objects of the inspection, Shin1 to Shin6.
    static QStringList objects();
    // The parts that 工事監理の状況 reports on, in the form's order: a short
    // caption and the form's wording, separated by "|".
    static QStringList supervisionParts();
    // 工事監理の状況 is kept once per application: ChuKanri… for the
    // intermediate inspection, Kanri… for the completion one.
    static QStringList supervisionPrefixes();
    static QStringList supervisionStems();
    // One application's columns: part by part its five, then the remarks.
    static QStringList supervisionColumns(const QString& prefix);

    // The completion report usually starts from the intermediate one.
    void copyIntermediateSupervision();

    RowsEditor* supervisionConsulted() const { return m_consulted; }

private:
    RowsEditor* m_consulted = nullptr;
};
