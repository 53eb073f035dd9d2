#include "SchedulePage.h"

#include "GuiCommon.h"
#include "JapaneseHolidays.h"
#include "Prompter.h"
#include "ScheduleStore.h"
#include "TextNumbers.h"
#include "common.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kKindCaptions[] = {"撮影", "現場", "打合せ", "納品", "その他"};

QString textOf(const RowValues& e, const char* column)
{
    const QVariant v = e.value(QString::fromLatin1(column));
    return v.isNull() ? QString() : v.toString();
}

// Keeps only the digits of a date or time part, as it is typed.
void keepDigits(QLineEdit* e)
{
    const QString d = common::DigitsOnly(TextNumbers::toHalfWidth(e->text()));
    if (d != e->text())
        e->setText(d);
}

}  // namespace

SchedulePage::SchedulePage(Storage& storage, QWidget* parent)
    : QWidget(parent)
    , m_storage(storage)
{
    m_list = GuiCommon::namedList("ListView2", {QStringLiteral("日時"), QStringLiteral("タイトル")});
    m_list->setAlternatingRowColors(true);
    m_list->header()->resizeSection(0, 130);

    auto field = [](const char* name, int width) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        if (width > 0)
            e->setMaximumWidth(width);
        return e;
    };
    m_year = field("YearInText", 64);
    m_month = field("MonthInText", 40);
    m_day = field("DayInText", 40);
    m_hour = field("HourText", 40);
    m_minute = field("MinutText", 40);
    m_title = field("TitleText", 0);
    m_body = new QPlainTextEdit;
    m_body->setObjectName(QStringLiteral("BodyText"));
    m_body->setTabChangesFocus(true);
    for (QLineEdit* e : {m_year, m_month, m_day, m_hour, m_minute})
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* when = new QHBoxLayout;
    auto unit = [](const char* t) { return new QLabel(QString::fromUtf8(t)); };
    when->addWidget(m_year);
    when->addWidget(unit("年"));
    when->addWidget(m_month);
    when->addWidget(unit("月"));
    when->addWidget(m_day);
    when->addWidget(unit("日"));
    when->addSpacing(12);
    when->addWidget(m_hour);
    when->addWidget(unit("時"));
    when->addWidget(m_minute);
    when->addWidget(unit("分"));
    when->addStretch(1);

    m_kindFrame = new QGroupBox(QStringLiteral("登録項目"));
    auto* kl = new QHBoxLayout(m_kindFrame);
    for (int i = 0; i < 5; ++i) {
        m_kinds[i] = new QCheckBox(QString::fromUtf8(kKindCaptions[i]));
        m_kinds[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        kl->addWidget(m_kinds[i]);
        connect(m_kinds[i], &QCheckBox::toggled, this, &SchedulePage::fieldEdited);
    }
    kl->addStretch(1);
    m_bodyFrame = new QGroupBox(QStringLiteral("内容"));
    auto* bl = new QVBoxLayout(m_bodyFrame);
    bl->addWidget(m_body);

    m_addBtn = new QPushButton(QStringLiteral("1作業追加"));
    m_addBtn->setObjectName(QStringLiteral("LineAddBtn"));
    m_delBtn = new QPushButton(QStringLiteral("1作業削除"));
    m_delBtn->setObjectName(QStringLiteral("LineDelBtn"));
    m_mailBtn = new QPushButton(QStringLiteral("メール伝言"));
    m_mailBtn->setObjectName(QStringLiteral("MailBtn"));
    for (QPushButton* b : {m_addBtn, m_delBtn, m_mailBtn})
        b->setAutoDefault(false);
    connect(m_addBtn, &QPushButton::clicked, this, &SchedulePage::addEntry);
    connect(m_delBtn, &QPushButton::clicked, this, &SchedulePage::deleteEntry);
    connect(m_mailBtn, &QPushButton::clicked, this, [this] {
        if (!m_project || m_row < 0 || m_row >= m_project->schedule.size())
            return;
        const RowValues& e = m_project->schedule[m_row];
        emit mailRequested(textOf(e, "SCJ_TITLE"), itemText(e) + QStringLiteral("\n\n") + textOf(e, "SCJ_BODY"));
    });

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("日時")), 0, 0);
    form->addLayout(when, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("タイトル")), 1, 0);
    form->addWidget(m_title, 1, 1);
    form->addWidget(m_kindFrame, 2, 0, 1, 2);
    form->addWidget(m_bodyFrame, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addBtn);
    buttons->addWidget(m_delBtn);
    buttons->addStretch(1);
    buttons->addWidget(m_mailBtn);
    form->addLayout(buttons, 4, 0, 1, 2);

    m_calendar = new QCalendarWidget;
    m_calendar->setObjectName(QStringLiteral("MonthView1"));
    m_calendar->setGridVisible(true);
    m_calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    m_calendar->setFirstDayOfWeek(Qt::Sunday);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setMinimumWidth(320);
    QTextCharFormat saturday;
    saturday.setForeground(QColor(0, 0, 200));
    m_calendar->setWeekdayTextFormat(Qt::Saturday, saturday);
    m_calYear = new QSpinBox;
    m_calYear->setObjectName(QStringLiteral("YearText"));
    m_calYear->setRange(1980, 2099);
    m_calYear->setToolTip(QStringLiteral("表示する年を選択します。"));
    m_calMonth = new QSpinBox;
    m_calMonth->setObjectName(QStringLiteral("MonthText"));
    m_calMonth->setRange(1, 12);
    m_calMonth->setToolTip(QStringLiteral("表示する月を選択します。"));
    auto* pick = new QHBoxLayout;
    pick->addWidget(m_calYear);
    pick->addWidget(unit("年"));
    pick->addWidget(m_calMonth);
    pick->addWidget(unit("月"));
    pick->addStretch(1);
    connect(m_calYear, &QSpinBox::valueChanged, this, [this](int y) { showMonth(y, m_calMonth->value()); });
    connect(m_calMonth, &QSpinBox::valueChanged, this, [this](int m) { showMonth(m_calYear->value(), m); });
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, [this](int y, int m) {
        const QSignalBlocker by(m_calYear), bm(m_calMonth);
        m_calYear->setValue(y);
        m_calMonth->setValue(m);
        markCalendar();
    });
    const QDate today = QDate::currentDate();
    m_calendar->setSelectedDate(today);
    m_calYear->setValue(today.year());
    m_calMonth->setValue(today.month());

    auto* left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addLayout(form);
    auto* right = new QVBoxLayout;
    right->addLayout(pick);
    right->addWidget(m_calendar);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(left, 3);
    layout->addLayout(right, 2);

    connect(m_list, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_loading && item)
            selectEntry(m_list->indexOfTopLevelItem(item));
    });
    for (QLineEdit* e : {m_year, m_month, m_day, m_hour, m_minute}) {
        connect(e, &QLineEdit::textChanged, this, [this, e] {
            keepDigits(e);
            fieldEdited();
        });
    }
    connect(m_title, &QLineEdit::textChanged, this, &SchedulePage::fieldEdited);
    connect(m_body, &QPlainTextEdit::textChanged, this, &SchedulePage::fieldEdited);
    // Enter walks the date, time and title as in every other form.
    const QVector<QLineEdit*> order{m_year, m_month, m_day, m_hour, m_minute, m_title};
    for (int i = 0; i + 1 < order.size(); ++i)
        connect(order[i], &QLineEdit::returnPressed, order[i + 1], [next = order[i + 1]] { next->setFocus(); });
    connect(m_title, &QLineEdit::returnPressed, m_body, [this] { m_body->setFocus(); });
    setProject(nullptr);
}

