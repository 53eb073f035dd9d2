#include "AppDir.h"
#include "CommandRegistry.h"
#include "DocumentOutput.h"
#include "EntryWindows.h"
#include "FormEditions.h"
#include "GuiCommon.h"
#include "IfcImportForm.h"
#include "Labels.h"
#include "MailWindows.h"
#include "Masters.h"
#include "MenuForm.h"
#include "MessageBoxPrompter.h"
#include "OptionWindows.h"
#include "Prompter.h"
#include "SingleInstance.h"
#include "ShinseiCheckForm.h"
#include "SinseiExcelOutRtn.h"
#include "SubmissionSetForm.h"
#include "Storage.h"
#include "WriteLock.h"

#include <QApplication>
#include <QMenu>

namespace {

// The output menu names, for each document, the official form and the
// edition that the template prints.
void showEditions(QWidget& window)
{
    QMenu* menu = window.findChild<QMenu*>(QStringLiteral("SalesMakeMenu"));
    QVector<FormEditions::Document> docs;
    QString stamp;
    if (!menu || !FormEditions::read(SinseiExcelOutRtn::templatePath(), &docs, &stamp, nullptr))
        return;
    menu->setToolTipsVisible(true);
    for (QAction* a : menu->actions())
        for (const FormEditions::Document& d : docs)
            if (a->text() == d.name)
                a->setToolTip(QStringLiteral("%1（%2）").arg(d.form, d.edition));
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ShinseiDesk"));
    // No display name: the desktop would append it to every window title,
    // and the main window's title already names the program.
    QApplication::setApplicationVersion(QStringLiteral(SHINSEIDESK_VERSION));
    GuiCommon::setupApplication(app);
    MessageBoxPrompter prompter;
    Prompter::setCurrent(&prompter);

    const QString appDir = QCoreApplication::applicationDirPath();
    SingleInstance instance(appDir);
    if (!instance.acquire()) {
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("既にシステムは起動されています。"),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
        return 0;
    }
    AppDir::set(appDir);

    StorageConfig config;
    QString error;
    if (!StorageConfig::fromAppDir(appDir, &config, &error)) {
        Prompter::current().show({PromptTitle::Error, error, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return 1;
    }
    // Held for the program's whole life: no restore replaces the register under its windows.
    WriteLock writer(config, QStringLiteral("window"));
    if (!writer.acquire(WriteLock::Mode::Shared, WriteLock::kWriterWaitMs, &error)) {
        Prompter::current().show({PromptTitle::Error, error, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return 1;
    }
    Storage storage(config);
    // A first start, or files lost since: make whatever is missing.
    if (!AppDir::initialize(storage, appDir, &error)) {
        Prompter::current().show({PromptTitle::Error, error, Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
        return 1;
    }

    // An installed release brings its forms: the office's template copy follows.
    QString said;
    if (!FormEditions::refreshTemplate(appDir, appDir, storage, &said, &error))
        Prompter::current().show({PromptTitle::Warning, QStringLiteral("テンプレートを更新できません。%1").arg(error),
                                  Prompter::Icon::Warning, Prompter::Ok, Prompter::Ok});
    else if (!said.isEmpty())
        Prompter::current().show({QStringLiteral("様式の更新"), said, Prompter::Icon::Information, Prompter::Ok,
                                  Prompter::Ok});

    // What the main window's commands open, from every part of the program;
    // the masters' e-mail buttons open the mail module's composer.
    CommandRegistry commands;
    const MailComposer mail = MailWindows::registerOpeners(storage, commands);
    EntryWindows::registerOpeners(storage, commands, mail);
    CheckWindows::registerOpeners(storage, commands);
    SubmissionSetForm::registerOpener(commands);
    IfcImportForm::registerOpener(storage, commands);
    Masters::registerOpeners(storage, commands, mail);
    Labels::registerOpeners(storage, commands);
    DocumentOutput documents;
    documents.install(commands);
    OptionWindows::registerOpeners(storage, commands, [&documents] { documents.closeAll(); });
    MenuForm window(storage, commands);
    OptionWindows::applyButtonSwitches(window, storage);
    showEditions(window);
    window.show();
    return app.exec();
}
