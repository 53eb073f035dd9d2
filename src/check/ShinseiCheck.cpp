#include "ShinseiCheck.h"

#include "BoxFit.h"
#include "PostalLookup.h"
#include "SiteRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace ShinseiCheck {

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr unsigned doc(int i)
{
    return 1u << i;
}
// The documents of the output menu that the faults of a rule hold up.
constexpr unsigned kApplication = doc(0) | doc(1);  // 確認申請 and its 概要書
constexpr unsigned kEveryDocument = 0;

// The rules. Conclusions of the classification are 情報; a fault that an
// agency sends back is an エラー; what may be right but usually is not is a
// 警告. The field is where the user corrects it.
const Rule kRules[] = {
    // Classification under the law in force.
    {"CL-RULESET", Severity::Info, "工事着手予定年月日により、令和7年4月1日施行の改正前又は改正後の規定で判定します。",
     "建築基準法等の一部を改正する法律（令和4年法律第69号）附則", "SHIKICHI", "Day1", kEveryDocument},
    {"CL-START", Severity::Warning, "判定に使う工事着手予定年月日を入力します（未入力のときは現行の規定で判定します）。",
     "建築確認申請書 第三面 15", "SHIKICHI", "Day1", kApplication},
    {"CL-ITEM", Severity::Info, "用途とその床面積、階数、延べ面積、都市計画区域の内外から確認申請の区分を定めます。",
     "建築基準法第6条第1項", "TATEMONOBETU", "Kubun30", kEveryDocument},
    {"CL-EXEMPT", Severity::Info, "建築士の設計に係る第6条第1項第3号（改正前は第4号）の建築物は審査の一部が省略されます。",
     "建築基準法第6条の4第1項第3号、令第10条", "TATEMONOBETU", "Umu40", kEveryDocument},
    {"CL-STRUCT", Severity::Info, "構造・階数・高さ・延べ面積から構造計算の要否を定めます（木造は階数3以上又は延べ面積300㎡超）。",
     "建築基準法第20条第1項", "TATEMONOBETU", "Zou31", kEveryDocument},
    {"CL-TEKIHAN", Severity::Info, "特定構造計算基準（許容応力度等計算・保有水平耐力計算等）による建築物は構造計算適合性判定を要します。",
     "建築基準法第6条の3第1項", "GAIYOU", "Tekihan1", kEveryDocument},
    {"CL-SHOENE", Severity::Info, "建築物エネルギー消費性能確保計画の適合性判定の要否を定めます。",
     "建築物のエネルギー消費性能の向上等に関する法律第11条・第12条", "GAIYOU", "Shoene1", kEveryDocument},
    {"CL-ARCHITECT", Severity::Info, "用途・構造・規模から設計及び工事監理をすることができる建築士を定めます。",
     "建築士法第3条〜第3条の3", "GAIYOU", "Kyu2", kEveryDocument},
    // Numbers.
    {"N-FLOOR-SUM", Severity::Error, "各階の床面積の和が建築物別の床面積の合計と一致すること。", "建築確認申請書 第四面 12",
     "TATEMONOBETU", "Men58", kApplication},
    {"N-SITE-SUM", Severity::Error, "建築物別の床面積（申請部分）の和が第三面の延べ面積と一致し、合計が申請部分と申請以外の部分の和であること。",
     "建築確認申請書 第三面 11・第四面 12", "SHIKICHI", "Men4", kApplication},
    {"N-FLOOR-USE", Severity::Warning, "階別概要の用途別床面積の和がその階の床面積と一致すること。",
     "建築確認申請書 第五面 7・第四面 12", "KAIBETU", "F1Men60", kApplication},
    {"N-COVERAGE", Severity::Error, "建築面積（建蔽率の算定の基礎）が敷地面積×建蔽率（区域ごとに敷地面積で加重）以下であること。",
     "建築基準法第53条第1項・第2項", "SHIKICHI", "Men20", kApplication},
    {"N-FAR", Severity::Error, "容積率の算定の基礎となる延べ面積が敷地面積×容積率（区域ごとに敷地面積で加重）以下であること。",
     "建築基準法第52条第1項・第7項", "SHIKICHI", "Men4", kApplication},
    {"N-RATIO-LIMIT", Severity::Warning, "敷地面積のある区域には容積率と建蔽率を入力すること。", "建築確認申請書 第三面 7 ハ・ニ",
     "SHIKICHI", "Par1", kApplication},
    {"N-RATIO-SHOWN", Severity::Warning, "印字する建蔽率・容積率が面積から計算した値と一致すること。", "建築確認申請書 第三面 10 ハ・11 タ",
     "SHIKICHI", "Men1", kApplication},
    {"N-HEIGHT", Severity::Error, "最高の高さが最高の軒の高さ以上であること。", "建築確認申請書 第四面 9",
     "TATEMONOBETU", "Takasa30", kApplication},
    {"N-STOREYS", Severity::Error, "地上・地階の階数と床面積の階の数が一致すること。", "建築確認申請書 第四面 8・12",
     "TATEMONOBETU", "Kai30", kApplication},
    {"N-SITE-BUILDING", Severity::Warning, "第三面の高さ・階数が申請に係る建築物（第四面）の最高の高さ・最多の階数と一致すること。",
     "建築確認申請書 第三面 13", "SHIKICHI", "Taka1", kApplication},
    {"N-DATE-FORMAT", Severity::Error, "予定年月日は日付として読める形で入力すること。", "建築確認申請書 第三面 15〜17",
     "SHIKICHI", "Day1", kApplication},
    {"N-DATES", Severity::Error, "工事着手予定年月日 ≦ 特定工程工事終了予定年月日 ≦ 工事完了予定年月日であること。",
     "建築確認申請書 第三面 15〜17", "SHIKICHI", "Day2", kApplication},
    // Completeness of the documents.
    {"D-OWNER", Severity::Error, "建築主の氏名と住所を入力すること。", "建築確認申請書 第二面 1", "GAIYOU", "Name7",
     kApplication | doc(3)},
    {"D-DESIGNER", Severity::Error, "代表となる設計者の氏名・資格・登録番号を入力すること。", "建築確認申請書 第二面 3",
     "GAIYOU", "Name2", kApplication},
    {"D-OFFICE", Severity::Warning, "設計者の建築士事務所の名称と登録番号を入力すること。", "建築確認申請書 第二面 3、建築士法第23条の10",
     "GAIYOU", "Name1", kApplication},
    {"D-ARCH-CLASS", Severity::Error, "設計者・工事監理者の資格が、建築物の用途・構造・規模に必要な建築士以上であること。",
     "建築士法第3条〜第3条の3", "GAIYOU", "Kyu2", kApplication},
    {"D-SUPERVISOR", Severity::Error, "建築士による工事監理を要する建築物には工事監理者（氏名・資格・登録番号）を定めること。",
     "建築基準法第5条の6第4項、建築確認申請書 第二面 5", "GAIYOU", "Name3", kApplication},
    {"D-TEKIHAN", Severity::Error, "構造計算適合性判定を要する建築物は欄7に「申請済」又は「未申請」とその申請先を記載すること。",
     "建築基準法第6条の3第1項、建築確認申請書 第二面 7", "GAIYOU", "Tekihan1", kApplication},
    {"D-SHOENE", Severity::Error, "欄8の提出の別を選び、「提出不要」のときはその理由を、提出済・未提出のときは提出先を記載すること。",
     "建築確認申請書 第二面 8、建築物のエネルギー消費性能の向上等に関する法律施行規則第2条第1項", "GAIYOU", "Shoene1",
     kApplication},
    {"D-TOKUREI", Severity::Error, "確認の特例（第6条の4）の適用は対象の建築物に限り、適用するときは令第10条の区分を記載すること。",
     "建築基準法第6条の4第1項、令第10条、建築確認申請書 第四面 11", "TATEMONOBETU", "Umu40", kApplication},
    {"D-SITE", Severity::Error, "地名地番・敷地面積・主要用途・工事種別を入力すること。", "建築確認申請書 第三面 1・7・8・9",
     "SHIKICHI", "Tiban", kApplication},
    {"D-BUILDING", Severity::Error, "建築物ごとに主要用途・構造・階数・床面積を入力すること。", "建築確認申請書 第四面 2・4・8・12",
     "TATEMONOBETU", "Kubun30", kApplication},
    {"D-AGENT", Severity::Error, "委任状には代理者の氏名・資格・登録番号と委任する事項を記載すること。", "委任状",
     "GAIYOU", "Name5", doc(3)},
    {"D-INSPECTION", Severity::Error,
     "中間・完了検査申請には確認済証番号・交付年月日・工事着手年月日を記載し、交付 ≦ 着手 ≦ 特定工程工事終了 ≦ 工事完了の順であること。",
     "建築基準法施行規則第4条・第4条の8、第十九号様式・第二十六号様式", "KANRYOU", "Gou2", doc(5) | doc(6)},
    {"D-POSTAL", Severity::Warning, "郵便番号と住所が郵便番号表で一致すること。", "郵便番号表（日本郵便）", "GAIYOU", "Post6",
     kEveryDocument},
    {"D-FIT", Severity::Warning, "文字が印字する枠に収まること（収まらない部分は印字されません）。", "様式の記入欄",
     "GAIYOU", "Name7", kEveryDocument},
    {"D-FIT-ANNEX", Severity::Info, "枠に収まらない文字は別紙に続けて印字されます。", "様式の記入欄（別紙）", "GAIYOU", "Name7",
     kEveryDocument},
};

