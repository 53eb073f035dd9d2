#pragma once

#include "MasterForm.h"
#include "SignatureStore.h"

class QLineEdit;
class QPlainTextEdit;

// The signature window "署名登録": named text blocks (signatures and
// mail-magazine texts) kept for the composer. Opened from the main window
// to edit them, and by the composer to hand one over ("転送").
class SignForm : public MasterForm {
    Q_OBJECT
public:
    explicit SignForm(Storage& storage, QWidget* parent = nullptr);

    // Opens the window for picking; true with the chosen text when one was
    // handed over.
    static bool pick(Storage& storage, QWidget* parent, QString* text);

    // The text handed over by the last transfer.
    QString chosenText() const { return m_chosen; }
    const QVector<Signature>& signatures() const { return m_rows; }

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
    bool canTransfer() const override;

private:

    QVector<Signature> m_rows;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QString m_chosen;
    QString m_error;
};
