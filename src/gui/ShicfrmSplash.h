#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QRadioButton;

// The choice window of the sick-house workbook: open a copy saved earlier
// or make a new one. Its result is a file path, the empty text (make a new
// copy) or "NG" (closed without a choice).
class ShicfrmSplash : public QDialog {
    Q_OBJECT
public:
    static const QString kCancelled;  // "NG"

    // folder: where the saved copies lie (the file dialog opens there).
    explicit ShicfrmSplash(const QString& folder, QWidget* parent = nullptr);

    // Picks a saved copy; an empty text when the user cancels. The file
    // dialog by default; tests answer instead.
    using FileChooser = std::function<QString(QWidget* parent, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    QString result() const { return m_result; }

    // Shows the window modally and returns its result.
    static QString choose(QWidget* parent, const QString& folder);

    QRadioButton* openOption() const { return m_open; }
    QRadioButton* newOption() const { return m_new; }
    QPushButton* decideButton() const { return m_decide; }
    QPushButton* closeButton() const { return m_close; }

    // "決定": with "保存ファイルの呼び出し" the file dialog first; cancelling
    // it leaves the window open.
    void decide();

protected:
    void reject() override;

private:
    QString m_folder;
    FileChooser m_chooser;
    QString m_result;
    QRadioButton* m_open = nullptr;
    QRadioButton* m_new = nullptr;
    QPushButton* m_decide = nullptr;
    QPushButton* m_close = nullptr;
};
