// The rules with the articles they rest on, the uses that make a building
// special, and the classification of one building.
#include "ShinseiCheck.h"

#include "CheckSupport.h"

#include <iterator>

namespace ShinseiCheck {

using namespace detail;

namespace {

constexpr unsigned doc(int i)
{
    return 1u << i;
}
// The documents of the output menu that the faults of a rule hold up.
constexpr unsigned kApplication = doc(0) | doc(1) | doc(4);  // 確認申請, its 概要書 and 計画変更
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
    {"D-NOTICE", Severity::Error,
     "工事届には着工予定期日・完了予定期日・主要用途（居住専用・居住産業併用・産業専用）と建築物ごとの工事費予定額を記載すること。",
     "建築基準法第15条第1項、建築基準法施行規則第8条、第四十号様式", "KOUJI", "ShuyouCHK1", doc(2)},
    {"D-REMOVAL", Severity::Error, "建築物を除却するときは、除却工事施工者の氏名（事業者名）と所在地を記載すること。",
     "建築基準法第15条第1項、第四十号様式 第一面・第四十一号様式", "KOUJI", "Seko1", doc(2) | doc(7)},
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

// In the order of the enums.
const struct {
    const char* name;
    const char* key;  // the JSON spelling
} kSeverityNames[] = {{"エラー", "error"}, {"警告", "warning"}, {"情報", "info"}};
const char* const kArchitectNames[] = {
    "建築士でなくてもよい", "一級建築士、二級建築士又は木造建築士", "一級建築士又は二級建築士", "一級建築士"};

}  // namespace

// ------------------------------------------------------------ names

QString severityName(Severity sev)
{
    return s(kSeverityNames[static_cast<int>(sev)].name);
}

QString severityKey(Severity sev)
{
    return QString::fromLatin1(kSeverityNames[static_cast<int>(sev)].key);
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
    return s(kArchitectNames[static_cast<int>(a)]);
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
    // The first that applies; the last always does.
    const struct {
        bool applies;
        Architect architect;
        const char* basis;
    } architectRules[] = {
        {special && special->ikkyuUse && a > 500, Architect::Ikkyu, "建築士法第3条第1項第1号"},
        {wood && high, Architect::Ikkyu, "建築士法第3条第1項第2号"},
        {listedMaterial && (a > 300 || high), Architect::Ikkyu, "建築士法第3条第1項第3号"},
        {a > 1000 && b.storeys >= 2, Architect::Ikkyu, "建築士法第3条第1項第4号"},
        {(listedMaterial && a > 30) || a > (wood ? 300 : 100) || b.storeys >= 3, Architect::Nikyu, "建築士法第3条の2第1項"},
        {wood && a > 100, Architect::Mokuzo, "建築士法第3条の3第1項"},
        {true, Architect::Anyone, "建築士法第3条〜第3条の3"},
    };
    for (const auto& r : architectRules) {
        if (r.applies) {
            c.architect = r.architect;
            c.architectBasis = s(r.basis);
            break;
        }
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

}  // namespace ShinseiCheck