QString SchedulePage::itemText(const RowValues& e) const
{
    return ScheduleStore::listText(e);
}

void SchedulePage::setProject(ProjectData* project)
{
    m_project = project;
    m_row = -1;
    fillList();
    if (m_project && !m_project->schedule.isEmpty())
        selectEntry(0);
    else
        showEntry();
    m_addBtn->setEnabled(m_project && m_project->isLoaded());
}

void SchedulePage::fillList()
{
    m_loading = true;
    m_list->clear();
    if (m_project) {
        for (const RowValues& e : std::as_const(m_project->schedule))
            m_list->addTopLevelItem(new QTreeWidgetItem({itemText(e), textOf(e, "SCJ_TITLE")}));
    }
    m_loading = false;
    markCalendar();
}

void SchedulePage::setFieldsEnabled(bool on)
{
    for (QWidget* w : {static_cast<QWidget*>(m_year), static_cast<QWidget*>(m_month), static_cast<QWidget*>(m_day),
                       static_cast<QWidget*>(m_hour), static_cast<QWidget*>(m_minute), static_cast<QWidget*>(m_title),
                       static_cast<QWidget*>(m_kindFrame), static_cast<QWidget*>(m_bodyFrame),
                       static_cast<QWidget*>(m_delBtn), static_cast<QWidget*>(m_mailBtn)})
        w->setEnabled(on);
}

void SchedulePage::selectEntry(int row)
{
    if (!m_project || row < 0 || row >= m_project->schedule.size())
        return;
    m_row = row;
    m_loading = true;
    m_list->setCurrentItem(m_list->topLevelItem(row));
    m_loading = false;
    showEntry();
}

void SchedulePage::showEntry()
{
    const bool has = m_project && m_row >= 0 && m_row < m_project->schedule.size();
    setFieldsEnabled(has);
    m_loading = true;
    const RowValues e = has ? m_project->schedule[m_row] : RowValues();
    m_year->setText(textOf(e, "SCJ_YEAR"));
    m_month->setText(textOf(e, "SCJ_MONTH"));
    m_day->setText(textOf(e, "SCJ_DAY"));
    m_hour->setText(textOf(e, "SCJ_HOUR"));
    m_minute->setText(textOf(e, "SCJ_MINUT"));
    m_title->setText(textOf(e, "SCJ_TITLE"));
    m_body->setPlainText(textOf(e, "SCJ_BODY"));
    for (int i = 0; i < 5; ++i)
        m_kinds[i]->setChecked(e.value(QStringLiteral("SCJ_SV_FLG%1").arg(i + 1)).toInt() == 1);
    m_loading = false;
    if (has) {
        const QDate d(e.value(QStringLiteral("SCJ_YEAR")).toInt(), e.value(QStringLiteral("SCJ_MONTH")).toInt(),
                      qMax(1, e.value(QStringLiteral("SCJ_DAY")).toInt()));
        if (d.isValid())
            m_calendar->setSelectedDate(d);
    }
}

