#pragma once

#include "ProjectData.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class BoxFit;
class PostalLookup;

// 申請前チェック: what an agency would send back, found before anything is
// submitted. The building is classified under the 建築基準法 in force on the
// day its works start, the numbers of the faces are compared with each other
// and with the limits, and each document is checked for the items it needs.
// Every rule lives in one table (rules()): the window, the command-line tool
// and the README all read it, so a rule is written down once.
namespace ShinseiCheck {

enum class Severity { Error, Warning, Info };
// エラー／警告／情報.
QString severityName(Severity s);
// "error", "warning", "info": the JSON spelling.
QString severityKey(Severity s);

// A rule: what it asks for in one sentence, the article or form note it
// rests on, and the field a user corrects (the table's column; the building
// or floor comes with each finding). docs is a bit set of the documents of
// the output menu (bit i: document i) a fault keeps from being submitted; 0
// for every document.
struct Rule {
    const char* id;
    Severity severity;
    const char* text;
    const char* basis;
    const char* table;
    const char* field;
    unsigned docs;
};
const QVector<Rule>& rules();
const Rule* rule(const QString& id);

// The documents of the output menu, 0 to 11, by name.
QString documentName(int index);

struct Finding {
    QString ruleId;
    Severity severity = Severity::Info;
    QString rule;    // the rule's sentence
    QString basis;   // its article or form note
    QString message; // what was found, with the numbers
    QString table;   // where to correct it
    QString field;
    int building = 0;  // 1–3 for a per-building table, else 0
    int floor = -1;    // the floor slot 0–5 of a KAIBETU field, else -1
    unsigned docs = 0;

    bool affects(int document) const { return docs == 0 || document < 0 || (docs & (1u << document)); }
};

// ------------------------------------------------------------ classification

// The rules in force before 2025-04-01 (旧4号特例) and since.
enum class RuleSet { Before2025, From2025 };
inline const QDate kReformDate{2025, 4, 1};
RuleSet ruleSetFor(const QDate& workStart);
QString ruleSetName(RuleSet r);

enum class Material { Wood, Steel, Concrete, Masonry, Other };

// One building as the classification sees it; areas in ㎡, heights in m.
struct BuildingFacts {
    QString useCode;         // main use (用途区分), e.g. 08010
    double specialArea = 0;  // floor area of uses of 別表第一（い）欄
    double totalArea = 0;    // 延べ面積 after the works
    double workArea = 0;     // floor area of the works (申請部分)
    int storeys = 0;         // 階数, below ground included
    int aboveGround = 0;     // 地階を除く階数
    double height = 0;
    double eaves = 0;
    Material material = Material::Other;
    bool planningArea = true;  // 都市計画区域・準都市計画区域内
    bool fireZone = false;     // 防火地域・準防火地域内
    bool newBuilding = true;   // 新築 (else 増築・改築・移転…)
    bool residential = false;  // a dwelling use only
};

// 第6条第1項各号; Item4 is the 旧4号 of the rules before 2025-04-01.
enum class ReviewItem { Item1, Item2, Item3, Item4, NotRequired };
enum class Architect { Anyone, Mokuzo, Nikyu, Ikkyu };
QString architectName(Architect a);

struct Classification {
    RuleSet ruleSet = RuleSet::From2025;
    ReviewItem item = ReviewItem::NotRequired;
    QString itemText, itemBasis;
    bool exemption = false;  // 審査省略 (第6条の4) may apply when an architect designs it
    QString exemptionText, exemptionBasis;
    bool calculation = false;  // 構造計算 required
    QString structureText, structureBasis;
    bool suitability = false;  // 構造計算適合性判定 expected
    QString suitabilityText, suitabilityBasis;
    bool energyReview = false;  // 省エネ適合性判定 expected
    QString energyText, energyBasis;
    Architect architect = Architect::Anyone;
    QString architectText, architectBasis;
};
Classification classify(const BuildingFacts& b, RuleSet rules);

// The category of 別表第一（い）欄 (1–6) a use code belongs to, 0 for none,
// with its source (別表第一 or 令第115条の3).
struct SpecialUse {
    const char* code;
    int category;
    bool ikkyuUse;  // 建築士法第3条第1項第1号's uses (学校, 病院, 劇場, 集会場, 百貨店…)
    const char* basis;
};
const SpecialUse* specialUse(const QString& useCode);

// The facts of building b (0-based) of a project, as the faces hold them.
BuildingFacts factsOf(const ProjectData& p, int building);

// ------------------------------------------------------------ the check

struct Context {
    PostalLookup* postal = nullptr;  // postal codes against addresses; skipped without
    const BoxFit* fit = nullptr;     // texts against their printed boxes; skipped without
};

struct Report {
    RuleSet ruleSet = RuleSet::From2025;
    QVector<Classification> buildings;
    QVector<Finding> findings;

    int count(Severity s, int document = -1) const;
};

Report check(const ProjectData& p, const Context& context);

// One line per finding for the command line: severity, rule id, field,
// message, rule and basis, tab-separated.
QString findingLine(const Finding& f);
// The findings as a JSON array of objects with the same fields.
QByteArray findingsJson(const QVector<Finding>& findings);
// README's table of every rule, in Markdown.
QString rulesMarkdown();

}  // namespace ShinseiCheck
