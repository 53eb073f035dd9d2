#pragma once

#include "LabelLayout.h"
#include "LabelPrint.h"
#include "Recipients.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>

class HelpForm;
class LabelPreview;
class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QToolButton;
class Storage;

// "DMラベル印刷": named label layouts (the sheet and where the five texts
// of a label go), the recipients chosen in "DM印刷用顧客選択", the labels of
// the first sheet still free, a preview of every page at real size, the
// honorific, and printing to a printer or a PDF file. The choice of
// recipients belongs to whoever opens the window, so that it outlives it.
class DMLabelForm : public QDialog {
    Q_OBJECT
public:
    DMLabelForm(Storage& storage, RecipientChoice& chosen, QWidget* parent = nullptr);
    ~DMLabelForm() override;

    // Layouts: the DMCombo entry, "新規", "設定保存", "削除".
    void chooseLayout(int index);
    void newLayout();
    bool saveLayout();
    void deleteLayout();
    // The spacing field i (0–7) after Enter; rows and columns.
    void commitSpacing(int i);
    void stepSpacing(int i, int steps);
    void setColumns(int columns);
    void setRows(int rows);
    // An element dropped in the preview: snapped to the grid and applied to
    // every label.
    void moveElement(LabelElement e, double leftTwips, double topTwips);
    void setElementFont(LabelElement e, const QString& name, double size);

    // "TOP位置", "指定位置", "ランダム" and a click on a label of the preview.
    void setStartMode(LabelPlan::StartMode mode);
    void clickLabel(int label);
    // Paging of the preview (0-based).
    void showPage(int page);
    void nextPage();
    void previousPage();
    int currentPage() const { return m_page; }
    int pageCount() const { return m_job.pageCount(); }

    // "顧客選択": the recipient selection, then the grid and the pages.
    void chooseRecipients();
    // Takes the choice of recipients as it stands.
    void refreshRecipients();
    void setHonorific(const QString& honorific);

    // "印  刷": to the printer or PDF file chosen beside the button.
    void print();
    // "閉じる": offers to save an edited layout, then closes.
    void closeWindow();

    bool isEdited() const { return m_edited; }
    const LabelJob& job() const { return m_job; }
    LabelPreview* preview() const { return m_preview; }
    // The outcome and pages of the last print.
    LabelPrint::Outcome lastOutcome() const { return m_lastOutcome; }
    int lastPages() const { return m_lastPages; }

    // Where a PDF goes when "PDFファイルに保存" is chosen: the file dialog
    // unless another answer is set (tests answer it).
    using PdfChooser = std::function<QString(QWidget* parent, const QString& suggestedPath)>;
    void setPdfChooser(PdfChooser chooser) { m_pdfChooser = std::move(chooser); }

    static inline const QString kPdfTarget = QStringLiteral("PDFファイルに保存");

    // Escape and the title bar's close run the same steps as "閉じる".
    void reject() override;

private:
    QWidget* buildLayoutPanel();
    QWidget* buildFontPanel();
    QWidget* buildStartPanel();
    QWidget* buildRecipientPanel();
    QWidget* buildPreviewPanel();

    void listLayouts(qint64 selectId);
    void showLayout(const LabelLayout& layout);
    void fillFields();
    void fillFontFields();
    void relayout();
    // After a change to the sheet's counts or spacing: marked edited, pages planned again.
    void sheetEdited(bool changed);
    void setEdited(bool edited);
    bool askToSaveEdits();
    bool writeLayout();
    void updatePages();
    void fillRecipientGrid();
    QString pdfPath();
    void showError(const QString& message);

    Storage& m_storage;
    RecipientChoice& m_chosen;
    PdfChooser m_pdfChooser;
    LabelLayoutStore m_store;
    LabelJob m_job;
    QVector<LayoutName> m_layouts;
    int m_page = 0;
    bool m_edited = false;
    bool m_filling = false;
    LabelPrint::Outcome m_lastOutcome = LabelPrint::Outcome::Declined;
    int m_lastPages = 0;

    QComboBox* m_dmCombo = nullptr;
    QLineEdit* m_nameText = nullptr;
    QLineEdit* m_idText = nullptr;
    QLineEdit* m_retuText = nullptr;
    QLineEdit* m_gyouText = nullptr;
    std::array<QLineEdit*, LabelLayout::kSpacingCount> m_space{};
    QLabel* m_layoutNote = nullptr;
    QComboBox* m_elemCombo = nullptr;
    QComboBox* m_fontName = nullptr;
    QDoubleSpinBox* m_fontSize = nullptr;
    QButtonGroup* m_startGroup = nullptr;
    QLabel* m_startHint = nullptr;
    QComboBox* m_honoCombo = nullptr;
    QLabel* m_choiceNum = nullptr;
    QTableWidget* m_grid = nullptr;
    QComboBox* m_prnTarget = nullptr;
    QLabel* m_printNote = nullptr;
    QScrollArea* m_previewArea = nullptr;
    LabelPreview* m_preview = nullptr;
    QToolButton* m_backBtn = nullptr;
    QToolButton* m_nextBtn = nullptr;
    QLineEdit* m_pageText = nullptr;
    QLabel* m_pageLabel = nullptr;
    QPointer<HelpForm> m_help;
};