// 別表第一（い）欄 by use code (用途区分). Category 2 takes the 児童福祉施設等
// of 令第115条の3第1号, 3 the sports uses of its 第2号, 4 the 公衆浴場・
// 飲食店・物品販売業を営む店舗 of its 第3号.
const SpecialUse kSpecialUses[] = {
    {"08030", 2, false, "別表第一（い）欄（二）項 共同住宅"},
    {"08040", 2, false, "別表第一（い）欄（二）項 寄宿舎"},
    {"08050", 2, false, "別表第一（い）欄（二）項 下宿"},
    {"08070", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08080", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08082", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08090", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08100", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08110", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08120", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08130", 3, true, "別表第一（い）欄（三）項 学校"},
    {"08132", 2, true, "別表第一（い）欄（二）項 児童福祉施設等（令第115条の3第1号）"},
    {"08140", 3, false, "別表第一（い）欄（三）項 図書館"},
    {"08150", 3, false, "別表第一（い）欄（三）項 博物館"},
    {"08152", 3, false, "別表第一（い）欄（三）項 美術館"},
    {"08170", 2, false, "別表第一（い）欄（二）項 児童福祉施設等（令第115条の3第1号、令第19条第1項）"},
    {"08180", 2, false, "別表第一（い）欄（二）項 児童福祉施設等（令第115条の3第1号、令第19条第1項）"},
    {"08190", 2, false, "別表第一（い）欄（二）項 児童福祉施設等（令第115条の3第1号）"},
    {"08210", 2, false, "別表第一（い）欄（二）項 児童福祉施設等（令第115条の3第1号）"},
    {"08240", 4, false, "別表第一（い）欄（四）項 公衆浴場（令第115条の3第3号）"},
    {"08250", 2, false, "別表第一（い）欄（二）項 診療所（患者の収容施設があるもの）"},
    {"08270", 2, true, "別表第一（い）欄（二）項 病院"},
    {"08360", 6, false, "別表第一（い）欄（六）項 自動車修理工場"},
    {"08380", 3, false, "別表第一（い）欄（三）項 ボーリング場・スケート場・水泳場等（令第115条の3第2号）"},
    {"08390", 3, false, "別表第一（い）欄（三）項 体育館・スポーツの練習場（令第115条の3第2号）"},
    {"08400", 4, false, "別表第一（い）欄（四）項 遊技場"},
    {"08410", 2, false, "別表第一（い）欄（二）項 ホテル・旅館"},
    {"08440", 4, false, "別表第一（い）欄（四）項 物品販売業を営む店舗（令第115条の3第3号）"},
    {"08450", 4, true, "別表第一（い）欄（四）項 百貨店・マーケット・物品販売業を営む店舗"},
    {"08452", 4, false, "別表第一（い）欄（四）項 飲食店（令第115条の3第3号）"},
    {"08454", 4, false, "別表第一（い）欄（四）項 飲食店（令第115条の3第3号）"},
    {"08480", 6, false, "別表第一（い）欄（六）項 映画スタジオ・テレビスタジオ"},
    {"08490", 6, false, "別表第一（い）欄（六）項 自動車車庫"},
    {"08510", 5, false, "別表第一（い）欄（五）項 倉庫"},
    {"08520", 5, false, "別表第一（い）欄（五）項 倉庫"},
    {"08530", 1, true, "別表第一（い）欄（一）項 劇場・映画館・演芸場"},
    {"08540", 1, true, "別表第一（い）欄（一）項 観覧場"},
    {"08550", 1, true, "別表第一（い）欄（一）項 公会堂・集会場"},
    {"08560", 4, false, "別表第一（い）欄（四）項 展示場"},
    {"08570", 4, false, "別表第一（い）欄（四）項 料理店（令第115条の3第3号）"},
    {"08580", 4, false, "別表第一（い）欄（四）項 キャバレー・カフェー・ナイトクラブ・バー"},
    {"08590", 4, false, "別表第一（い）欄（四）項 ダンスホール"},
    {"08600", 4, false, "別表第一（い）欄（四）項 公衆浴場（令第115条の3第3号）"},
};

// Uses that are dwellings for the energy rules (住宅 of 建築物省エネ法).
bool isDwelling(const QString& code)
{
    static const QStringList codes{s("08010"), s("08020"), s("08030"), s("08040"), s("08050")};
    return codes.contains(code);
}

const char* const kDocuments[] = {
    "確認申請", "概要書", "工事届", "委任状", "計画変更", "中間申請",
    "完了申請", "除去届", "防火対象物", "監理報告", "台帳", "記録",
};
constexpr int kDocumentCount = static_cast<int>(std::size(kDocuments));

// ------------------------------------------------------------ reading the faces

QString text(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return v.isNull() ? QString() : v.toString().trimmed();
}

bool given(const RowValues& row, const QString& column)
{
    return !text(row, column).isEmpty();
}

bool ticked(const RowValues& row, const QString& column)
{
    const QVariant v = row.value(column);
    return !v.isNull() && v.toString().trimmed() != QLatin1String("0") && !v.toString().trimmed().isEmpty();
}

// A typed number as it is, unrounded: full-width digits and grouping commas
// are read, anything else after the number ends it.
double number(const QString& typed)
{
    QString t = typed.normalized(QString::NormalizationForm_KC).trimmed();
    t.remove(QLatin1Char(','));
    int end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    while (end < t.size() && (t[end].isDigit() || t[end] == QLatin1Char('.')))
        ++end;
    bool ok = false;
    const double v = t.left(end).toDouble(&ok);
    return ok ? v : 0;
}

double number(const RowValues& row, const QString& column)
{
    return number(text(row, column));
}

QString col(const char* stem, int n)
{
    return s(stem) + QString::number(n);
}

// An area as the forms print it: truncated to two decimals.
QString area(double v)
{
    return QString::number(std::floor(v * 100 + 1e-6) / 100, 'f', 2);
}

QString percent(double v)
{
    return QString::number(std::floor(v * 100 + 1e-6) / 100, 'f', 2);
}

// Areas typed with two decimals agree when they differ by less than half a
// hundredth.
bool same(double a, double b)
{
    return std::fabs(a - b) < 0.005;
}

Material materialOf(const QString& structure)
{
    const QString t = structure.trimmed();
    if (t.startsWith(s("木造")))
        return Material::Wood;
    if (t.contains(s("ブロック")) || t.contains(s("れんが")) || t.contains(s("石造")) || t.contains(s("組積"))
        || t.contains(s("無筋")))
        return Material::Masonry;
    if (t.contains(s("鉄骨鉄筋")) || t.contains(s("鉄筋コンクリート")) || t.contains(s("プレストレスト")))
        return Material::Concrete;
    if (t.contains(s("鉄骨")) || t.contains(s("鋼")))
        return Material::Steel;
    return Material::Other;
}

QString itemName(ReviewItem item, RuleSet rules)
{
    switch (item) {
    case ReviewItem::Item1:
        return s("第1号（特殊建築物）");
    case ReviewItem::Item2:
        return rules == RuleSet::From2025 ? s("第2号（新2号建築物）") : s("第2号（木造の大規模建築物）");
    case ReviewItem::Item3:
        return rules == RuleSet::From2025 ? s("第3号（新3号建築物）") : s("第3号（木造以外の建築物）");
    case ReviewItem::Item4:
        return s("第4号（旧4号建築物）");
    case ReviewItem::NotRequired:
        return s("確認不要");
    }
    return {};
}

int rank(Architect a)
{
    return static_cast<int>(a);
}

// The class a registration drop-down names: 一級, 二級, 木造; Anyone when empty.
Architect architectOf(const QString& cls)
{
    if (cls.contains(s("一級")))
        return Architect::Ikkyu;
    if (cls.contains(s("二級")))
        return Architect::Nikyu;
    if (cls.contains(s("木造")))
        return Architect::Mokuzo;
    return Architect::Anyone;
}

QString normalizedAddress(const QString& address)
{
    QString t = address.normalized(QString::NormalizationForm_KC);
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    t.replace(QChar(0x30F6), QChar(0x30B1));  // ヶ → ケ
    t.replace(QChar(0x30F5), QChar(0x30AB));  // ヵ → カ
    return t;
}

}  // namespace

