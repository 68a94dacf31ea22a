#include "core/statement_import.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "core/errors.h"
#include "core/file_io.h"
#include "core/ledger_files.h"
#include "core/ledger_paths.h"
#include "core/ledger_writers.h"
#include "core/numbers.h"
#include "core/sjis.h"
#include "core/text_fold.h"

namespace kakeibo {

namespace {

constexpr const char* kRuleTag = "R";
constexpr const char* kSourceTag = "S";
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
    const auto [item, subItem] = learned.Find(key, in);
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
            }
            // Lines of other kinds belong to a later version of the program; kept unread.
        } catch (const LedgerError& e) {
            throw LedgerError(LineErrorMessage(path, n + 1, e.what(), line));
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
        }
    }
    KeepMostUsed(out, out_);
    KeepMostUsed(in, in_);
}

std::pair<int, int> LearnedAssignments::Find(const std::string& key, bool moneyIn) const {
    const auto& table = moneyIn ? in_ : out_;
    const auto it = table.find(key);
    return it == table.end() ? std::pair(-1, 0) : it->second;
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
                                      int accountSubItem) {
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
    MarkDuplicates(ledger, lines, accountItem, accountSubItem);
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
                    int accountSubItem) {
    // (month, day, money in, amount) -> entries not yet matched to a line.
    std::unordered_map<uint64_t, int> unmatched;
    auto key = [](int month, int day, bool in, int32_t amount) {
        return (static_cast<uint64_t>((month * 32 + day) * 2 + in) << 32) |
               static_cast<uint32_t>(amount);
    };
    for (int m = 1; m <= kMonthCount; ++m) {
        const int used = UsedSlots(ledger, m);
        for (int s = 0; s < used; ++s) {
            const EntryRecord& e = ledger.EntryTable[m - 1][s];
            if (e.Item2 == accountItem && e.SubItem2 == accountSubItem) {
                ++unmatched[key(m, e.Day, false, e.Amount)];
            }
            if (e.Item1 == accountItem && e.SubItem1 == accountSubItem) {
                ++unmatched[key(m, e.Day, true, e.Amount)];
            }
        }
    }
    for (ImportLine& line : lines) {
        const StatementLine& s = line.Source;
        const auto it = unmatched.find(key(s.On.Month, s.On.Day, s.MoneyIn, s.Amount));
        line.Duplicate = it != unmatched.end() && it->second > 0;
        if (line.Duplicate) --it->second;
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
        r.TaxKind = 0;
        entry.Text = {StorableShop(line->Shop), OneLine(line->Memo)};
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace kakeibo
