#pragma once

#include "MasterForm.h"

class QCheckBox;

// The architect master "業者登録": architects and their offices with the
// five role flags that decide in which person lists of the entry windows an
// entry is offered. The entry windows open it as a picker.
class M_ArchitectForm : public MasterForm {
    Q_OBJECT
public:
    // designersOnly: the first listing shows only the entries ticked 建築士
    // or 設計者 (a picker for a designer); after an Apply every entry shows.
    explicit M_ArchitectForm(Storage& storage, QWidget* parent = nullptr, bool designersOnly = false);

    const QVector<MasterRow>& rows() const { return m_rows; }

protected:
    void listRecords() override;
    void showRecord(qint64 id) override;
    void clearFields() override;
    qint64 createRecord() override;
    bool writeRecord(qint64 id, bool* found) override;
    bool removeRecords(const QVector<qint64>& ids) override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;
    QStringList listTextsOf(qint64 id) override;
    QString storageError() const override { return m_error; }

private:

    QVector<MasterRow> m_rows;  // the listed entries, in list order
    bool m_designersOnly;
    QVector<QCheckBox*> m_roles;
    QVector<QWidget*> m_frames;
    QString m_error;
};
