#pragma once

#include "EntryForm.h"
#include "PostalLookup.h"
#include "Recordset.h"
#include "Storage.h"
#include "TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <vector>

// What the entry-window tests share: projects, stored values, and a
// clerk's keyboard.
namespace EntryTest {

inline QString u(const char* s)
{
    return QString::fromUtf8(s);
}

// A new row of a table with the values given; its id.
inline qint64 addRow(Storage& s, DbFile db, const char* table, const QVector<QPair<const char*, QVariant>>& values)
{
    Recordset rs(s, db);
    if (!rs.open(u(table)))
        qFatal("no %s table", table);
    const qint64 id = rs.addNew();
    for (const auto& v : values)
        rs.setValue(u(v.first), v.second);
    if (!rs.update())
        qFatal("cannot add to %s: %s", table, qPrintable(rs.errorString()));
    return id;
}

// A new row of a master table (architects, related companies) with the values given.
inline qint64 addMasterRow(Storage& s, const char* table, const QVector<QPair<const char*, QVariant>>& values)
{
    return addRow(s, DbFile::MasterData, table, values);
}

// Answers an address choice with its first item.
class FirstChoice : public AddressChooser {
public:
    int choose(const QStringList& items) override { return items.isEmpty() ? -1 : 0; }
};

// A column of the project's n-th row of a table (0-based, ID order).
inline QVariant stored(Storage& s, const QString& table, qint64 bid, const QString& column, int row = 0)
{
    Recordset rs(s, DbFile::Kakunin);
    if (!rs.open(table, QStringLiteral("B_ID"), bid) || row >= rs.recordCount())
        return {};
    rs.moveTo(row);
    return rs.value(column);
}

// Columns of the project's row as text, numbers as their digits and null as
// empty, so that a saved row compares in one line.
inline QStringList storedTexts(Storage& s, const char* table, qint64 bid, const QStringList& columns, int row = 0)
{
    QStringList out;
    for (const QString& c : columns) {
        const QVariant v = stored(s, u(table), bid, c, row);
        const int type = v.typeId();
        const bool number = type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double;
        out << (v.isNull() ? QString() : number ? QString::number(v.toDouble()) : v.toString());
    }
    return out;
}

// Columns of the project's n-th row, as another program would write them.
inline void store(Storage& s, const char* table, qint64 bid, const QVector<QPair<const char*, QVariant>>& values, int row = 0)
{
    Recordset rs(s, DbFile::Kakunin);
    QVERIFY(rs.open(u(table), QStringLiteral("B_ID"), bid));
    QVERIFY(row < rs.recordCount());
    rs.moveTo(row);
    for (const auto& [column, value] : values)
        QVERIFY(rs.setValue(u(column), value));
    QVERIFY2(rs.update(), qPrintable(rs.errorString()));
}

inline int rowsOf(Storage& s, DbFile db, const QString& table)
{
    Recordset rs(s, db);
    return rs.open(table) ? rs.recordCount() : -1;
}

template <typename W>
W* get(const QWidget& form, const QString& name)
{
    W* w = form.findChild<W*>(name);
    if (!w)
        qFatal("no %s named %s", W::staticMetaObject.className(), qPrintable(name));
    return w;
}
inline QLineEdit* edit(const QWidget& f, const char* n) { return get<QLineEdit>(f, u(n)); }
inline QComboBox* combo(const QWidget& f, const char* n) { return get<QComboBox>(f, u(n)); }
inline QCheckBox* box(const QWidget& f, const char* n) { return get<QCheckBox>(f, u(n)); }
inline QRadioButton* radio(const QWidget& f, const char* n) { return get<QRadioButton>(f, u(n)); }
inline QLabel* label(const QWidget& f, const char* n) { return get<QLabel>(f, u(n)); }

// What several fields show, so that a row of them compares in one line.
inline QStringList shown(const EntryForm& form, const QStringList& columns)
{
    QStringList out;
    for (const QString& c : columns) {
        if (!form.field(c))
            qFatal("no field %s", qPrintable(c));
        out << form.text(c);
    }
    return out;
}

// The name of the field that has the focus (an editable list's inner
// editor counts as the list).
inline QString focused()
{
    QWidget* w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        w = w->parentWidget();
    return w ? w->objectName() : QString();
}

// Keys as the keyboard (and the input method, for Japanese) sends them.
inline void keys(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Clicks into a field, replaces its text by typing, as a clerk does.
inline void type(EntryForm& form, const char* column, const QString& text)
{
    QWidget* w = form.field(u(column));
    QVERIFY(w);
    w->setFocus(Qt::MouseFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->lineEdit()->selectAll();
    keys(QApplication::focusWidget(), text);
}

inline void pressEnter()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// The fields Enter visits from the focused one, until it stays put.
inline QStringList enterWalk(int maxSteps)
{
    QStringList seen{focused()};
    for (int i = 0; i < maxSteps; ++i) {
        pressEnter();
        if (focused() == seen.last())
            break;
        seen << focused();
    }
    return seen;
}

// Picks an item of a list as a click on it does.
inline void choose(QComboBox* list, const QString& item)
{
    const int i = list->findText(item);
    QVERIFY2(i >= 0, qPrintable(item));
    list->setCurrentIndex(i);
    emit list->activated(i);
}

// Moves the focus away from the field being edited.
inline void leave(EntryForm& form)
{
    form.okButton()->setFocus(Qt::MouseFocusReason);
}

// A fresh office with one new project; prompts are answered from a script.
struct Office {
    TempAppDir dir;
    ScriptedPrompter prompter;
    Storage& st = dir.storage();
    const qint64 bid = newProject(st);
    FirstChoice chooser;
    std::vector<std::unique_ptr<EntryForm>> windows;

    // A window of the project, shown active; an address choice takes the first item.
    template <class W, class... More>
    W& open(More... more)
    {
        auto* w = new W(st, bid, more...);
        windows.emplace_back(w);
        w->setAddressChooser(&chooser);
        if (!showAndWait(*w))
            qFatal("the window never became active");
        return *w;
    }
};

}  // namespace EntryTest
