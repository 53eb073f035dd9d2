#include "P_KirokuboForm.h"

#include "RecordBook.h"

#include <QCheckBox>
#include <QLabel>
#include <QBoxLayout>
#include <QLineEdit>
#include <QTabWidget>

using namespace TableWords;

namespace {

// The colour of a title that may be changed.
const QColor kEditableTitle(255, 255, 128);
// The line whose title is never coloured.
constexpr int kUncolouredLine = 36;

// The line of a line field ("NaiyouText12" → 12), or 0.
int lineOf(const QString& column, const QString& stem)
{
    if (!column.startsWith(stem))
        return 0;
    bool ok = false;
    const int n = column.mid(stem.size()).toInt(&ok);
    return ok ? n : 0;
}

}  // namespace

QString P_KirokuboForm::titleField(int line)
{
    return s("KoumokuText") + QString::number(line);
}
QString P_KirokuboForm::yearField(int line)
{
    return s("YearText") + QString::number(line);
}
QString P_KirokuboForm::monthField(int line)
{
    return s("MonthText") + QString::number(line);
}
QString P_KirokuboForm::dayField(int line)
{
    return s("DayText") + QString::number(line);
}
QString P_KirokuboForm::contentField(int line)
{
    return s("NaiyouText") + QString::number(line);
}

FieldTable P_KirokuboForm::fieldTable()
{
    FieldTable t;
    t.table = s("StrIntTable");
    int order = 1;
    for (int first = 1; first <= RecordBook::kLines; first += kLinesPerPage) {
        const int last = qMin(first + kLinesPerPage - 1, RecordBook::kLines);
        t.addTab(s("%1～%2").arg(first).arg(last));
        GroupDef& page = t.addGroup(QString());
        page.headers = QStringList{s("項目"), s("年"), s("月"), s("日"), s("内容")};
        page.captionChars = 2;
        for (int line = first; line <= last; ++line) {
            const int row = line - first;
            t.add(titleField(line), FieldKind::Text).withCaption(QString::number(line)).width(18).at(row, 0).enter(order++);
            t.add(yearField(line), FieldKind::Digit).width(5).flagged(FieldFlag::SelectAll).at(row, 1).enter(order++);
            t.add(monthField(line), FieldKind::Digit).width(3).flagged(FieldFlag::SelectAll).at(row, 2).enter(order++);
            t.add(dayField(line), FieldKind::Digit).width(3).flagged(FieldFlag::SelectAll).at(row, 3).enter(order++);
            t.add(contentField(line), FieldKind::Text).at(row, 4).enter(order++);
        }
    }
    return t;
}

P_KirokuboForm::P_KirokuboForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_KirokuboForm"));
    setWindowTitle(s("業務記録簿"));
    setHelpPage(s("kirokubo.html"));

    m_titleCheck = new QCheckBox(s("タイトル変更"));
    m_titleCheck->setObjectName(s("TitleCheck"));
    m_titleCheck->setToolTip(s("タイトル変更する場合、チェックをＯＮにしてください。　"
                               "変更したものは次回から新規作成でも反映されます。"));
    topLayout()->addWidget(m_titleCheck);
    auto* hint = new QLabel(s("（チェックを付けると項目名を変更できます。変更した項目名は次回から新規作成の記録簿にも使われます）"));
    hint->setStyleSheet(s("color: #555555;"));
    topLayout()->addWidget(hint);
    topLayout()->addStretch(1);
    // The content of a line is the longest text: give it room.
    setMinimumWidth(900);
    connect(m_titleCheck, &QCheckBox::toggled, this, &P_KirokuboForm::setTitleEditing);
    // A new page starts on its first line's first field that can be typed in.
    connect(tabs(), &QTabWidget::currentChanged, this, [this](int page) {
        if (!isLoading())
            focusField(entryOf(1 + page * kLinesPerPage));
    });

    setTitleEditing(false);
    open();
    focusField(entryOf(1));
}

bool P_KirokuboForm::titleEditing() const
{
    return m_titleCheck->isChecked();
}

void P_KirokuboForm::setTitleEditing(bool on)
{
    if (m_titleCheck->isChecked() != on) {
        m_titleCheck->setChecked(on);  // comes back here
        return;
    }
    // Titles are the office's defaults as well: they are typed only on
    // purpose, and Enter passes them by otherwise.
    for (int line = 1; line <= RecordBook::kLines; ++line) {
        auto* e = qobject_cast<QLineEdit*>(field(titleField(line)));
        if (!e)
            continue;
        e->setReadOnly(!on);
        e->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        setRestingBackground(titleField(line), on && line != kUncolouredLine ? kEditableTitle : QColor());
    }
}

QString P_KirokuboForm::entryOf(int line) const
{
    return titleEditing() ? titleField(line) : yearField(line);
}

bool P_KirokuboForm::loadRecords(QString* error)
{
    // A record book is made with the project's first loading; one that is
    // missing all the same is made now, so that Apply has rows to write to.
    QVector<RecordBookLine> rows;
    if (!RecordBook::ensureLines(storage(), bid(), error) || !RecordBook::load(storage(), bid(), &rows, error))
        return false;
    m_rows = static_cast<int>(rows.size());
    for (int i = 0; i < m_rows; ++i) {
        const RecordBookLine& l = rows[i];
        setFieldValue(titleField(i + 1), l.title);
        setFieldValue(yearField(i + 1), l.year);
        setFieldValue(monthField(i + 1), l.month);
        setFieldValue(dayField(i + 1), l.day);
        setFieldValue(contentField(i + 1), l.content);
    }
    // Lines the project has no row for cannot be kept; their titles stay
    // the office's defaults, which Apply writes back unchanged.
    const QStringList defaults = RecordBook::defaultTitles();
    for (int line = m_rows + 1; line <= RecordBook::kLines; ++line) {
        setFieldValue(titleField(line), defaults.value(line - 1));
        for (const QString& f : {titleField(line), yearField(line), monthField(line), dayField(line), contentField(line)})
            field(f)->setEnabled(false);
    }
    return true;
}

QVector<RecordBookLine> P_KirokuboForm::lines() const
{
    QVector<RecordBookLine> out;
    for (int line = 1; line <= m_rows; ++line) {
        RecordBookLine l;
        l.title = text(titleField(line));
        l.year = text(yearField(line));
        l.month = text(monthField(line));
        l.day = text(dayField(line));
        l.content = text(contentField(line));
        out << l;
    }
    return out;
}

bool P_KirokuboForm::saveRecords(QString* error)
{
    // The titles first: record books made from now on start with them.
    QStringList titles;
    for (int line = 1; line <= RecordBook::kLines; ++line)
        titles << text(titleField(line));
    QString titleError;
    const bool titlesSaved = RecordBook::saveDefaultTitles(titles, &titleError);
    if (!RecordBook::save(storage(), bid(), lines(), error))
        return false;
    if (!titlesSaved) {
        *error = titleError + s("\n記録簿の内容は保存しましたが、タイトルは次回の新規作成に反映されません。");
        return false;
    }
    return true;
}

bool P_KirokuboForm::enterPressed(const QString& column)
{
    const int line = lineOf(column, s("NaiyouText"));
    if (line <= 0)
        return false;
    if (line >= RecordBook::kLines)
        return true;  // the last line: Enter stays
    if (line % kLinesPerPage == 0) {
        tabs()->setCurrentIndex(line / kLinesPerPage);  // focuses the next line
        return true;
    }
    focusField(entryOf(line + 1));
    return true;
}
