#pragma once

#include <QString>
#include <QStringList>

#include <array>

class Storage;

// One of the four font sets with which the application workbook's template
// is formatted (FontName n, FontStyle n, FontSize n, FontColor n,
// FontColor0 n of FontOption).
struct FontSet {
    QString name = QStringLiteral("ＭＳ 明朝");
    QString style = QStringLiteral("標準");
    QString size = QStringLiteral("10");
    int colorIndex = 0;       // the swatch of the colour picker, 0 to 14
    qint64 colorValue = 0;    // the colour itself, 0x00BBGGRR
};

// The office-wide settings of the options window. A new object holds the
// values the window shows before anything is stored; loading replaces
// only what the tables hold (a null column leaves the value as it is).
struct OptionValues {
    // OptionMaster
    int startup = 0;          // STUP: 1 = read at start-up
    int timerFlag = 0;        // TIMflg: 1 = timed reading on
    int timerInterval = 1;    // TIMERdt
    int openedMailFlag = 0;   // BLODflg: 0 = "設定する", 1 = "設定しない"
    int openedMailDelay = 0;  // BOLD_CNT
    int sendId = 0;           // SendID, kept by the mail windows

    // CorpMaster, the office's own company data
    QString corpName;   // CORP_STR
    QString corpPost;   // POST_STR
    QString corpAddr1;  // ADR1_STR
    QString corpAddr2;  // ADR2_STR
    QString corpTel;    // Tel_Str
    QString corpFax;    // FAX_STR
    QString corpMail;   // E_MAIL_STR
    QString corpUrl;    // URL_STR

    // MemoTable: MEMO02 to MEMO13, one per main-screen button; 1 = shown
    static constexpr int kButtons = 12;
    std::array<int, kButtons> buttons{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    // FontOption: 1 input data, 2 titles, 3 item names, 4 the 正・副 marks
    std::array<FontSet, 4> fonts;
    QString lineStyle = QStringLiteral("実線");  // LineStyle1, the underline of the input data
    int lineStyleIndex = 1;                      // LineInt1
    int frameFlag = 0;                           // WakuFlg: 0 "枠無し", 1 "枠有り"
    QString seiFuku1 = QStringLiteral("正");     // SeiFukuText1
    QString seiFuku2 = QStringLiteral("副");     // SeiFukuText2

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

// The options as this run of the program knows them: loaded at start and
// replaced whenever the options window saves, so that the template
// formatting reads what the user last applied.
namespace Options {

const OptionValues& current();
void setCurrent(const OptionValues& values);
// Reads the tables into the shared state; on failure the state keeps its values.
bool reload(Storage& storage, QString* error);
// Set once the options have been saved during this run.
bool changedThisRun();
void markChanged();

}  // namespace Options
