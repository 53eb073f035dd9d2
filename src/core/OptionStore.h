#pragma once

#include <QString>
#include <QStringList>

#include <array>

class Storage;

// One of the four font sets with which the application workbook's template
// is formatted (FontName n, FontStyle n, FontSize n, FontColor n,
// FontColor0 n of FontOption).
struct FontSet {
    QString name;
    QString style;
    QString size;
    int colorIndex{};     // the swatch of the colour picker, 0 to 14
    qint64 colorValue{};  // the colour itself, 0x00BBGGRR
};

// The office-wide settings of the options window. A new object holds the
// values the window shows before anything is stored (the defaults of the
// option table in OptionStore.cpp, which also names each value's column);
// loading replaces only what the tables hold (a null column leaves the
// value as it is).
struct OptionValues {
    OptionValues();

    // OptionMaster
    int startup{};         // 1 = read at start-up
    int timerFlag{};       // 1 = timed reading on
    int timerInterval{};
    int openedMailFlag{};  // 0 = "設定する", 1 = "設定しない"
    int openedMailDelay{};
    int sendId{};          // kept by the mail windows

    // CorpMaster, the office's own company data
    QString corpName;
    QString corpPost;
    QString corpAddr1;
    QString corpAddr2;
    QString corpTel;
    QString corpFax;
    QString corpMail;
    QString corpUrl;

    // MemoTable: one per main-screen button; 1 = shown
    static constexpr int kButtons = 12;
    std::array<int, kButtons> buttons{};

    // FontOption: 1 input data, 2 titles, 3 item names, 4 the 正・副 marks
    std::array<FontSet, 4> fonts;
    QString lineStyle;  // the underline of the input data
    int lineStyleIndex{};
    int frameFlag{};    // 0 "枠無し", 1 "枠有り"
    QString seiFuku1;
    QString seiFuku2;

    // The captions of the main-screen buttons in MEMO order.
    static const QStringList& buttonCaptions();
};

// Reading and writing the option tables: OptionMaster, CorpMaster and
// FontOption of optiondata, MemoTable of anotheroption. Each table has one
// row; a missing row is added when the options are saved.
namespace OptionStore {

bool load(Storage& storage, OptionValues* values, QString* error);

// Writes the four tables in the order OptionMaster, CorpMaster, MemoTable,
// FontOption, each on its own. A missing OptionMaster row is first added
// with the defaults a new row gets, then written like an existing one.
bool save(Storage& storage, const OptionValues& values, QString* error);

// The items of the options window's drop-down lists, in table order.
bool fontNames(Storage& storage, QStringList* out, QString* error);
bool fontStyles(Storage& storage, QStringList* out, QString* error);
bool lineStyles(Storage& storage, QStringList* out, QString* error);

}  // namespace OptionStore
