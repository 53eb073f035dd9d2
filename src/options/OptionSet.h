#pragma once

#include "ColorSplash.h"
#include "OptionStore.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class EnterOrder;
class HelpForm;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class Storage;

// The options window ("オプション設定"): the fonts, colours and underline
// with which the application workbook's template is formatted, the office's
// own company data, which main-screen buttons are shown, and the start-up,
// timer and opened-mail settings. Its edited state is the enabled state of
// "適用"; every control is named after the column it shows.
class OptionSet : public QWidget {
    Q_OBJECT
public:
    // closeWorkbooks: closes the workbooks that the program shows, before
    // the template is formatted.
    OptionSet(Storage& storage, std::function<void()> closeWorkbooks, QWidget* parent = nullptr);
    ~OptionSet() override;

    bool isEdited() const;
    // "適用": writes the four tables and the shared state; false (after
    // telling the user) when a table cannot be written.
    bool apply();
    // "書式設定": asks, applies unsaved changes, formats the template and
    // reports the end.
    void formatNow();

    // What the controls show, as values of the tables.
    OptionValues values() const;

    // The colour picker; tests answer instead of the modal window.
    using ColorChooser = std::function<std::optional<ColorSplash::Choice>(QWidget* parent, int current)>;
    void setColorChooser(ColorChooser chooser) { m_chooseColor = std::move(chooser); }
    // "色選択" of group n (1 to 4).
    void chooseColor(int group);

signals:
    // After a successful Apply, with what was saved.
    void applied(const OptionValues& values);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildFontsPage();
    QWidget* buildCompanyPage();
    QWidget* buildMainScreenPage();
    void fillLists();
    void load();
    void showValues(const OptionValues& v);
    void setEdited(bool edited);
    void watch(QWidget* control);
    void showColor(int group, qint64 value);
    void showHelp();
    QLineEdit* digitsField(const QString& name, int maxLength);
    QScrollBar* scrollerFor(QLineEdit* field, const QString& name, int minimum, int maximum);

    Storage& m_storage;
    std::function<void()> m_closeWorkbooks;
    EnterOrder* m_enter = nullptr;
    ColorChooser m_chooseColor;
    bool m_loading = false;
    QPointer<HelpForm> m_help;

    QTabWidget* m_tabs = nullptr;
    // Fonts
    std::array<QComboBox*, 4> m_fontName{};
    std::array<QComboBox*, 4> m_fontStyle{};
    std::array<QLineEdit*, 4> m_size{};
    std::array<QLabel*, 4> m_colorSample{};
    std::array<QPushButton*, 4> m_colorBtn{};
    std::array<int, 4> m_colorIndex{};
    std::array<qint64, 4> m_colorValue{};
    QComboBox* m_lineStyle = nullptr;
    std::array<QRadioButton*, 2> m_frame{};
    std::array<QLineEdit*, 2> m_seiFuku{};
    // Company
    std::array<QLineEdit*, 8> m_corp{};
    // Main screen
    std::array<QCheckBox*, OptionValues::kButtons> m_buttons{};
    std::array<QRadioButton*, 2> m_startup{};
    std::array<QRadioButton*, 2> m_timer{};
    std::array<QRadioButton*, 2> m_opened{};
    QLineEdit* m_timerText = nullptr;
    QLineEdit* m_secText = nullptr;
    int m_sendId = 0;

    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_helpBtn = nullptr;
    QPushButton* m_format = nullptr;
};
