#pragma once

#include "TableMasterForm.h"

class QCheckBox;

// The architect master "業者登録": architects and their offices with the
// five role flags that decide in which person lists of the entry windows an
// entry is offered. The entry windows open it as a picker.
class M_ArchitectForm : public TableMasterForm {
    Q_OBJECT
public:
    // designersOnly: the first listing shows only the entries ticked 建築士
    // or 設計者 (a picker for a designer); after an Apply every entry shows.
    explicit M_ArchitectForm(Storage& storage, QWidget* parent = nullptr, bool designersOnly = false);

protected:
    bool readRows(QVector<MasterRow>* rows, QString* error) override;
    qint64 createRecord() override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;

private:
    bool m_designersOnly;
    QVector<QCheckBox*> m_roles;
    QVector<QWidget*> m_frames;
};