// ------------------------------------------------------------ names

QString severityName(Severity sev)
{
    switch (sev) {
    case Severity::Error:
        return s("エラー");
    case Severity::Warning:
        return s("警告");
    case Severity::Info:
        break;
    }
    return s("情報");
}

QString severityKey(Severity sev)
{
    switch (sev) {
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Info:
        break;
    }
    return QStringLiteral("info");
}

const QVector<Rule>& rules()
{
    static const QVector<Rule> all(std::begin(kRules), std::end(kRules));
    return all;
}

const Rule* rule(const QString& id)
{
    for (const Rule& r : rules())
        if (id == QLatin1String(r.id))
            return &r;
    return nullptr;
}

QString documentName(int index)
{
    return index >= 0 && index < kDocumentCount ? s(kDocuments[index]) : QString();
}

QString architectName(Architect a)
{
    switch (a) {
    case Architect::Ikkyu:
        return s("一級建築士");
    case Architect::Nikyu:
        return s("一級建築士又は二級建築士");
    case Architect::Mokuzo:
        return s("一級建築士、二級建築士又は木造建築士");
    case Architect::Anyone:
        break;
    }
    return s("建築士でなくてもよい");
}

const SpecialUse* specialUse(const QString& useCode)
{
    const QString code = useCode.trimmed().rightJustified(5, QLatin1Char('0'));
    for (const SpecialUse& u : kSpecialUses)
        if (code == QLatin1String(u.code))
            return &u;
    return nullptr;
}

RuleSet ruleSetFor(const QDate& workStart)
{
    return workStart.isValid() && workStart < kReformDate ? RuleSet::Before2025 : RuleSet::From2025;
}

QString ruleSetName(RuleSet r)
{
    return r == RuleSet::Before2025 ? s("令和7年3月31日以前の規定（4号特例）") : s("令和7年4月1日施行の規定（4号特例の縮小後）");
}

// ------------------------------------------------------------ classification

