#pragma once

#include <QString>

// How the program asks the user. Logic talks to this interface; the
// windows install a message-box implementation, tests a scripted one, and
// the command-line tool one that writes to stderr.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum Button { Ok = 0x1, Yes = 0x2, No = 0x4, Cancel = 0x8 };
    using Buttons = int;

    struct Message {
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Ok;
        Button defaultButton = Ok;
    };

    virtual ~Prompter() = default;
    // Shows the message and returns the button the user chose. A closed box
    // answers with Cancel when it has one, otherwise No, otherwise Ok.
    virtual Button show(const Message& message) = 0;

    // The prompter in use; never null (stderr until something else is set).
    static Prompter& current();
    static void setCurrent(Prompter* prompter);
};

// The fixed titles of the program's message boxes.
namespace PromptTitle {
inline const QString Warning = QStringLiteral("警告");
inline const QString Confirm = QStringLiteral("確認画面");
inline const QString SaveConfirm = QStringLiteral("登録確認");
inline const QString CloseConfirm = QStringLiteral("終了確認画面");
inline const QString Error = QStringLiteral("エラー");
inline const QString ConcurrentEdit = QStringLiteral("更新警告");
inline const QString MissingEntry = QStringLiteral("登録エラー警告");
inline const QString Print = QStringLiteral("印刷警告");
}  // namespace PromptTitle

// Writes every message to stderr and answers with the default button.
class StderrPrompter : public Prompter {
public:
    Button show(const Message& message) override;
};
