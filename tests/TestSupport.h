#pragma once

#include "Prompter.h"
#include "Storage.h"

#include <QQueue>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

// Answers prompts from a queue and remembers what was shown. With an empty
// queue it answers with the message's default button.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter() { Prompter::setCurrent(this); }
    ~ScriptedPrompter() override { Prompter::setCurrent(nullptr); }

    Button show(const Message& message) override
    {
        shown.append(message);
        return answers.isEmpty() ? message.defaultButton : answers.dequeue();
    }
    // Texts of the messages shown so far.
    QStringList texts() const;
    void clear() { shown.clear(); }

    QQueue<Button> answers;
    QVector<Message> shown;
};

// A temporary application directory with every database made, set as the
// program's application directory and default storage.
class TempAppDir {
public:
    TempAppDir();
    ~TempAppDir();

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    Storage& storage() { return *m_storage; }
    // A second, independent connection set on the same files: another
    // computer of the office.
    std::unique_ptr<Storage> openAnother() const;
    bool isValid() const { return m_storage != nullptr; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Storage> m_storage;
};
