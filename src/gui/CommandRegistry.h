#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <utility>

class MenuForm;

// What the other parts of the program hook onto the main window: the window
// a command key opens, and the handlers of the output drop-down and of the
// schedule's mail message. The executable fills one at start and hands it
// to the main window, so that the window needs to know none of the modules
// above it; a test fills its own with just what it exercises.
class CommandRegistry {
public:
    // An entry-window key still runs the project checks before its opener.
    using WindowOpener = std::function<void(MenuForm&)>;
    // The document output of the drop-down: sheet 0–11 of the application
    // workbook, or -1 for the sick-house workbook. Called with the project
    // freshly read back from the database.
    using OutputHandler = std::function<void(MenuForm&, int sheet)>;
    // "PDF出力" of the drop-down: sheet 0–11, or -1 for every printed sheet
    // of the workbook. Called like the output handler; the handler asks
    // where to save. Without a handler the PDF items are not shown.
    using PdfHandler = std::function<void(MenuForm&, int sheet, const QString& documentName)>;
    // "メール伝言" of the schedule tab: opens a message with this subject and body.
    using MailHandler = std::function<void(MenuForm&, const QString& subject, const QString& body)>;

    void registerOpener(const QString& key, WindowOpener opener) { m_openers.insert(key, std::move(opener)); }
    WindowOpener opener(const QString& key) const { return m_openers.value(key); }

    void setOutputHandler(OutputHandler handler) { m_output = std::move(handler); }
    const OutputHandler& outputHandler() const { return m_output; }
    void setPdfHandler(PdfHandler handler) { m_pdf = std::move(handler); }
    const PdfHandler& pdfHandler() const { return m_pdf; }
    void setMailHandler(MailHandler handler) { m_mail = std::move(handler); }
    const MailHandler& mailHandler() const { return m_mail; }

private:
    QHash<QString, WindowOpener> m_openers;
    OutputHandler m_output;
    PdfHandler m_pdf;
    MailHandler m_mail;
};
