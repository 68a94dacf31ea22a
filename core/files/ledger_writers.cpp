#include "core/files/ledger_writers.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace kakeibo {

namespace {

// Every file holds one text per line: a line break inside a text would split it into two
// lines and shift everything after it when the file is read back.
// A character loop: find_first_of asks memchr once per character, and a year has 24,000 texts.
bool HasAnyOf(const std::string& text, bool comma) {
    return std::any_of(text.begin(), text.end(),
                       [comma](char c) { return c == '\r' || c == '\n' || (comma && c == ','); });
}

void AppendOneLine(std::string& out, const std::string& text) {
    if (!HasAnyOf(text, false)) {
        out += text;
        return;
    }
    for (char c : text) out += c == '\r' || c == '\n' ? ' ' : c;
}

// The entries file has no quoting, so a comma in a shop name would move the memo into the
// shop's field and the rest of the line with it. The full-width comma reads the same.
void AppendShop(std::string& out, const std::string& shop) {
    if (!HasAnyOf(shop, true)) {
        out += shop;
        return;
    }
    for (char c : shop) {
        if (c == ',') {
            out += "，";
        } else {
            out += c == '\r' || c == '\n' ? ' ' : c;
        }
    }
}

void AppendNumber(std::string& line, int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
    line += ',';
}

}  // namespace

std::string OneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    AppendOneLine(out, text);
    return out;
}

std::string StorableShop(const std::string& shop) {
    std::string out;
    out.reserve(shop.size());
    AppendShop(out, shop);
    return out;
}

std::vector<std::string> EntriesFileLines(const Ledger& ledger) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(kMonthCount) * kSlotCount);
    for (int m = 0; m < kMonthCount; ++m) {
        const auto& slots = ledger.EntryTable[m];
        // A free slot ends the month: entries behind it are not part of the ledger.
        for (int s = 0; s < kSlotCount && slots[s].Amount > 0; ++s) {
            const EntryRecord& e = slots[s];
            const EntryText& text = ledger.EntryTextTable[m][s];
            std::string line;
            line.reserve(64 + text.Shop.size() + text.Memo.size());
            for (int32_t v : {e.Year, e.Month, e.Day, e.Item1, e.SubItem1, e.Item2, e.SubItem2,
                              e.Amount, e.TaxKind}) {
                AppendNumber(line, v);
            }
            AppendShop(line, text.Shop);
            line += ',';
            AppendOneLine(line, text.Memo);
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

std::vector<std::string> BalanceFileLines(const Ledger& ledger) {
    std::vector<std::string> lines;
    lines.reserve(ledger.BalanceTable.size() * kItemCount * kColumnCount);
    for (const auto& row : ledger.BalanceTable) {
        for (const auto& item : row) {
            for (int64_t v : item) lines.push_back(std::to_string(v));
        }
    }
    return lines;
}

std::vector<std::string> BudgetFileLines(const Ledger& ledger) {
    std::vector<std::string> lines;
    lines.reserve(ledger.BudgetTable.size() * kItemCount);
    for (const auto& row : ledger.BudgetTable) {
        for (int32_t v : row) lines.push_back(std::to_string(v));
    }
    return lines;
}

std::vector<std::string> ItemMasterLines(const Ledger& ledger) {
    std::vector<std::string> lines;
    lines.reserve(kItemCount * 2);
    for (const ItemRecord& item : ledger.ItemTable) {
        lines.push_back(OneLine(item.Name));
        lines.push_back(OneLine(item.Kind));
    }
    return lines;
}

std::vector<std::string> SubItemMasterLines(const Ledger& ledger) {
    std::vector<std::string> lines;
    lines.reserve(kItemCount * kSubItemCount);
    for (const auto& item : ledger.SubItemTable) {
        for (const std::string& name : item) lines.push_back(OneLine(name));
    }
    return lines;
}

}  // namespace kakeibo
