#include "FlagRules.h"

namespace {

QStringList names(const char* stem, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::fromLatin1(stem) + QString::number(i);
    return out;
}

QStringList without(QStringList list, const QString& column)
{
    list.removeAll(column);
    return list;
}

QString n(const char* s)
{
    return QString::fromLatin1(s);
}

}  // namespace

FlagRules FlagRules::site()
{
    QVector<FlagReaction> r;
    const QStringList inside = names("Tosi", 2, 4);
    r.append({n("Tosi1"), true, inside, {n("Tosi2")}, {n("Tosi3"), n("Tosi4"), n("Tosi5"), n("Tosi6")}, {}, {}});
    r.append({n("Tosi1"), false, {}, {}, inside, {}, {}});
    for (const QString& c : inside)
        r.append({c, true, {}, {n("Tosi1")}, without(inside, c) + QStringList{n("Tosi5"), n("Tosi6")}, {}, {}});
    r.append({n("Tosi5"), true, {}, {}, names("Tosi", 1, 4) << n("Tosi6"), {}, {}});
    r.append({n("Tosi6"), true, {}, {}, names("Tosi", 1, 5), {}, {}});

    const QStringList otherWork = names("shubetu", 2, 7);
    r.append({n("Shubetu1"), true, {}, {}, otherWork, {}, otherWork});
    r.append({n("Shubetu1"), false, {}, {}, {}, otherWork, {}});

    const QStringList exceptions = names("Kubun", 10, 12);
    r.append({n("Umu1"), true, {}, {}, {n("Umu2")}, exceptions, {}});
    r.append({n("Umu2"), true, {}, {}, QStringList{n("Umu1")} + exceptions, {}, exceptions});
    return FlagRules(r);
}

FlagRules FlagRules::building()
{
    QVector<FlagReaction> r;
    const QStringList otherWork = names("shubetu", 32, 37);
    r.append({n("shubetu31"), true, {}, {}, otherWork, {}, otherWork});
    r.append({n("shubetu31"), false, {}, {}, {}, otherWork, {}});

    // 耐火建築物 / 準耐火建築物 (イ－１ … ロ－２) / その他.
    const QStringList kinds = names("Taika", 32, 35);
    r.append({n("Taika30"), true, {}, {}, names("Taika", 31, 36), {}, {}});
    r.append({n("Taika36"), true, {}, {}, names("Taika", 30, 35), {}, {}});
    r.append({n("Taika31"), true, {}, {}, {n("Taika30")}, {}, {}});
    r.append({n("Taika31"), true, kinds, {n("Taika32")}, {n("Taika36")}, {}, {}});
    r.append({n("Taika31"), false, {}, {}, kinds, {}, {}});
    for (const QString& c : kinds)
        r.append({c, true, {}, {n("Taika31")}, QStringList{n("Taika30")} + without(kinds, c) << n("Taika36"), {}, {}});

    // 水洗 (公共下水道 / 浄化槽) and the two kinds of くみ取り.
    r.append({n("Ben40"), true, {n("Ben41"), n("Ben42")}, {n("Ben41")}, {n("Ben42"), n("Ben43"), n("Ben44")}, {}, {}});
    r.append({n("Ben40"), false, {}, {}, {n("Ben41"), n("Ben42")}, {}, {}});
    r.append({n("Ben41"), true, {}, {n("Ben40")}, {n("Ben42"), n("Ben43"), n("Ben44")}, {}, {}});
    r.append({n("Ben42"), true, {}, {n("Ben40")}, {n("Ben41"), n("Ben43"), n("Ben44")}, {}, {}});
    r.append({n("Ben43"), true, {}, {}, {n("Ben40"), n("Ben41"), n("Ben42"), n("Ben44")}, {}, {}});
    r.append({n("Ben44"), true, {}, {}, {n("Ben40"), n("Ben41"), n("Ben42"), n("Ben43")}, {}, {}});

    r.append({n("Umu40"), true, {}, {}, {n("Umu41")}, {}, {}});
    r.append({n("Umu41"), true, {}, {}, {n("Umu40")}, {}, {}});
    return FlagRules(r);
}

