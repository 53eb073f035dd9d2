#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The check boxes of a window by column: ticked, and enabled (an absent
// column is unticked and enabled).
struct FlagState {
    QHash<QString, bool> checked;
    QHash<QString, bool> disabled;

    bool isChecked(const QString& column) const { return checked.value(column, false); }
    bool isEnabled(const QString& column) const { return !disabled.value(column, false); }
};

// What ticking or unticking one box does to the other boxes of its group.
// A reaction may hold only while none of some boxes is ticked.
struct FlagReaction {
    QString column;
    bool whenChecked = true;
    QStringList onlyIfNoneOf;
    QStringList tick;
    QStringList untick;
    QStringList enable;
    QStringList disable;
};

// The check-box groups of a window. Every reaction lists its whole effect,
// so one pass gives the final state: nothing depends on the order in which
// the boxes are then updated on screen.
class FlagRules {
public:
    FlagRules() = default;
    explicit FlagRules(QVector<FlagReaction> reactions)
        : m_reactions(std::move(reactions))
    {
    }

    // The site window: 都市計画区域, 工事種別, 特例の適用.
    static FlagRules site();
    // The per-building window: 工事種別, 耐火建築物, 便所の種類, 特例の適用.
    static FlagRules building();
    // The construction notice: 主要用途 (new and removed building) with
    // their use fields, 新設・その他, 資金, 建築工法 and 種類. Boxes by
    // their own names (Shurui10 is the head of 住宅専用).
    static FlagRules constructionNotice();

    // Applies the reactions to `column` having become `checked` (already
    // set in the state). Returns the other columns whose state changed.
    QStringList react(const QString& column, FlagState& state) const;

    // The enabled state that follows from the ticked boxes alone, as after
    // reacting to every box in turn: for showing stored records.
    void settleEnabled(FlagState& state) const;

    bool governs(const QString& column) const;

private:
    QVector<FlagReaction> m_reactions;
};
