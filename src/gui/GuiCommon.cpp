#include "GuiCommon.h"

#include "Keyring.h"
#include "Logging.h"

#include "Prompter.h"
#include "TextNumbers.h"
#include "common.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <QWidget>

#include <optional>

namespace GuiCommon {

namespace {

// While a keyring call waits (the keyring may be asking for its own
// password in a window of its own), a modal note says what the program is
// waiting for; the windows behind it take no input until the answer comes.
// Shown after a moment, so an answer that comes at once shows nothing.
void showKeyringWait(bool waiting)
{
    static QPointer<QProgressDialog> note;
    static std::optional<BusyCursor> busy;
    if (!waiting) {
        delete note;
        busy.reset();
        return;
    }
    busy.emplace();
    note = new QProgressDialog(QStringLiteral("キーリング（パスワード管理）の応答を待っています。\n"
                                              "キーリングのロック解除を求められたら、そのパスワードを入力してください"
                                              "（最長 %1 秒）。")
                                   .arg(Keyring::kWaitMs / 1000),
                               QString(), 0, 0, QApplication::activeWindow());
    note->setObjectName(QStringLiteral("KeyringWaitNote"));
    note->setWindowTitle(QStringLiteral("お待ちください"));
    note->setWindowModality(Qt::ApplicationModal);
    note->setCancelButton(nullptr);
    note->setAutoClose(false);
    note->setAutoReset(false);
    note->setMinimumDuration(0);
    note->hide();  // QProgressDialog shows itself on its own schedule otherwise
    QTimer::singleShot(300, note, [] {
        if (note)
            note->show();
    });
}

// Watches a suggestion pop-up: Enter with no suggestion chosen closes it
// and hands the key to the field, where the window's Enter order runs.
class EnterPassesThrough : public QObject {
public:
    EnterPassesThrough(QCompleter* completer, QLineEdit* edit)
        : QObject(completer)
        , m_completer(completer)
        , m_edit(edit)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QObject::eventFilter(watched, event);
        QAbstractItemView* popup = m_completer->popup();
        const bool chosen = popup->selectionModel() && popup->selectionModel()->isSelected(popup->currentIndex());
        if (chosen || !m_edit)
            return QObject::eventFilter(watched, event);
        popup->hide();
        QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(m_edit, &again);
        return true;
    }

private:
    QCompleter* m_completer;
    QPointer<QLineEdit> m_edit;
};

class HalfWidthDigits : public QRegularExpressionValidator {
public:
    explicit HalfWidthDigits(QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parent)
    {
    }
    State validate(QString& input, int& pos) const override
    {
        input = TextNumbers::toHalfWidth(input);
        return QRegularExpressionValidator::validate(input, pos);
    }
};

}  // namespace

void setupApplication(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    Logging::keepCauses();
    auto* qtTr = new QTranslator(&app);
    if (qtTr->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTr);

    // Layouts and label settings name the fonts of Japanese Windows; map them
    // to the Japanese fonts of this system so that print and screen agree.
    const QStringList mincho{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                             QStringLiteral("Noto Serif CJK JP")};
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                             QStringLiteral("Noto Sans CJK JP")};
    const QStringList pGothic{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList pMincho{QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), pGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ＵＩ Ｇothic"), pGothic);

    Keyring::setWaitNote(showKeyringWait);
}

bool OpenInBrowser(const QString& target)
{
    QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    if (QFileInfo::exists(target))
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    if (url.isValid() && QDesktopServices::openUrl(url))
        return true;
    Prompter::current().show({PromptTitle::Error,
                              QStringLiteral("ウェブブラウザを起動できません。既定のブラウザが設定されているか確認してください。\n%1")
                                  .arg(url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()),
                              Prompter::Icon::Critical, Prompter::Ok, Prompter::Ok});
    return false;
}

void suggestWithoutCompleting(QComboBox* combo)
{
    if (!combo || !combo->lineEdit())
        return;
    auto* completer = new QCompleter(combo->model(), combo);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseSensitive);
    combo->setCompleter(completer);
    completer->popup()->installEventFilter(new EnterPassesThrough(completer, combo->lineEdit()));
}

QValidator* digitsValidator(QObject* parent)
{
    return new HalfWidthDigits(parent);
}

QLineEdit* namedEdit(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QPushButton* namedButton(const char* name, const QString& caption, const QString& tip)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QTreeWidget* namedList(const char* name, const QStringList& headers)
{
    auto* list = new QTreeWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    return list;
}

void saveShortcut(QWidget* window, QAbstractButton* saveButton)
{
    auto* save = new QShortcut(QKeySequence::Save, window);
    QObject::connect(save, &QShortcut::activated, saveButton, [saveButton] {
        if (saveButton->isEnabled() && saveButton->isVisible())
            saveButton->click();
    });
    if (!saveButton->toolTip().contains(QStringLiteral("Ctrl+S")))
        saveButton->setToolTip(saveButton->toolTip().isEmpty() ? QStringLiteral("Ctrl+S")
                                                               : saveButton->toolTip() + QStringLiteral("（Ctrl+S）"));
}

namespace {

QRect usableArea(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() - kWindowFrame : QRect();
}

}  // namespace

void fitToScreen(QWidget* window, QSize designed)
{
    const QRect area = usableArea(window);
    if (area.isValid())
        designed = designed.boundedTo(area.size());
    window->resize(designed);
}

void placeOnScreen(QWidget* window, QPoint topLeft)
{
    const QRect area = usableArea(window);
    if (area.isValid()) {
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() + 1 - window->width())));
        topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() + 1 - window->height())));
    }
    window->move(topLeft);
}

}  // namespace GuiCommon
