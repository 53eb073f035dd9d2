#pragma once

#include "RowMasterForm.h"
#include "SignatureStore.h"

class QLineEdit;
class QPlainTextEdit;

// The signature window "署名登録": named text blocks (signatures and
// mail-magazine texts) kept for the composer. Opened from the main window
// to edit them, and by the composer to hand one over ("転送").
class SignForm : public StoreMasterForm<Signature, SignatureStore> {
    Q_OBJECT
public:
    explicit SignForm(Storage& storage, QWidget* parent = nullptr);

    // Opens the window for picking; true with the chosen text when one was
    // handed over.
    static bool pick(Storage& storage, QWidget* parent, QString* text);

    // The text handed over by the last transfer.
    QString chosenText() const { return m_chosen; }

protected:
    QStringList rowTexts(const Signature& s) const override;
    void showRow(const Signature& s) override;
    void clearFields() override;
    bool writeRecord(qint64 id, bool* found) override;
    void fillPick(MasterPickResult& result, bool onlyShown) override;
    bool canTransfer() const override;

private:
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_body = nullptr;
    QString m_chosen;
};
