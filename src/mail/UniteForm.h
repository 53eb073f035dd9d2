#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// The file window: collects the files to attach ("添付ファイルを選択"), or
// saves copies of a message's attachments elsewhere ("添付ファイルを展開して
// 保存"). A double click opens a listed file with the desktop's program.
class UniteForm : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Attach, Save };
    static inline const QString kAttachCaption = QStringLiteral("添付ファイルを選択");
    static inline const QString kSaveCaption = QStringLiteral("添付ファイルを展開して保存");
    static inline const QString kOverwriteQuestion = QStringLiteral("ファイルが存在します、上書きしてもよろしいですか？");
    static inline const QString kOverwriteTitle = QStringLiteral("上書き確認");

    explicit UniteForm(Mode mode, QWidget* parent = nullptr);

    // Attach: the files chosen so far; Save: the files to save.
    QStringList files() const { return m_files; }
    void setFiles(const QStringList& files);
    // What the file dialog hands back (tests call it directly).
    void addFiles(const QStringList& paths);
    // Takes the marked files off the list (the Delete key).
    void removeSelected();
    // Save mode: copies the marked files (all, when none is marked) into
    // the folder, asking before an existing file is replaced. Returns the
    // number of files written.
    int saveInto(const QString& folder);
    // True once "転送" handed the list over.
    bool transferred() const { return m_transferred; }

    QListWidget* fileList() const { return m_list; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseFiles();
    void transfer();
    void openItem(int row);

    Mode m_mode;
    QStringList m_files;
    QListWidget* m_list = nullptr;
    QPushButton* m_sendBtn = nullptr;
    bool m_transferred = false;
};