Classification classify(const BuildingFacts& b, RuleSet rules)
{
    Classification c;
    c.ruleSet = rules;
    const bool now = rules == RuleSet::From2025;
    const bool wood = b.material == Material::Wood;
    const SpecialUse* special = specialUse(b.useCode);
    const QString size = s("（階数%1、延べ面積%2㎡、高さ%3m）").arg(b.storeys).arg(area(b.totalArea)).arg(b.height);
    const QString old = now ? QString() : s("（改正前）");

    // 第6条第1項: the kind of review, decided by the building after the works.
    if (!b.newBuilding && !b.fireZone && b.workArea > 0 && b.workArea <= 10) {
        c.item = ReviewItem::NotRequired;
        c.itemBasis = s("建築基準法第6条第2項");
        c.itemText = s("防火・準防火地域外の10㎡以内の増築等のため確認は不要です。");
    } else if (special && b.specialArea > 200) {
        c.item = ReviewItem::Item1;
        c.itemBasis = s("建築基準法第6条第1項第1号") + old + s("、") + s(special->basis);
        c.itemText = s("特殊建築物の用途の床面積が%1㎡で200㎡を超えます。").arg(area(b.specialArea));
    } else if (now && (b.storeys >= 2 || b.totalArea > 200)) {
        c.item = ReviewItem::Item2;
        c.itemBasis = s("建築基準法第6条第1項第2号");
        c.itemText = s("階数2以上又は延べ面積200㎡超の建築物です") + size + s("。");
    } else if (!now && wood && (b.storeys >= 3 || b.totalArea > 500 || b.height > 13 || b.eaves > 9)) {
        c.item = ReviewItem::Item2;
        c.itemBasis = s("建築基準法第6条第1項第2号（改正前）");
        c.itemText = s("木造で階数3以上、延べ面積500㎡超、高さ13m超又は軒の高さ9m超です") + size + s("。");
    } else if (!now && !wood && (b.storeys >= 2 || b.totalArea > 200)) {
        c.item = ReviewItem::Item3;
        c.itemBasis = s("建築基準法第6条第1項第3号（改正前）");
        c.itemText = s("木造以外で階数2以上又は延べ面積200㎡超です") + size + s("。");
    } else if (b.planningArea) {
        c.item = now ? ReviewItem::Item3 : ReviewItem::Item4;
        c.itemBasis = now ? s("建築基準法第6条第1項第3号") : s("建築基準法第6条第1項第4号（改正前）");
        c.itemText = s("都市計画区域等の内の小規模な建築物です") + size + s("。");
    } else {
        c.item = ReviewItem::NotRequired;
        c.itemBasis = s("建築基準法第6条第1項");
        c.itemText = s("都市計画区域等の外の小規模な建築物のため確認は不要です") + size + s("。");
    }

    // 第6条の4: the architect's design takes parts of the review off.
    const ReviewItem exemptItem = now ? ReviewItem::Item3 : ReviewItem::Item4;
    c.exemption = c.item == exemptItem;
    c.exemptionBasis = now ? s("建築基準法第6条の4第1項第3号、令第10条第3号・第4号")
                           : s("建築基準法第6条の4第1項第3号（改正前）、令第10条（改正前）");
    c.exemptionText = c.exemption ? s("建築士が設計すれば審査省略（確認の特例）を適用できます。")
                                  : s("審査省略（確認の特例）は適用できません（型式適合認定によるものを除く）。");

    // 第20条第1項: which structural standard, and whether it is calculated.
    const double h = b.height;
    int item20 = 4;
    if (h > 60) {
        item20 = 1;
    } else if (wood ? (now ? (b.aboveGround >= 4 || h > 16) : (h > 13 || b.eaves > 9))
                    : ((b.material == Material::Steel && b.aboveGround >= 4) || (b.material == Material::Concrete && h > 20))) {
        item20 = 2;
    } else if (now) {
        const bool reviewed = c.item == ReviewItem::Item1 || c.item == ReviewItem::Item2;
        if (reviewed && (!wood || b.aboveGround >= 3 || b.totalArea > 300))
            item20 = 3;
    } else if (wood ? (b.storeys >= 3 || b.totalArea > 500) : (b.storeys >= 2 || b.totalArea > 200)) {
        item20 = 3;
    }
    c.calculation = item20 <= 3;
    c.structureBasis = s("建築基準法第20条第1項第%1号").arg(item20) + old;
    switch (item20) {
    case 1:
        c.structureText = s("高さ60m超：時刻歴応答解析等による構造計算と大臣認定が必要です。");
        break;
    case 2:
        c.structureText = s("許容応力度等計算・保有水平耐力計算等（特定構造計算基準）による構造計算が必要です。");
        break;
    case 3:
        c.structureText = wood ? s("木造で階数3以上又は延べ面積%1㎡超のため構造計算（許容応力度計算）が必要です。")
                                     .arg(now ? 300 : 500)
                               : s("構造計算（許容応力度計算）が必要です。");
        break;
    default:
        c.structureText = s("構造計算は不要です（仕様規定による）。");
        break;
    }

    // 第6条の3: 構造計算適合性判定 for the 特定構造計算基準.
    c.suitability = item20 == 2;
    c.suitabilityBasis = s("建築基準法第6条の3第1項");
    c.suitabilityText = c.suitability ? s("構造計算適合性判定が必要です（ルート2を審査できる建築主事等による場合を除く）。")
                                      : s("構造計算適合性判定は不要です（大臣認定プログラムによる計算を除く）。");

    // 建築物省エネ法: from 2025-04 every building but the smallest works; before, non-dwellings of 300㎡ or more.
    if (now) {
        c.energyReview = b.workArea > 10 && !c.exemption && c.item != ReviewItem::NotRequired;
        c.energyBasis = s("建築物のエネルギー消費性能の向上等に関する法律第11条・第12条（令和7年4月1日施行）");
        if (c.exemption)
            c.energyText = s("審査省略の対象（建築士の設計による新3号建築物）のため適合性判定は要しません。");
        else if (c.energyReview)
            c.energyText = b.residential ? s("省エネ基準への適合が必要です（住宅で仕様基準による場合等は適合性判定を要しません）。")
                                         : s("省エネ適合性判定が必要です。");
        else
            c.energyText = s("床面積10㎡以下の工事等のため適合性判定は要しません。");
    } else {
        c.energyReview = !b.residential && b.workArea >= 300;
        c.energyBasis = s("建築物のエネルギー消費性能の向上等に関する法律第11条（改正前）");
        c.energyText = c.energyReview ? s("非住宅部分300㎡以上のため省エネ適合性判定が必要です。")
                                      : (b.residential && b.workArea >= 300 ? s("住宅300㎡以上のため所管行政庁への届出（第19条）が必要です。")
                                                                           : s("省エネ適合性判定は要しません。"));
    }

    // 建築士法第3条〜第3条の3: the works are taken as new (第3条第2項).
    const double a = b.newBuilding ? b.totalArea : b.workArea;
    const bool listedMaterial = b.material == Material::Steel || b.material == Material::Concrete
                                || b.material == Material::Masonry;
    const double highLimit = now ? 16 : 13;
    const bool high = h > highLimit || (!now && b.eaves > 9) || (now && b.aboveGround >= 4);
    if (special && special->ikkyuUse && a > 500) {
        c.architect = Architect::Ikkyu;
        c.architectBasis = s("建築士法第3条第1項第1号");
    } else if (wood && high) {
        c.architect = Architect::Ikkyu;
        c.architectBasis = s("建築士法第3条第1項第2号");
    } else if (listedMaterial && (a > 300 || high)) {
        c.architect = Architect::Ikkyu;
        c.architectBasis = s("建築士法第3条第1項第3号");
    } else if (a > 1000 && b.storeys >= 2) {
        c.architect = Architect::Ikkyu;
        c.architectBasis = s("建築士法第3条第1項第4号");
    } else if ((listedMaterial && a > 30) || a > (wood ? 300 : 100) || b.storeys >= 3) {
        c.architect = Architect::Nikyu;
        c.architectBasis = s("建築士法第3条の2第1項");
    } else if (wood && a > 100) {
        c.architect = Architect::Mokuzo;
        c.architectBasis = s("建築士法第3条の3第1項");
    } else {
        c.architect = Architect::Anyone;
        c.architectBasis = s("建築士法第3条〜第3条の3");
    }
    if (!now && c.architect != Architect::Anyone)
        c.architectBasis += s("（改正前）");
    c.architectText = c.architect == Architect::Anyone ? s("設計・工事監理は建築士でなくても行えます。")
                                                       : s("設計・工事監理は%1が行います。").arg(architectName(c.architect));
    return c;
}

BuildingFacts factsOf(const ProjectData& p, int building)
{
    BuildingFacts f;
    const RowValues& row = p.buildings[building];
    f.useCode = text(row, s("Kubun30"));
    if (f.useCode.isEmpty() && building == 0)
        f.useCode = text(p.shikichi, s("Kubun"));
    double applied = 0, other = 0;
    for (int i = 0; i < ProjectTables::kFloorSlots; ++i) {
        applied += number(row, col("Men", 40 + 3 * i));
        other += number(row, col("Men", 41 + 3 * i));
    }
    f.workArea = given(row, s("Men58")) ? number(row, s("Men58")) : applied;
    f.totalArea = given(row, s("Men60")) ? number(row, s("Men60"))
                                         : f.workArea + (given(row, s("Men59")) ? number(row, s("Men59")) : other);
    // The floor areas by use of the per-floor faces, where they are given.
    bool byUse = false;
    double special = 0;
    for (int slot = 0; slot < ProjectTables::kFloorSlots; ++slot) {
        const RowValues& fl = p.floors[building * ProjectTables::kFloorSlots + slot];
        for (int u = 60; u <= 65; ++u) {
            if (!given(fl, col("F1Men", u)))
                continue;
            byUse = true;
            if (specialUse(text(fl, col("F1Kubun", u))))
                special += number(fl, col("F1Men", u));
        }
    }
    f.specialArea = byUse ? special : (specialUse(f.useCode) ? f.totalArea : 0);
    f.aboveGround = static_cast<int>(number(row, s("Kai30")));
    f.storeys = f.aboveGround + static_cast<int>(number(row, s("Kai31")));
    f.height = number(row, s("Takasa30"));
    f.eaves = number(row, s("Takasa31"));
    f.material = materialOf(text(row, s("Zou31")));
    const RowValues& site = p.shikichi;
    bool anyArea = false, inside = false;
    for (int i = 1; i <= 6; ++i) {
        if (ticked(site, col("Tosi", i))) {
            anyArea = true;
            inside = inside || i <= 5;
        }
    }
    f.planningArea = !anyArea || inside;
    f.fireZone = ticked(site, s("Bou1")) || ticked(site, s("Bou2"));
    bool anyKind = false;
    for (int i = 31; i <= 37; ++i)
        anyKind = anyKind || ticked(row, col("shubetu", i));
    f.newBuilding = anyKind ? ticked(row, s("shubetu31")) : (ticked(site, s("Shubetu1")) || !ticked(site, s("shubetu2")));
    f.residential = isDwelling(f.useCode.rightJustified(5, QLatin1Char('0')));
    return f;
}

// ------------------------------------------------------------ the check

namespace {

class Checker {
public:
    Checker(const ProjectData& p, const Context& c) : m_p(p), m_c(c) {}

    Report run();

private:
    Finding& add(const char* id, const QString& message, const QString& field = QString(), int building = 0,
                 const QString& table = QString())
    {
        const Rule* r = rule(QLatin1String(id));
        Finding f;
        f.ruleId = QLatin1String(id);
        f.severity = r->severity;
        f.rule = s(r->text);
        f.basis = s(r->basis);
        f.message = message;
        f.table = table.isEmpty() ? QLatin1String(r->table) : table;
        f.field = field.isEmpty() ? QLatin1String(r->field) : field;
        f.building = building;
        f.docs = r->docs;
        m_report.findings.append(f);
        return m_report.findings.last();
    }

    void classification();
    void floorAreas();
    void ratios();
    void heightsAndStoreys();
    void dates();
    void people();
    void reviews();
    void siteAndBuildings();
    void inspection();
    void postalCodes();
    void boxes();

