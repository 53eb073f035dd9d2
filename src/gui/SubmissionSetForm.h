#pragma once

#include "ProjectData.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class CommandRegistry;
class QListWidget;
class Storage;

// 提出書類一式: the kind of submission proposes its documents; the user
// ticks and orders them, adds the drawing and calculation PDFs and makes
// the set (SubmissionSet) into a folder.
class SubmissionSetForm : public QDialog {
    Q_OBJECT
public:
    // Every set made is kept in the project's submission history on storage.
    SubmissionSetForm(Storage& storage, const ProjectData& project, QWidget* parent = nullptr);

    // Hooks the window onto the main window's "SubmitBtn" command.
    static void registerOpener(CommandRegistry& commands);

private:
    void proposeDocuments();
    void moveDocument(int by);
    void addDrawings();
    void make();

    Storage& m_storage;
    ProjectData m_project;
    QComboBox* m_kind;
    QListWidget* m_documents;
    QListWidget* m_drawings;
    QLineEdit* m_folder;
    QCheckBox* m_items;
    QLineEdit* m_note;
};