namespace {

// A head box and its items, of which at most one is ticked, among other
// such groups that exclude it: ticking the head clears the other groups and,
// with nothing under it yet, ticks its first item; unticking it clears its
// items; ticking an item ticks its head and clears every other box.
void addHeadedGroups(QVector<FlagReaction>& r, const QVector<QStringList>& groups)
{
    for (int g = 0; g < groups.size(); ++g) {
        const QString head = groups[g].first();
        const QStringList items = groups[g].mid(1);
        QStringList others;
        for (int o = 0; o < groups.size(); ++o)
            if (o != g)
                others += groups[o];
        r.append({head, true, items, {items.first()}, {}, {}, {}});
        r.append({head, true, {}, {}, others, {}, {}});
        r.append({head, false, {}, {}, items, {}, {}});
        for (const QString& item : items)
            r.append({item, true, {}, {head}, without(items, item) + others, {}, {}});
    }
}

// Boxes of which at most one is ticked.
void addExclusive(QVector<FlagReaction>& r, const QStringList& boxes)
{
    for (const QString& b : boxes)
        r.append({b, true, {}, {}, without(boxes, b), {}, {}});
}

// 主要用途: one of three kinds, each with the use fields it alone may fill.
void addMainUse(QVector<FlagReaction>& r, const QStringList& boxes, const QVector<QStringList>& fields)
{
    for (int i = 0; i < boxes.size(); ++i) {
        QStringList others;
        for (int o = 0; o < fields.size(); ++o)
            if (o != i)
                others += fields[o];
        r.append({boxes[i], true, {}, {}, without(boxes, boxes[i]), fields[i], others});
    }
}

}  // namespace

FlagRules FlagRules::constructionNotice()
{
    QVector<FlagReaction> r;
    addMainUse(r, names("ShuyouCHK", 1, 3), {{n("Youto0"), n("Youto1")}, {n("Youto2")}, {n("Youto3")}});
    addMainUse(r, names("ShuyouCHK", 11, 13), {{n("Youto72"), n("Youto7")}, {n("Youto8")}, {n("Youto9")}});
    // 新設 (新築, 増築, 改築) and その他 (増築, 改築).
    addHeadedGroups(r, {names("Betu", 10, 13), {n("Betu20"), n("Betu22"), n("Betu23")}});
    // 住宅専用, 併用住宅, その他の住宅, each (一戸建, 長屋建, 共同).
    addHeadedGroups(r, {names("Shurui", 10, 13), names("Shurui", 20, 23), names("Shurui", 30, 33)});
    addExclusive(r, names("Kin", 1, 5));
    addExclusive(r, names("Kouhou", 1, 3));
    addExclusive(r, names("JKouzoCHK", 1, 6));
    return FlagRules(r);
}

QStringList FlagRules::react(const QString& column, FlagState& state) const
{
    const bool checked = state.isChecked(column);
    QStringList changed;
    auto set = [&](const QString& c, bool on) {
        if (state.isChecked(c) != on && c != column) {
            state.checked.insert(c, on);
            if (!changed.contains(c))
                changed << c;
        }
    };
    auto able = [&](const QString& c, bool on) {
        if (state.isEnabled(c) != on) {
            state.disabled.insert(c, !on);
            if (!changed.contains(c))
                changed << c;
        }
    };
    for (const FlagReaction& r : m_reactions) {
        if (r.column != column || r.whenChecked != checked)
            continue;
        bool holds = true;
        for (const QString& c : r.onlyIfNoneOf)
            holds = holds && !state.isChecked(c);
        if (!holds)
            continue;
        for (const QString& c : r.tick)
            set(c, true);
        for (const QString& c : r.untick)
            set(c, false);
        for (const QString& c : r.enable)
            able(c, true);
        for (const QString& c : r.disable)
            able(c, false);
    }
    return changed;
}

void FlagRules::settleEnabled(FlagState& state) const
{
    for (const FlagReaction& r : m_reactions) {
        if (r.whenChecked != state.isChecked(r.column))
            continue;
        for (const QString& c : r.enable)
            state.disabled.insert(c, false);
        for (const QString& c : r.disable)
            state.disabled.insert(c, true);
    }
}

bool FlagRules::governs(const QString& column) const
{
    for (const FlagReaction& r : m_reactions)
        if (r.column == column)
            return true;
    return false;
}