    const ProjectData& m_p;
    const Context& m_c;
    Report m_report;
    QVector<BuildingFacts> m_facts;
};

Report Checker::run()
{
    classification();
    floorAreas();
    ratios();
    heightsAndStoreys();
    dates();
    siteAndBuildings();
    people();
    reviews();
    inspection();
    postalCodes();
    boxes();
    return m_report;
}

void Checker::classification()
{
    const QString startText = text(m_p.shikichi, s("Day1"));
    const QDate start = SiteRules::parseDate(startText);
    m_report.ruleSet = ruleSetFor(start);
    if (!start.isValid())
        add("CL-START", startText.isEmpty() ? s("工事着手予定年月日が未入力です。現行の規定で判定しました。")
                                            : s("工事着手予定年月日「%1」を日付として読めません。現行の規定で判定しました。").arg(startText));
    add("CL-RULESET", s("%1で判定しました。").arg(ruleSetName(m_report.ruleSet)));
    const int count = std::clamp(m_p.buildingCount, 1, ProjectTables::kBuildings);
    for (int b = 0; b < count; ++b) {
        BuildingFacts f = factsOf(m_p, b);
        // 構造計算の区分 of the independent parts: a 特定構造計算基準 calls for the review whatever the size.
        bool specified = false;
        for (const RowValues& part : m_p.partsOf(b))
            specified = specified || ticked(part, s("Kijun1")) || ticked(part, s("Keisan2")) || ticked(part, s("Keisan3"))
                        || ticked(part, s("Keisan4")) || (ticked(part, s("Keisan5")) && ticked(part, s("ProgKubun1")));
        Classification c = classify(f, m_report.ruleSet);
        if (specified && !c.suitability) {
            c.suitability = true;
            c.suitabilityText = s("独立部分の構造計算の区分（特定構造計算基準・大臣認定プログラム）により構造計算適合性判定が必要です。");
        }
        m_facts.append(f);
        m_report.buildings.append(c);
        const int n = b + 1;
        const QString who = count > 1 ? s("（%1棟目）").arg(n) : QString();
        add("CL-ITEM", itemName(c.item, c.ruleSet) + s("：") + c.itemText + who, QString(), n).basis = c.itemBasis;
        add("CL-EXEMPT", c.exemptionText + who, QString(), n).basis = c.exemptionBasis;
        add("CL-STRUCT", c.structureText + who, QString(), n).basis = c.structureBasis;
        add("CL-TEKIHAN", c.suitabilityText + who).basis = c.suitabilityBasis;
        add("CL-SHOENE", c.energyText + who).basis = c.energyBasis;
        add("CL-ARCHITECT", c.architectText + who).basis = c.architectBasis;
    }
}

void Checker::floorAreas()
{
    const int count = m_report.buildings.size();
    double appliedAll = 0, totalAll = 0;
    bool anyBuildingArea = false;
    for (int b = 0; b < count; ++b) {
        const RowValues& row = m_p.buildings[b];
        double applied = 0, other = 0;
        bool anyFloor = false;
        for (int i = 0; i < ProjectTables::kFloorSlots; ++i) {
            anyFloor = anyFloor || given(row, col("Men", 40 + 3 * i)) || given(row, col("Men", 41 + 3 * i));
            applied += number(row, col("Men", 40 + 3 * i));
            other += number(row, col("Men", 41 + 3 * i));
        }
        const int n = b + 1;
        if (anyFloor && given(row, s("Men58")) && !same(applied, number(row, s("Men58"))))
            add("N-FLOOR-SUM", s("%1棟目：各階の申請部分の和 %2㎡ ≠ 合計欄 %3㎡")
                                   .arg(n).arg(area(applied), area(number(row, s("Men58")))), s("Men58"), n);
        if (anyFloor && given(row, s("Men59")) && !same(other, number(row, s("Men59"))))
            add("N-FLOOR-SUM", s("%1棟目：各階の申請以外の部分の和 %2㎡ ≠ 合計欄 %3㎡")
                                   .arg(n).arg(area(other), area(number(row, s("Men59")))), s("Men59"), n);
        if (given(row, s("Men60"))
            && !same(number(row, s("Men58")) + number(row, s("Men59")), number(row, s("Men60"))))
            add("N-FLOOR-SUM", s("%1棟目：申請部分と申請以外の部分の和 %2㎡ ≠ 合計 %3㎡")
                                   .arg(n).arg(area(number(row, s("Men58")) + number(row, s("Men59"))),
                                              area(number(row, s("Men60")))), s("Men58"), n);
        anyBuildingArea = anyBuildingArea || given(row, s("Men58")) || anyFloor;
        appliedAll += m_facts[b].workArea;
        totalAll += m_facts[b].totalArea;

        // The per-floor faces' areas by use against the floor's line.
        for (int slot = 0; slot < ProjectTables::kFloorSlots; ++slot) {
            const RowValues& fl = m_p.floors[b * ProjectTables::kFloorSlots + slot];
            double byUse = 0;
            bool any = false;
            for (int u = 60; u <= 65; ++u) {
                any = any || given(fl, col("F1Men", u));
                byUse += number(fl, col("F1Men", u));
            }
            if (!any)
                continue;
            const double line = number(row, col("Men", 40 + 3 * slot)) + number(row, col("Men", 41 + 3 * slot));
            if (!same(byUse, line)) {
                const QString name = text(row, col("Kai", 40 + slot));
                Finding& f = add("N-FLOOR-USE", s("%1棟目 %2：用途別床面積の和 %3㎡ ≠ 第四面の床面積 %4㎡")
                                                    .arg(n).arg(name.isEmpty() ? s("%1行目").arg(slot + 1) : name,
                                                               area(byUse), area(line)),
                                 s("F1Men60"), n);
                f.floor = slot;
            }
        }
    }
    const RowValues& site = m_p.shikichi;
    if (anyBuildingArea && given(site, s("Men4")) && !same(appliedAll, number(site, s("Men4"))))
        add("N-SITE-SUM", s("建築物別の申請部分の和 %1㎡ ≠ 第三面 延べ面積（申請部分）%2㎡")
                              .arg(area(appliedAll), area(number(site, s("Men4")))));
    if (given(site, s("Men6")) && !same(number(site, s("Men4")) + number(site, s("Men5")), number(site, s("Men6"))))
        add("N-SITE-SUM", s("第三面 延べ面積：申請部分と申請以外の部分の和 %1㎡ ≠ 合計 %2㎡")
                              .arg(area(number(site, s("Men4")) + number(site, s("Men5"))), area(number(site, s("Men6")))),
            s("Men5"));
    if (anyBuildingArea && given(site, s("Men6")) && totalAll > number(site, s("Men6")) + 0.005)
        add("N-SITE-SUM", s("建築物別の合計の和 %1㎡ が第三面 延べ面積の合計 %2㎡ を超えています")
                              .arg(area(totalAll), area(number(site, s("Men6")))),
            s("Men5"));
}

void Checker::ratios()
{
    const RowValues& site = m_p.shikichi;
    double siteArea = 0, coverageAllowed = 0, farAllowed = 0;
    bool coverageKnown = true, farKnown = true;
    for (int z = 0; z < 4; ++z) {
        const double a = number(site, col("Size", 5 + z));
        if (a <= 0)
            continue;
        siteArea += a;
        if (!given(site, col("Par", 1 + z))) {
            farKnown = false;
            add("N-RATIO-LIMIT", s("区域%1：容積率が未入力です。").arg(z + 1), col("Par", 1 + z));
        }
        if (!given(site, col("Par", 5 + z))) {
            coverageKnown = false;
            add("N-RATIO-LIMIT", s("区域%1：建蔽率が未入力です。").arg(z + 1), col("Par", 5 + z));
        }
        farAllowed += a * number(site, col("Par", 1 + z)) / 100;
        coverageAllowed += a * number(site, col("Par", 5 + z)) / 100;
    }
    if (siteArea <= 0)
        return;
    // ヘ and ト, where given, are the ratios after 第52条第2項 and 第53条第3項:
    // a figure such as 0.6 or 2.0, read as a percentage when above 20.
    const auto fraction = [](double v) { return v > 20 ? v / 100 : v; };
    if (given(site, s("Par10"))) {
        coverageAllowed = siteArea * fraction(number(site, s("Par10")));
        coverageKnown = true;
    }
    if (given(site, s("Par9"))) {
        farAllowed = siteArea * fraction(number(site, s("Par9")));
        farKnown = true;
    }

    const bool coverageBase = number(site, s("Men20")) + number(site, s("Men21")) > 0;
    const double building = coverageBase ? number(site, s("Men20")) + number(site, s("Men21"))
                                         : number(site, s("Men1")) + number(site, s("Men2"));
    if (coverageKnown && building > coverageAllowed + 0.005)
        add("N-COVERAGE", s("建築面積 %1㎡（建蔽率 %2％）＞ 敷地面積 %3㎡ × %4％ ＝ %5㎡")
                              .arg(area(building), percent(building / siteArea * 100), area(siteArea),
                                   percent(coverageAllowed / siteArea * 100), area(coverageAllowed)),
            coverageBase ? s("Men20") : s("Men1"));

    // The base of 容積率: the whole floor area less the parts that row ロ to ヲ leave out.
    double total = number(site, s("Men4")) + number(site, s("Men5"));
    double excluded = 0;
    for (int first : {7, 23, 10, 26, 13, 29, 32, 35, 38, 41, 44})
        excluded += number(site, col("Men", first)) + number(site, col("Men", first + 1));
    const double base = total - excluded;
    if (farKnown && base > farAllowed + 0.005)
        add("N-FAR", s("容積率の算定の基礎となる延べ面積 %1㎡（容積率 %2％）＞ 敷地面積 %3㎡ × %4％ ＝ %5㎡")
                         .arg(area(base), percent(base / siteArea * 100), area(siteArea),
                              percent(farAllowed / siteArea * 100), area(farAllowed)));

    // The printed ratios, as the site window computes them, against the areas as they are now.
    const QString siteText = given(site, s("Size17")) ? text(site, s("Size17")) : QString::number(siteArea, 'f', 6);
    const QString coverage = SiteRules::coverageRatio(QString::number(building, 'f', 6), siteText);
    if (given(site, s("Par11")) && !same(number(site, s("Par11")), number(coverage)))
        add("N-RATIO-SHOWN", s("建蔽率の欄 %1％ ≠ 面積から計算した %2％").arg(text(site, s("Par11")), coverage),
            coverageBase ? s("Men20") : s("Men1"));
    const QString far = SiteRules::floorAreaRatio(text(site, s("Men4")), text(site, s("Men5")), siteText);
    if (given(site, s("Par12")) && !same(number(site, s("Par12")), number(far)))
        add("N-RATIO-SHOWN", s("容積率の欄 %1％ ≠ 面積から計算した %2％").arg(text(site, s("Par12")), far), s("Men4"));
}

void Checker::heightsAndStoreys()
{
    double highest = 0;
    int most = 0, deepest = 0;
    for (int b = 0; b < m_report.buildings.size(); ++b) {
        const RowValues& row = m_p.buildings[b];
        const int n = b + 1;
        if (given(row, s("Takasa30")) && given(row, s("Takasa31"))
            && number(row, s("Takasa31")) > number(row, s("Takasa30")) + 1e-9)
            add("N-HEIGHT", s("%1棟目：最高の高さ %2m ＜ 最高の軒の高さ %3m")
                                .arg(n).arg(text(row, s("Takasa30")), text(row, s("Takasa31"))), s("Takasa31"), n);
        for (const RowValues& part : m_p.partsOf(b))
            if (given(part, s("Takasa1")) && given(part, s("Takasa2"))
                && number(part, s("Takasa2")) > number(part, s("Takasa1")) + 1e-9)
                add("N-HEIGHT", s("%1棟目 独立部分 %2：最高の高さ %3m ＜ 最高の軒の高さ %4m")
                                    .arg(n).arg(text(part, s("Ban")), text(part, s("Takasa1")), text(part, s("Takasa2"))),
                    s("Takasa30"), n);
        highest = std::max(highest, number(row, s("Takasa30")));
        most = std::max(most, m_facts[b].aboveGround);
        deepest = std::max(deepest, m_facts[b].storeys - m_facts[b].aboveGround);

        int named = 0;
        for (int i = 0; i < ProjectTables::kFloorSlots; ++i)
            if (given(row, col("Kai", 40 + i)))
                ++named;
        const int storeys = m_facts[b].storeys;
        if ((given(row, s("Kai30")) || given(row, s("Kai31"))) && named > 0
            && named != std::min(storeys, ProjectTables::kFloorSlots))
            add("N-STOREYS", s("%1棟目：階数 地上%2階・地階%3階に対し、床面積の階は%4階分です。")
                                 .arg(n).arg(m_facts[b].aboveGround).arg(storeys - m_facts[b].aboveGround).arg(named),
                s("Kai30"), n);
        // The per-floor faces (第五面) of floors the building does not have.
        if (given(row, s("Kai30")) || given(row, s("Kai31"))) {
            for (int slot = std::max(storeys, 0); slot < ProjectTables::kFloorSlots; ++slot) {
                const RowValues& fl = m_p.floors[b * ProjectTables::kFloorSlots + slot];
                bool typed = false;
                for (const char* c : {"F1Shoukei", "F1Suityoku", "F1Takasa", "F1Tenjo", "F1Men60", "F1Men61", "F1Men62"})
                    typed = typed || given(fl, s(c));
                if (typed) {
                    add("N-STOREYS", s("%1棟目：階数は%2ですが、階別概要の%3階目にも記載があります。").arg(n).arg(storeys).arg(slot + 1),
                        s("Kai30"), n);
                    break;
                }
            }
        }
    }
    const RowValues& site = m_p.shikichi;
    if (given(site, s("Taka1")) && highest > 0 && !same(number(site, s("Taka1")), highest))
        add("N-SITE-BUILDING", s("第三面の最高の高さ %1m ≠ 第四面の最高の高さ %2m").arg(text(site, s("Taka1"))).arg(highest));
    if (given(site, s("Kai1")) && most > 0 && static_cast<int>(number(site, s("Kai1"))) != most)
        add("N-SITE-BUILDING", s("第三面の地上階数 %1 ≠ 第四面の地上階数 %2").arg(text(site, s("Kai1"))).arg(most), s("Kai1"));
    if (given(site, s("Kai3")) && static_cast<int>(number(site, s("Kai3"))) != deepest)
        add("N-SITE-BUILDING", s("第三面の地下階数 %1 ≠ 第四面の地階の階数 %2").arg(text(site, s("Kai3"))).arg(deepest), s("Kai3"));
}

void Checker::dates()
{
    const RowValues& site = m_p.shikichi;
    struct Named {
        QString column, caption;
        QDate date;
    };
    QVector<Named> all;
    const auto read = [&](const QString& column, const QString& caption) {
        const QString t = text(site, column);
        if (t.isEmpty())
            return;
        const QDate d = SiteRules::parseDate(t);
        if (!d.isValid()) {
            add("N-DATE-FORMAT", s("%1「%2」を日付として読めません。").arg(caption, t), column);
            return;
        }
        all.append({column, caption, d});
    };
    read(s("Day1"), s("工事着手予定年月日"));
    for (int k = 0; k < 3; ++k)
        read(col("Day", 3 + k), s("特定工程工事終了予定年月日（第%1回）").arg(k + 1));
    read(s("Day2"), s("工事完了予定年月日"));
    // In the order of the list: start, the stages, completion.
    for (int i = 0; i + 1 < all.size(); ++i)
        for (int j = i + 1; j < all.size(); ++j)
            if (all[i].date > all[j].date)
                add("N-DATES", s("%1 %2 が %3 %4 より後です。")
                                   .arg(all[i].caption, all[i].date.toString(QStringLiteral("yyyy/MM/dd")), all[j].caption,
                                        all[j].date.toString(QStringLiteral("yyyy/MM/dd"))),
                    all[j].column);
}

void Checker::siteAndBuildings()
{
    const RowValues& site = m_p.shikichi;
    if (!given(site, s("Tiban")))
        add("D-SITE", s("地名地番が未入力です。"), s("Tiban"));
    double siteArea = 0;
    for (int z = 0; z < 4; ++z)
        siteArea += number(site, col("Size", 5 + z));
    if (siteArea <= 0)
        add("D-SITE", s("敷地面積が未入力です。"), s("Size5"));
    if (!given(site, s("Kubun")))
        add("D-SITE", s("主要用途（区分）が未入力です。"), s("Kubun"));
    bool kind = ticked(site, s("Shubetu1"));
    for (int i = 2; i <= 7; ++i)
        kind = kind || ticked(site, col("shubetu", i));
    if (!kind)
        add("D-SITE", s("工事種別が選ばれていません。"), s("Shubetu1"));

    for (int b = 0; b < m_report.buildings.size(); ++b) {
        const RowValues& row = m_p.buildings[b];
        const int n = b + 1;
        const struct {
            const char* column;
            const char* caption;
        } needed[] = {{"Kubun30", "主要用途"}, {"Zou31", "構造"}, {"Kai30", "地上の階数"}, {"Men58", "床面積"}};
        for (const auto& item : needed)
            if (!given(row, s(item.column)) && !(QLatin1String(item.column) == QLatin1String("Men58") && m_facts[b].workArea > 0))
                add("D-BUILDING", s("%1棟目：%2が未入力です。").arg(n).arg(s(item.caption)), s(item.column), n);

        // 確認の特例 as declared on 第四面 11.
        const Classification& c = m_report.buildings[b];
        if (ticked(row, s("Umu40")) && !c.exemption && !given(row, s("Tokurei41")))
            add("D-TOKUREI", s("%1棟目：%2は審査省略の対象外ですが、確認の特例「有」になっています。")
                                 .arg(n).arg(itemName(c.item, c.ruleSet)), s("Umu40"), n);
        else if (ticked(row, s("Umu40")) && !given(row, s("Tokurei40")))
            add("D-TOKUREI", s("%1棟目：確認の特例「有」ですが、令第10条各号の区分が未記入です。").arg(n), s("Tokurei40"), n);
    }
}

void Checker::people()
{
    const RowValues& g = m_p.gaiyou;
    if (!given(g, s("Name7")))
        add("D-OWNER", s("建築主の氏名が未入力です。"), s("Name7"));
    if (!given(g, s("Addr6")))
        add("D-OWNER", s("建築主の住所が未入力です。"), s("Addr6"));
    const struct {
        const char* column;
        const char* caption;
    } designer[] = {{"Name2", "設計者の氏名"}, {"Kyu2", "設計者の資格"}, {"Gou2", "設計者の登録番号"}};
    for (const auto& item : designer)
        if (!given(g, s(item.column)))
            add("D-DESIGNER", s("%1が未入力です。").arg(s(item.caption)), s(item.column));
    if (given(g, s("Name2")) && !given(g, s("Name1")))
        add("D-OFFICE", s("建築士事務所名が未入力です。"), s("Name1"));
    if (given(g, s("Name2")) && !given(g, s("Gou1")))
        add("D-OFFICE", s("建築士事務所の登録番号が未入力です。"), s("Gou1"));

    // The strictest class any building asks for.
    Architect needed = Architect::Anyone;
    QString basis;
    for (const Classification& c : m_report.buildings)
        if (rank(c.architect) > rank(needed)) {
            needed = c.architect;
            basis = c.architectBasis;
        }
    const struct {
        const char* cls;
        const char* name;
        const char* who;
    } roles[] = {{"Kyu2", "Name2", "設計者"}, {"Kyu3", "Name3", "工事監理者"}};
    for (const auto& p : roles) {
        if (!given(g, s(p.name)) || !given(g, s(p.cls)))
            continue;
        if (rank(architectOf(text(g, s(p.cls)))) < rank(needed))
            add("D-ARCH-CLASS", s("%1は%2建築士ですが、この建築物は%3でなければ設計・工事監理できません。")
                                    .arg(s(p.who), text(g, s(p.cls)), architectName(needed)),
                s(p.cls))
                .basis = basis;
    }
    // A 新2号 (and 第1号) building is reviewed in full: the agencies ask for
    // its supervisor even where no architect is required by law.
    bool reviewed = false;
    for (const Classification& c : m_report.buildings)
        reviewed = reviewed
                   || (c.ruleSet == RuleSet::From2025 && (c.item == ReviewItem::Item1 || c.item == ReviewItem::Item2));
    if (needed != Architect::Anyone || reviewed) {
        if (!given(g, s("Name3")))
            add("D-SUPERVISOR", needed != Architect::Anyone
                                    ? s("%1による工事監理を要する建築物ですが、工事監理者が未入力です。").arg(architectName(needed))
                                    : s("確認審査の省略がない建築物（第6条第1項第1号・第2号）ですが、工事監理者が未入力です。"));
        else if (!given(g, s("Gou3")))
            add("D-SUPERVISOR", s("工事監理者の登録番号が未入力です。"), s("Gou3"));
    }

    // 委任状: the agent and what is entrusted.
    if (!given(g, s("Name5")))
        add("D-AGENT", s("代理者の氏名が未入力です。"), s("Name5"));
    else if (!given(g, s("Gou5")))
        add("D-AGENT", s("代理者の登録番号が未入力です。"), s("Gou5"));
    bool matter = given(m_p.inin, s("IninSonota"));
    for (int i = 1; i <= 11; ++i)
        matter = matter || ticked(m_p.inin, col("Inin", i));
    if (!matter)
        add("D-AGENT", s("委任する事項が選ばれていません。"), s("Inin1"), 0, s("ININ"));
}

void Checker::reviews()
{
    const RowValues& g = m_p.gaiyou;
    bool suitability = false, energy = false;
    for (const Classification& c : m_report.buildings) {
        suitability = suitability || c.suitability;
        energy = energy || c.energyReview;
    }
    const bool t1 = ticked(g, s("Tekihan1")), t2 = ticked(g, s("Tekihan2")), t3 = ticked(g, s("Tekihan3"));
    if (!t1 && !t2 && !t3)
        add("D-TEKIHAN", suitability ? s("構造計算適合性判定を要する建築物ですが、欄7が選ばれていません。")
                                     : s("欄7（構造計算適合性判定の申請）が選ばれていません。"));
    else if (suitability && t3)
        add("D-TEKIHAN", s("構造計算適合性判定を要する建築物ですが、欄7が「申請不要」です。"));
    else if ((t1 || t2) && !given(g, s("TekihanKikan")))
        add("D-TEKIHAN", s("欄7の申請先（都道府県名又は指定構造計算適合性判定機関の名称及び事務所の所在地）が未記入です。"),
            s("TekihanKikan"));

    const bool e1 = ticked(g, s("Shoene1")), e2 = ticked(g, s("Shoene2")), e3 = ticked(g, s("Shoene3"));
    if (!e1 && !e2 && !e3)
        add("D-SHOENE", s("欄8（建築物エネルギー消費性能確保計画の提出）が選ばれていません。"));
    else if (e3 && !given(g, s("ShoeneRiyu")))
        add("D-SHOENE", energy ? s("省エネ適合性判定を要する規模ですが「提出不要」で、その理由が未記入です。")
                               : s("欄8が「提出不要」ですが、その理由が未記入です。"),
            s("ShoeneRiyu"));
    else if ((e1 || e2) && !given(g, s("ShoeneKikan")))
        add("D-SHOENE", s("欄8の提出先（所管行政庁又は登録建築物エネルギー消費性能判定機関）が未記入です。"), s("ShoeneKikan"));
}

void Checker::inspection()
{
    const RowValues& k = m_p.kanryou;
    bool started = false;
    for (const QString& column : {s("Gou2"), s("Day1"), s("Tan1"), s("Day2"), s("Day4"), s("Day5"), s("Men1")})
        started = started || given(k, column);
    if (!started)
        return;  // no inspection applied for yet
    const struct {
        const char* column;
        const char* caption;
    } needed[] = {{"Gou2", "確認済証番号"}, {"Day1", "確認済証交付年月日"}, {"Day2", "工事着手年月日"}};
    for (const auto& item : needed)
        if (!given(k, s(item.column)))
            add("D-INSPECTION", s("%1が未入力です。").arg(s(item.caption)), s(item.column));
    struct Named {
        QString column, caption;
        QDate date;
    };
    QVector<Named> all;
    for (const auto& d : {std::pair<const char*, const char*>{"Day1", "確認済証交付年月日"}, {"Day2", "工事着手年月日"},
                          {"Day4", "特定工程工事終了年月日"}, {"Day5", "工事完了年月日"}}) {
        const QString t = text(k, s(d.first));
        const QDate date = SiteRules::parseDate(t);
        if (!t.isEmpty() && !date.isValid())
            add("D-INSPECTION", s("%1「%2」を日付として読めません。").arg(s(d.second), t), s(d.first));
        else if (date.isValid())
            all.append({s(d.first), s(d.second), date});
    }
    for (int i = 0; i + 1 < all.size(); ++i)
        for (int j = i + 1; j < all.size(); ++j)
            if (all[i].date > all[j].date)
                add("D-INSPECTION", s("%1 %2 が %3 %4 より後です。")
                                        .arg(all[i].caption, all[i].date.toString(QStringLiteral("yyyy/MM/dd")),
                                             all[j].caption, all[j].date.toString(QStringLiteral("yyyy/MM/dd"))),
                    all[j].column);
}

void Checker::postalCodes()
{
    if (!m_c.postal)
        return;
    const struct {
        const char* code;
        const char* address;
        const char* who;
    } pairs[] = {
        {"Post6", "Addr6", "建築主"},        {"Post1", "Addr1", "設計者の事務所"}, {"Post4", "Addr4", "工事監理者の事務所"},
        {"Post3", "Addr3", "工事監理者個人"}, {"Post5", "Addr5", "代理者"},         {"Post8", "Addr8", "工事施工者"},
        {"Post9", "Addr9", "設備の意見を聴いた者"},
    };
    const RowValues& g = m_p.gaiyou;
    for (const auto& pair : pairs) {
        const QString code = text(g, s(pair.code));
        const QString address = normalizedAddress(text(g, s(pair.address)));
        if (code.isEmpty() || address.isEmpty())
            continue;
        QVector<PostalEntry> rows;
        if (!m_c.postal->codeCandidates(code, &rows))
            return;  // no table to compare with: nothing to say
        if (rows.isEmpty()) {
            add("D-POSTAL", s("%1の郵便番号 %2 は郵便番号表にありません。").arg(s(pair.who), code), s(pair.code));
            continue;
        }
        bool fits = false;
        for (const PostalEntry& e : rows) {
            const QString municipality = normalizedAddress(e.municipality);
            const QString town = normalizedAddress(e.addressTown());
            const bool place = address.startsWith(normalizedAddress(e.prefecture) + municipality)
                               || address.startsWith(municipality);
            fits = fits || (place && (town.isEmpty() || address.contains(town)));
        }
        if (!fits)
            add("D-POSTAL", s("%1の郵便番号 %2（%3）と住所「%4」が一致しません。")
                                .arg(s(pair.who), code, rows.first().prefecture + rows.first().municipality + rows.first().addressTown(),
                                     text(g, s(pair.address))),
                s(pair.code));
    }
}

void Checker::boxes()
{
    if (!m_c.fit)
        return;
    const auto judge = [this](const QString& table, const RowValues& row, int building, int floor) {
        QStringList columns = row.keys();
        columns.sort();
        for (const QString& column : columns) {
            const QString t = text(row, column);
            if (t.isEmpty() || !m_c.fit->knows(table, column))
                continue;
            const BoxFit::Result r = m_c.fit->judge(table, column, t);
            if (r.verdict == BoxFit::Verdict::TooLong)
                add("D-FIT", BoxFit::describe(r), column, building, table).floor = floor;
            else if (r.verdict == BoxFit::Verdict::Annex)
                add("D-FIT-ANNEX", BoxFit::describe(r), column, building, table).floor = floor;
        }
    };
    judge(s("GAIYOU"), m_p.gaiyou, 0, -1);
    judge(s("SHIKICHI"), m_p.shikichi, 0, -1);
    judge(s("KANRYOU"), m_p.kanryou, 0, -1);
    judge(s("KOUJI"), m_p.kouji, 0, -1);
    judge(s("BOUKA"), m_p.bouka, 0, -1);
    judge(s("ININ"), m_p.inin, 0, -1);
    for (int b = 0; b < m_report.buildings.size(); ++b) {
        judge(s("TATEMONOBETU"), m_p.buildings[b], b + 1, -1);
        for (int slot = 0; slot < ProjectTables::kFloorSlots; ++slot)
            judge(s("KAIBETU"), m_p.floors[b * ProjectTables::kFloorSlots + slot], b + 1, slot);
    }
}

}  // namespace