void SchedulePage::fieldEdited()
{
    if (m_loading || !m_project || m_row < 0 || m_row >= m_project->schedule.size())
        return;
    RowValues& e = m_project->schedule[m_row];
    auto number = [](QLineEdit* f) { return f->text().isEmpty() ? QVariant() : QVariant(f->text().toInt()); };
    e[QStringLiteral("SCJ_YEAR")] = number(m_year);
    e[QStringLiteral("SCJ_MONTH")] = number(m_month);
    e[QStringLiteral("SCJ_DAY")] = number(m_day);
    e[QStringLiteral("SCJ_HOUR")] = m_hour->text();
    e[QStringLiteral("SCJ_MINUT")] = m_minute->text();
    e[QStringLiteral("SCJ_TITLE")] = m_title->text();
    e[QStringLiteral("SCJ_BODY")] = m_body->toPlainText();
    for (int i = 0; i < 5; ++i)
        e[QStringLiteral("SCJ_SV_FLG%1").arg(i + 1)] = m_kinds[i]->isChecked() ? 1 : 0;
    if (QTreeWidgetItem* item = m_list->topLevelItem(m_row)) {
        item->setText(0, itemText(e));
        item->setText(1, textOf(e, "SCJ_TITLE"));
    }
    markCalendar();
    emit changed();
}

void SchedulePage::addEntry()
{
    if (!m_project || !m_project->isLoaded())
        return;
    const QDate today = QDate::currentDate();
    QString error;
    if (!ScheduleStore::addEntry(m_storage, m_project->bid, today, &error)) {
        common::ErrorBox(error);
        return;
    }
    // The new row is stored at once; other entries keep their unsaved edits.
    QVector<RowValues> stored;
    if (!ScheduleStore::load(m_storage, m_project->bid, &stored, &error) || stored.isEmpty()) {
        common::ErrorBox(error);
        return;
    }
    m_project->schedule.append(stored.last());
    fillList();
    selectEntry(m_project->schedule.size() - 1);
    m_title->setFocus();
    m_title->selectAll();
}

void SchedulePage::deleteEntry()
{
    if (!m_project || m_row < 0 || m_row >= m_project->schedule.size())
        return;
    const Prompter::Button answer = Prompter::current().show(
        {QStringLiteral("行の削除確認"), QStringLiteral("%1行目を削除します。").arg(m_row + 1), Prompter::Icon::Question,
         Prompter::Yes | Prompter::No, Prompter::No});
    if (answer != Prompter::Yes)
        return;
    m_project->schedule.remove(m_row);
    const int next = qMin(m_row, static_cast<int>(m_project->schedule.size()) - 1);
    m_row = -1;
    fillList();
    if (next >= 0)
        selectEntry(next);
    else
        showEntry();
    emit changed();
}

void SchedulePage::showMonth(int year, int month)
{
    m_calendar->setCurrentPage(year, month);
}

void SchedulePage::markCalendar()
{
    for (const QDate& d : std::as_const(m_marked))
        m_calendar->setDateTextFormat(d, QTextCharFormat());
    m_marked.clear();
    const int y = m_calendar->yearShown(), m = m_calendar->monthShown();
    // The visible grid reaches into the neighbouring months.
    const QDate from = QDate(y, m, 1).addDays(-7), to = QDate(y, m, 1).addMonths(1).addDays(14);
    for (QDate d = from; d < to; d = d.addDays(1)) {
        const QString holiday = JapaneseHolidays::name(d);
        if (holiday.isEmpty())
            continue;
        QTextCharFormat f;
        f.setForeground(QColor(200, 0, 0));
        f.setToolTip(holiday);
        m_calendar->setDateTextFormat(d, f);
        m_marked.append(d);
    }
    if (!m_project)
        return;
    for (const RowValues& e : std::as_const(m_project->schedule)) {
        const QDate d(e.value(QStringLiteral("SCJ_YEAR")).toInt(), e.value(QStringLiteral("SCJ_MONTH")).toInt(),
                      e.value(QStringLiteral("SCJ_DAY")).toInt());
        if (!d.isValid())
            continue;
        QTextCharFormat f = m_calendar->dateTextFormat(d);
        f.setFontWeight(QFont::Bold);
        f.setBackground(QColor(255, 236, 160));
        const QString title = textOf(e, "SCJ_TITLE");
        f.setToolTip(f.toolTip().isEmpty() ? title : f.toolTip() + QLatin1Char('\n') + title);
        m_calendar->setDateTextFormat(d, f);
        m_marked.append(d);
    }
}
