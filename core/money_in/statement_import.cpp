#include "core/money_in/statement_import.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "core/calendar.h"
#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/ledger_writers.h"
#include "core/numbers.h"
#include "core/sjis.h"
#include "core/text_fold.h"

namespace kakeibo {

namespace {

constexpr const char* kRuleTag = "R";
constexpr const char* kSourceTag = "S";
// A source's duplicate window, on a line of its own after the source's: a program that knows
// no such line passes it over.
constexpr const char* kWindowTag = "W";
constexpr int kWindowFields = 3;   // tag, days, header text
constexpr int kRuleFields = 4;     // tag, item, sub-item, text
constexpr int kSourceFields = 11;  // tag, account, sub, six columns, sign, header text
constexpr int kMaxColumn = 9999;

// Splits off `count` - 1 fields at commas; the last field keeps its commas (a rule's text, a
// header row's text).
std::vector<std::string> SplitFields(const std::string& line, int count) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (static_cast<int>(fields.size()) < count - 1) {
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos) break;
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

int ReadNumber(const std::string& text, int low, int high) {
    const int32_t value = ParseInt32(text);
    if (value < low || value > high) {
        throw LedgerError("値「" + QuoteForMessage(text) + "」が範囲外です");
    }
    return value;
}

bool IsKind(const Ledger& ledger, int item, const char* kind) {
    return item >= 0 && item < kItemCount && ledger.ItemTable[item].Kind == kind;
}

// Keys of one run: the same shop text is folded once.
class KeyCache {
public:
    const std::string& Key(const std::string& text) {
        auto it = keys_.find(text);
        if (it == keys_.end()) it = keys_.emplace(text, FoldKey(text)).first;
        return it->second;
    }

private:
    std::unordered_map<std::string, std::string> keys_;
};

// Folded with blanks kept, single and at both ends, so that a whole word is found as
// " word ".
std::string WordsKey(const std::string& text) {
    std::string words = " ";
    for (char c : FoldText(text)) {
        const bool blank = c == ' ' || c == '\t';
        if (!blank) {
            words += c;
        } else if (words.back() != ' ') {
            words += ' ';
        }
    }
    if (words.back() != ' ') words += ' ';
    return words;
}

size_t CharacterCount(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

struct Count {
    int Uses = 0;
    int Last = 0;  // order of the last use
};

using Counts = std::unordered_map<std::string, std::map<std::pair<int, int>, Count>>;

void KeepMostUsed(const Counts& counts, std::unordered_map<std::string, std::pair<int, int>>& out) {
    for (const auto& [key, uses] : counts) {
        const auto best = std::max_element(uses.begin(), uses.end(), [](auto& a, auto& b) {
            return std::pair(a.second.Uses, a.second.Last) <
                   std::pair(b.second.Uses, b.second.Last);
        });
        out.emplace(key, best->first);
    }
}

void Assign(const Ledger& ledger, ImportLine& line, const std::vector<ImportRule>& rules,
            const std::vector<std::string>& ruleKeys, const LearnedAssignments& learned,
            KeyCache& keys, int accountItem, int accountSubItem) {
    const bool in = line.Source.MoneyIn;
    const std::string& key = keys.Key(line.Shop);
    for (size_t r = 0; r < rules.size(); ++r) {
        if (ruleKeys[r].empty() || key.find(ruleKeys[r]) == std::string::npos) continue;
        if (!FitsDirection(ledger, rules[r].Item, rules[r].SubItem, in, accountItem,
                           accountSubItem)) {
            continue;
        }
        line.Item = rules[r].Item;
        line.SubItem = rules[r].SubItem;
        line.By = Assignment::Rule;
        line.Rule = static_cast<int>(r);
        return;
    }
    const auto [item, subItem] = learned.Find(line.Shop, in);
    if (item >= 0 && FitsDirection(ledger, item, subItem, in, accountItem, accountSubItem)) {
        line.Item = item;
        line.SubItem = subItem;
        line.By = Assignment::Learned;
        line.Rule = -1;
        return;
    }
    line.Item = -1;
    line.SubItem = 0;
    line.By = Assignment::None;
    line.Rule = -1;
}

}  // namespace

const ImportSource* ImportSettings::FindSource(const std::string& headerText) const {
    for (const ImportSource& source : Sources) {
        if (source.HeaderText == headerText) return &source;
    }
    return nullptr;
}

void ImportSettings::RememberSource(const ImportSource& source) {
    for (ImportSource& kept : Sources) {
        if (kept.HeaderText == source.HeaderText) {
            kept = source;
            return;
        }
    }
    Sources.push_back(source);
}

std::string ImportSettingsPath(const std::string& dataDir) {
    return dataDir + kImportSettingsFile;
}

ImportSettings ReadImportSettings(const std::string& dataDir) {
    const std::string path = ImportSettingsPath(dataDir);
    ImportSettings settings;
    if (!FileExists(path)) return settings;
    std::vector<std::pair<std::string, int>> windows;  // header text, days
    const std::optional<std::vector<std::string>> lines = ReadTextLines(path);
    if (!lines) {
        throw LedgerError("ファイル「" + path + "」を開けませんでした。");
    }
    for (size_t n = 0; n < lines->size(); ++n) {
        const std::string& line = (*lines)[n];
        try {
            const std::string tag = line.substr(0, line.find(','));
            if (tag == kRuleTag) {
                const std::vector<std::string> f = SplitFields(line, kRuleFields);
                if (f.size() != kRuleFields) throw LedgerError("項目が足りません");
                settings.Rules.push_back({f[3], ReadNumber(f[1], 0, kItemCount - 1),
                                          ReadNumber(f[2], 0, kSubItemCount - 1)});
            } else if (tag == kSourceTag) {
                const std::vector<std::string> f = SplitFields(line, kSourceFields);
                if (f.size() != kSourceFields) throw LedgerError("項目が足りません");
                ImportSource source;
                source.AccountItem = ReadNumber(f[1], 0, kItemCount - 1);
                source.AccountSubItem = ReadNumber(f[2], 0, kSubItemCount - 1);
                StatementColumns& c = source.Columns;
                int* columns[] = {&c.Date, &c.Description, &c.Amount, &c.Out, &c.In, &c.Memo};
                for (int k = 0; k < 6; ++k) *columns[k] = ReadNumber(f[3 + k], -1, kMaxColumn);
                c.PositiveIsOut = ReadNumber(f[9], 0, 1) == 1;
                source.HeaderText = f[10];
                settings.RememberSource(source);
            } else if (tag == kWindowTag) {
                const std::vector<std::string> f = SplitFields(line, kWindowFields);
                if (f.size() != kWindowFields) throw LedgerError("項目が足りません");
                windows.emplace_back(f[2], ReadNumber(f[1], 0, kMaxDuplicateDays));
            }
            // Lines of other kinds belong to a later version of the program; kept unread.
        } catch (const LedgerError& e) {
            throw LedgerError(LineErrorMessage(path, n + 1, e.what(), line));
        }
    }
    for (const auto& [header, days] : windows) {
        for (ImportSource& source : settings.Sources) {
            if (source.HeaderText == header) source.DuplicateDays = days;
        }
    }
    return settings;
}

std::vector<std::string> ImportSettingsLines(const ImportSettings& settings) {
    std::vector<std::string> lines;
    for (const ImportRule& rule : settings.Rules) {
        lines.push_back(std::string(kRuleTag) + "," + std::to_string(rule.Item) + "," +
                        std::to_string(rule.SubItem) + "," + OneLine(rule.Text));
    }
    for (const ImportSource& source : settings.Sources) {
        // A header the file cannot hold is only a proposal lost, never a failed save.
        if (!CanStoreAsCp932(source.HeaderText)) continue;
        const StatementColumns& c = source.Columns;
        std::string line = std::string(kSourceTag) + "," + std::to_string(source.AccountItem) +
                           "," + std::to_string(source.AccountSubItem);
        for (int column : {c.Date, c.Description, c.Amount, c.Out, c.In, c.Memo}) {
            // Two appends: g++ 12's optimiser warns (wrongly) of an overlap in "," + text.
            line += ',';
            line += std::to_string(column);
        }
        line += c.PositiveIsOut ? ",1," : ",0,";
        line += OneLine(source.HeaderText);
        lines.push_back(std::move(line));
        if (source.DuplicateDays != kDuplicateDays) {
            std::string window = std::string(kWindowTag) + ",";
            window += std::to_string(source.DuplicateDays);
            window += ',';
            window += OneLine(source.HeaderText);
            lines.push_back(std::move(window));
        }
    }
    return lines;
}

void WriteImportSettings(const std::string& dataDir, const ImportSettings& settings) {
    const std::string path = ImportSettingsPath(dataDir);
    WriteFileAtomic(path, EncodeLines(ImportSettingsLines(settings), path));
}

LearnedAssignments::LearnedAssignments(const Ledger& ledger) {
    Counts out;
    Counts in;
    // Per shop key: the accounts, and the text it was first booked under.
    std::unordered_map<std::string, std::map<std::pair<int, int>, int>> outAccounts;
    std::unordered_map<std::string, std::map<std::pair<int, int>, int>> inAccounts;
    std::unordered_map<std::string, std::string> texts;
    KeyCache keys;
    int order = 0;
    for (int m = 1; m <= kMonthCount; ++m) {
        const int used = UsedSlots(ledger, m);
        for (int s = 0; s < used; ++s) {
            const EntryRecord& e = ledger.EntryTable[m - 1][s];
            const std::string& shop = ledger.EntryTextTable[m - 1][s].Shop;
            ++order;
            if (shop.empty()) continue;
            const bool expense =
                IsKind(ledger, e.Item1, kKindExpense) && IsKind(ledger, e.Item2, kKindAccount);
            const bool income =
                IsKind(ledger, e.Item1, kKindAccount) && IsKind(ledger, e.Item2, kKindIncome);
            if (!expense && !income) continue;
            const std::string& key = keys.Key(shop);
            if (key.empty()) continue;
            Count& c = expense ? out[key][{e.Item1, e.SubItem1}] : in[key][{e.Item2, e.SubItem2}];
            c.Uses += 1;
            c.Last = order;
            if (expense) {
                ++outAccounts[key][{e.Item2, e.SubItem2}];
            } else {
                ++inAccounts[key][{e.Item1, e.SubItem1}];
            }
            texts.emplace(key, shop);
        }
    }
    std::unordered_map<std::string, std::pair<int, int>> outItems;
    std::unordered_map<std::string, std::pair<int, int>> inItems;
    KeepMostUsed(out, outItems);
    KeepMostUsed(in, inItems);
    auto keep = [&](const std::unordered_map<std::string, std::pair<int, int>>& items,
                    auto& accounts, std::vector<Known>& known,
                    std::unordered_map<std::string, size_t>& index) {
        known.reserve(items.size());
        for (const auto& [key, item] : items) {
            known.push_back({key, WordsKey(texts[key]), {item, std::move(accounts[key])}});
        }
        // In key order, so that of two names of one length the same one wins every time.
        std::sort(known.begin(), known.end(),
                  [](const Known& x, const Known& y) { return x.Key < y.Key; });
        for (size_t i = 0; i < known.size(); ++i) index.emplace(known[i].Key, i);
    };
    keep(outItems, outAccounts, out_, outIndex_);
    keep(inItems, inAccounts, in_, inIndex_);
}

const LearnedAssignments::Shop* LearnedAssignments::Match(const std::string& shop,
                                                          bool moneyIn) const {
    auto& cache = matched_[moneyIn ? 1 : 0];
    if (const auto it = cache.find(shop); it != cache.end()) return it->second;
    const std::vector<Known>& known = moneyIn ? in_ : out_;
    const auto& index = moneyIn ? inIndex_ : outIndex_;
    const std::string key = FoldKey(shop);
    const Shop* found = nullptr;
    if (const auto exact = index.find(key); exact != index.end()) {
        found = &known[exact->second].Booked;
    } else if (!key.empty()) {
        const std::string words = WordsKey(shop);
        size_t longest = 0;
        for (const Known& k : known) {
            if (k.Key.size() <= longest || CharacterCount(k.Key) < 2) continue;
            if (key.starts_with(k.Key) || words.find(k.Words) != std::string::npos) {
                longest = k.Key.size();
                found = &k.Booked;
            }
        }
    }
    cache.emplace(shop, found);
    return found;
}

std::pair<int, int> LearnedAssignments::Find(const std::string& shop, bool moneyIn) const {
    const Shop* found = Match(shop, moneyIn);
    return found ? found->Item : std::pair(-1, 0);
}

bool FitsDirection(const Ledger& ledger, int item, int subItem, bool moneyIn, int accountItem,
                   int accountSubItem) {
    if (item < 0 || item >= kItemCount || subItem < 0 || subItem >= kSubItemCount) return false;
    if (item == accountItem && subItem == accountSubItem) return false;
    return IsKind(ledger, item, kKindAccount) ||
           IsKind(ledger, item, moneyIn ? kKindIncome : kKindExpense);
}

std::vector<ImportLine> PrepareImport(const Ledger& ledger, const StatementReading& reading,
                                      const std::vector<ImportRule>& rules, int accountItem,
                                      int accountSubItem, int duplicateDays) {
    std::vector<ImportLine> lines;
    lines.reserve(reading.Lines.size());
    // A statement names the same few shops again and again: widen and check each once.
    std::unordered_map<std::string, std::string> shops;
    std::unordered_map<std::string, std::string> unstorable;
    auto firstUnstorable = [&](const std::string& text) -> const std::string& {
        auto it = unstorable.find(text);
        if (it == unstorable.end()) {
            it = unstorable.emplace(text, FirstUnstorableCharacter(text)).first;
        }
        return it->second;
    };
    for (const StatementLine& source : reading.Lines) {
        ImportLine line;
        line.Source = source;
        auto shop = shops.find(source.Description);
        if (shop == shops.end()) {
            shop =
                shops.emplace(source.Description, WidenHalfwidthKatakana(source.Description)).first;
        }
        line.Shop = shop->second;
        line.Memo = source.Memo;
        line.Unstorable = firstUnstorable(line.Shop);
        if (line.Unstorable.empty()) line.Unstorable = firstUnstorable(line.Memo);
        lines.push_back(std::move(line));
    }
    const LearnedAssignments learned(ledger);
    AssignLines(ledger, lines, rules, learned, accountItem, accountSubItem);
    MarkDuplicates(ledger, lines, accountItem, accountSubItem, duplicateDays);
    for (ImportLine& line : lines) line.Checked = Importable(line) && !line.Duplicate;
    return lines;
}

void AssignLines(const Ledger& ledger, std::vector<ImportLine>& lines,
                 const std::vector<ImportRule>& rules, const LearnedAssignments& learned,
                 int accountItem, int accountSubItem) {
    std::vector<std::string> ruleKeys;
    for (const ImportRule& rule : rules) ruleKeys.push_back(FoldKey(rule.Text));
    KeyCache keys;
    for (ImportLine& line : lines) {
        const bool hadItem = line.Item >= 0;
        if (line.By == Assignment::User &&
            FitsDirection(ledger, line.Item, line.SubItem, line.Source.MoneyIn, accountItem,
                          accountSubItem)) {
            continue;
        }
        Assign(ledger, line, rules, ruleKeys, learned, keys, accountItem, accountSubItem);
        if (!hadItem && line.Item >= 0) line.Checked = Importable(line) && !line.Duplicate;
        if (!Importable(line)) line.Checked = false;
    }
}

void MarkDuplicates(const Ledger& ledger, std::vector<ImportLine>& lines, int accountItem,
                    int accountSubItem, int days) {
    // (money in, amount) -> the days of the entries not yet matched to a line, in order.
    struct Held {
        int64_t Day;
        Date On;
        bool Used = false;
    };
    std::unordered_map<uint64_t, std::vector<Held>> held;
    auto key = [](bool in, int32_t amount) {
        return (static_cast<uint64_t>(in) << 32) | static_cast<uint32_t>(amount);
    };
    for (ImportLine& line : lines) {
        held.try_emplace(key(line.Source.MoneyIn, line.Source.Amount));
        line.Duplicate = false;
        line.DuplicateOf = {};
    }
    const int year = ledger.EditDate.Year;
    for (int m = 1; m <= kMonthCount; ++m) {
        const int used = UsedSlots(ledger, m);
        for (int s = 0; s < used; ++s) {
            const EntryRecord& e = ledger.EntryTable[m - 1][s];
            const Date on{year, m, e.Day};
            if (!IsValidDate(on)) continue;
            for (const bool in : {false, true}) {
                const bool onSide = in ? e.Item1 == accountItem && e.SubItem1 == accountSubItem
                                       : e.Item2 == accountItem && e.SubItem2 == accountSubItem;
                if (!onSide) continue;
                const auto it = held.find(key(in, e.Amount));
                if (it != held.end()) it->second.push_back({DayNumber(on), on});
            }
        }
    }
    // Every line and entry close enough, nearest first (then in the statement's order): a
    // line takes the entry nearest to it that no nearer line took.
    struct Pair {
        int64_t Apart;
        size_t Line;
        Held* Entry;
    };
    std::vector<Pair> pairs;
    for (size_t i = 0; i < lines.size(); ++i) {
        const StatementLine& s = lines[i].Source;
        const int64_t day = DayNumber(s.On);
        for (Held& h : held[key(s.MoneyIn, s.Amount)]) {
            const int64_t apart = std::llabs(h.Day - day);
            if (apart <= days) pairs.push_back({apart, i, &h});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.Apart < b.Apart; });
    for (const Pair& pair : pairs) {
        ImportLine& line = lines[pair.Line];
        if (line.Duplicate || pair.Entry->Used) continue;
        pair.Entry->Used = true;
        line.Duplicate = true;
        line.DuplicateOf = pair.Entry->On;
    }
}

void RemarkDuplicates(const Ledger& ledger, std::vector<ImportLine>& lines, int accountItem,
                      int accountSubItem, int days) {
    std::vector<bool> before;
    before.reserve(lines.size());
    for (const ImportLine& line : lines) before.push_back(line.Duplicate);
    MarkDuplicates(ledger, lines, accountItem, accountSubItem, days);
    for (size_t i = 0; i < lines.size(); ++i) {
        ImportLine& line = lines[i];
        if (line.Duplicate != before[i]) line.Checked = Importable(line) && !line.Duplicate;
    }
}

void SetLineTexts(ImportLine& line, std::string shop, std::string memo) {
    line.Shop = std::move(shop);
    line.Memo = std::move(memo);
    line.Unstorable = FirstUnstorableCharacter(line.Shop);
    if (line.Unstorable.empty()) line.Unstorable = FirstUnstorableCharacter(line.Memo);
    if (!Importable(line)) line.Checked = false;
}

bool Importable(const ImportLine& line) {
    return line.Item >= 0 && line.Unstorable.empty();
}

std::string LineStatus(const ImportLine& line, const std::vector<ImportRule>& rules) {
    if (!line.Unstorable.empty()) return "保存できない文字「" + line.Unstorable + "」";
    if (line.Item < 0) return "未割当";
    if (line.Duplicate) return "重複の可能性";
    switch (line.By) {
        case Assignment::Rule:
            if (line.Rule >= 0 && line.Rule < static_cast<int>(rules.size())) {
                return "ルール「" + rules[line.Rule].Text + "」";
            }
            return "ルール";
        case Assignment::Learned:
            return "過去の記入から";
        case Assignment::User:
            return "手動で選択";
        default:
            return {};
    }
}

std::vector<NewEntry> ImportEntries(const Ledger& ledger, const std::vector<ImportLine>& lines,
                                    int accountItem, int accountSubItem) {
    std::vector<const ImportLine*> checked;
    for (const ImportLine& line : lines) {
        if (line.Checked && Importable(line)) checked.push_back(&line);
    }
    std::stable_sort(checked.begin(), checked.end(), [](const ImportLine* a, const ImportLine* b) {
        return a->Source.On < b->Source.On;
    });
    std::vector<NewEntry> entries;
    entries.reserve(checked.size());
    for (const ImportLine* line : checked) {
        NewEntry entry;
        EntryRecord& r = entry.Record;
        r.Year = ledger.EditDate.Year;
        r.Month = line->Source.On.Month;
        r.Day = line->Source.On.Day;
        if (line->Source.MoneyIn) {
            r.Item1 = accountItem;
            r.SubItem1 = accountSubItem;
            r.Item2 = line->Item;
            r.SubItem2 = line->SubItem;
        } else {
            r.Item1 = line->Item;
            r.SubItem1 = line->SubItem;
            r.Item2 = accountItem;
            r.SubItem2 = accountSubItem;
        }
        r.Amount = line->Source.Amount;
        r.TaxKind = TaxKindAsTyped(ledger, r, 0);
        entry.Text = {StorableShop(line->Shop), OneLine(line->Memo)};
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::pair<int, int> ProposeAccount(const Ledger& ledger, const StatementReading& reading,
                                   const std::vector<ImportRule>& rules) {
    std::map<std::pair<int, int>, int> votes;
    const LearnedAssignments learned(ledger);
    std::vector<std::string> ruleKeys;
    for (const ImportRule& rule : rules) ruleKeys.push_back(FoldKey(rule.Text));
    // The items the rules give, and the accounts the year's entries of each item used.
    std::map<std::pair<int, int>, int> ruleItems;
    KeyCache keys;
    for (const StatementLine& line : reading.Lines) {
        if (const LearnedAssignments::Shop* shop = learned.Match(line.Description, line.MoneyIn)) {
            for (const auto& [account, uses] : shop->Accounts) votes[account] += uses;
            continue;
        }
        const std::string& key = keys.Key(line.Description);
        for (size_t r = 0; r < rules.size(); ++r) {
            if (!ruleKeys[r].empty() && key.find(ruleKeys[r]) != std::string::npos) {
                ++ruleItems[{rules[r].Item, rules[r].SubItem}];
                break;
            }
        }
    }
    if (!ruleItems.empty()) {
        for (int m = 1; m <= kMonthCount; ++m) {
            const int used = UsedSlots(ledger, m);
            for (int s = 0; s < used; ++s) {
                const EntryRecord& e = ledger.EntryTable[m - 1][s];
                // Paid for the item from an account, or received for it into one.
                if (const auto it = ruleItems.find({e.Item1, e.SubItem1});
                    it != ruleItems.end() && IsKind(ledger, e.Item2, kKindAccount)) {
                    votes[{e.Item2, e.SubItem2}] += it->second;
                } else if (const auto in = ruleItems.find({e.Item2, e.SubItem2});
                           in != ruleItems.end() && IsKind(ledger, e.Item1, kKindAccount)) {
                    votes[{e.Item1, e.SubItem1}] += in->second;
                }
            }
        }
    }
    std::pair<int, int> best{-1, 0};
    int most = 0;
    for (const auto& [account, count] : votes) {
        const auto [item, sub] = account;
        const bool isAccount = item >= 0 && item < 2 && IsKind(ledger, item, kKindAccount) &&
                               sub >= 0 && sub < kSubItemCount &&
                               !ledger.SubItemTable[item][sub].empty();
        if (isAccount && count > most) {
            most = count;
            best = account;
        }
    }
    if (best.first >= 0) return best;
    for (int item = 0; item < 2; ++item) {
        if (!IsKind(ledger, item, kKindAccount)) continue;
        for (int sub = 0; sub < kSubItemCount; ++sub) {
            if (!ledger.SubItemTable[item][sub].empty()) return {item, sub};
        }
    }
    return {0, 0};
}

StatementColumns ChooseColumns(const StatementTable& table, const ImportSource* remembered) {
    if (!remembered) return table.Guessed;
    const StatementColumns& c = remembered->Columns;
    const int count = static_cast<int>(table.ColumnNames.size());
    // A remembered column the file does not have is not proposed.
    if (std::max({c.Date, c.Description, c.Amount, c.Out, c.In, c.Memo}) < count) return c;
    return table.Guessed;
}

std::string ImportedText(const std::vector<NewEntry>& entries) {
    std::map<int, int> months;
    for (const NewEntry& entry : entries) ++months[entry.Record.Month];
    std::vector<std::pair<int, int>> order(months.begin(), months.end());
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string text = std::to_string(entries.size()) + "件を取り込みました（";
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0) text += "、";
        text += std::to_string(order[i].first) + "月 " + std::to_string(order[i].second) + "件";
    }
    return text + "）";
}

}  // namespace kakeibo