int Report::count(Severity sev, int document) const
{
    int n = 0;
    for (const Finding& f : findings)
        if (f.severity == sev && f.affects(document))
            ++n;
    return n;
}

Report check(const ProjectData& p, const Context& context)
{
    return Checker(p, context).run();
}

// ------------------------------------------------------------ output

namespace {

QString place(const Finding& f)
{
    QString where = f.table;
    if (f.building > 0 && (f.table == QLatin1String("TATEMONOBETU") || f.table == QLatin1String("KAIBETU")))
        where += QStringLiteral("[%1]").arg(f.building);
    if (f.floor >= 0)
        where += QStringLiteral("[%1]").arg(f.floor + 1);
    return where + QLatin1Char('.') + f.field;
}

QStringList documentNames(unsigned docs)
{
    QStringList names;
    for (int i = 0; i < kDocumentCount; ++i)
        if (docs & (1u << i))
            names << documentName(i);
    return names;
}

}  // namespace

QString findingLine(const Finding& f)
{
    return QStringList{severityName(f.severity), f.ruleId, place(f), f.message, f.rule, f.basis}.join(QLatin1Char('\t'));
}

QByteArray findingsJson(const QVector<Finding>& findings)
{
    QJsonArray array;
    for (const Finding& f : findings) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), f.ruleId);
        o.insert(QStringLiteral("severity"), severityKey(f.severity));
        o.insert(QStringLiteral("rule"), f.rule);
        o.insert(QStringLiteral("basis"), f.basis);
        o.insert(QStringLiteral("message"), f.message);
        o.insert(QStringLiteral("table"), f.table);
        o.insert(QStringLiteral("field"), f.field);
        o.insert(QStringLiteral("building"), f.building);
        o.insert(QStringLiteral("floor"), f.floor >= 0 ? f.floor + 1 : 0);
        o.insert(QStringLiteral("documents"), QJsonArray::fromStringList(documentNames(f.docs)));
        array.append(o);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString rulesMarkdown()
{
    QString out = s("| ID | 区分 | 規則 | 根拠 | 項目 | 書類 |\n|---|---|---|---|---|---|\n");
    for (const Rule& r : rules()) {
        const QStringList docs = documentNames(r.docs);
        out += QStringLiteral("| %1 | %2 | %3 | %4 | %5.%6 | %7 |\n")
                   .arg(QLatin1String(r.id), severityName(r.severity), s(r.text), s(r.basis), QLatin1String(r.table),
                        QLatin1String(r.field), docs.isEmpty() ? s("すべて") : docs.join(s("・")));
    }
    return out;
}

}  // namespace ShinseiCheck
