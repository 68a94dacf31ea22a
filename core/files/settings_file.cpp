#include "core/files/settings_file.h"

#include <algorithm>
#include <string_view>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/program_folder.h"
#include "core/ledger/settings_work.h"
#include "core/numbers.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

int32_t ParseLine(const std::vector<std::string>& lines, size_t index, const std::string& path) {
    try {
        return ParseInt32(lines[index]);
    } catch (const LedgerError& e) {
        throw LedgerError(LineErrorMessage(path, index + 1, e.what(), lines[index]));
    }
}

// Line 6: three slots of three numbers (Visible, Left, Top) or, when the line holds ten or
// more commas before its last character, of five. Values the line does not reach keep theirs.
void ReadLayoutLine(Ledger& ledger, const std::string& line, const std::string& path) {
    const std::string_view counted =
        std::string_view(line).substr(0, line.empty() ? 0 : line.size() - 1);
    const int perSlot = std::count(counted.begin(), counted.end(), ',') >= 10 ? 5 : 3;
    std::string_view rest = line;
    for (LayoutSlot& slot : ledger.WindowLayout) {
        int32_t* fields[] = {&slot.Visible, &slot.Left, &slot.Top, &slot.Height, &slot.Width};
        for (int f = 0; f < perSlot; ++f) {
            if (rest.empty()) return;
            const size_t comma = rest.find(',');
            const std::string_view text = rest.substr(0, comma);
            try {
                *fields[f] = ParseInt32(text);
            } catch (const LedgerError& e) {
                throw LedgerError(LineErrorMessage(path, 6, e.what(), line));
            }
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    }
}

// Line 8: the item numbers of ReducedRateItems, e.g. "2,5"; an empty line marks none.
ItemMarks ReadReducedRateLine(const std::string& line, const std::string& path) {
    ItemMarks marks{};
    std::string_view rest = line;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view text = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (text.empty()) continue;
        int32_t item = 0;
        try {
            item = ParseInt32(text);
        } catch (const LedgerError& e) {
            throw LedgerError(LineErrorMessage(path, 8, e.what(), line));
        }
        if (item < 0 || item >= kItemCount) {
            throw LedgerError(LineErrorMessage(path, 8,
                                               "科目 " + std::to_string(item) + " が 0 から " +
                                                   std::to_string(kItemCount - 1) +
                                                   " の範囲にありません",
                                               line));
        }
        marks[item] = true;
    }
    return marks;
}

std::string ReducedRateLine(const ItemMarks& marks) {
    std::string line;
    for (int i = 0; i < kItemCount; ++i) {
        if (!marks[i]) continue;
        if (!line.empty()) line += ',';
        line += std::to_string(i);
    }
    return line;
}

// Splits a line of "a:b" pairs separated by commas (line 10, line 11) into the pairs' numbers;
// throws for a pair that is not two numbers.
std::vector<std::pair<int32_t, int32_t>> ReadPairs(const std::string& line, size_t number,
                                                   const std::string& path) {
    std::vector<std::pair<int32_t, int32_t>> pairs;
    std::string_view rest = line;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (pair.empty()) continue;
        const size_t colon = pair.find(':');
        try {
            if (colon == std::string_view::npos) throw LedgerError("「:」がありません");
            pairs.emplace_back(ParseInt32(pair.substr(0, colon)),
                               ParseInt32(pair.substr(colon + 1)));
        } catch (const LedgerError& e) {
            throw LedgerError(LineErrorMessage(path, number, e.what(), line));
        }
    }
    return pairs;
}

// Line 10: the entry list's columns from the left as "column:width", e.g. "0:32,1:128,6:64,..";
// empty for the shipped order and widths. Each of the eight columns stands once.
ListColumns ReadListColumnsLine(const std::string& line, const std::string& path) {
    const auto pairs = ReadPairs(line, 10, path);
    if (pairs.empty()) return DefaultListColumns();
    ListColumns columns{};
    std::array<bool, kListColumnCount> seen{};
    bool whole = pairs.size() == kListColumnCount;
    for (size_t p = 0; whole && p < pairs.size(); ++p) {
        const auto [column, width] = pairs[p];
        whole = column >= 0 && column < kListColumnCount && !seen[column];
        if (!whole) break;
        seen[column] = true;
        // A column dragged to nothing can still be found and widened again.
        columns[p] = ListColumn{column, std::clamp(width, kSmallestListColumn, 2000)};
    }
    if (!whole) {
        throw LedgerError(LineErrorMessage(path, 10, "一覧の8つの列が1つずつありません", line));
    }
    return columns;
}

std::string ListColumnsLine(const ListColumns& columns) {
    if (columns == DefaultListColumns()) return {};
    std::string line;
    for (const ListColumn& c : columns) {
        if (!line.empty()) line += ',';
        line += std::to_string(c.Column) + ":" + std::to_string(c.Width);
    }
    return line;
}

// Line 11: the sub-items that pay the full rate under a reduced-rate item, as "item:sub-item".
SubItemMarks ReadFullRateLine(const std::string& line, const std::string& path) {
    SubItemMarks marks{};
    for (const auto& [item, sub] : ReadPairs(line, 11, path)) {
        if (item < 0 || item >= kItemCount || sub < 0 || sub >= kSubItemCount) {
            throw LedgerError(LineErrorMessage(path, 11, "科目か細目が範囲にありません", line));
        }
        marks[item][sub] = true;
    }
    return marks;
}

std::string FullRateLine(const SubItemMarks& marks) {
    std::string line;
    for (int i = 0; i < kItemCount; ++i) {
        for (int s = 0; s < kSubItemCount; ++s) {
            if (!marks[i][s]) continue;
            if (!line.empty()) line += ',';
            line += std::to_string(i) + ":" + std::to_string(s);
        }
    }
    return line;
}

}  // namespace

// Why an encoding at all: these lines were CP932 text, so a folder such as ".../pé" could not
// be written (every save of a changed ledger failed) nor read back. Why this one: a path
// that CP932 holds exactly must stay byte for byte what earlier versions wrote and read, so
// only the other paths change form; the marker makes such a line unmistakable, and any path
// that itself begins with the marker is encoded too, so every line reads back as exactly
// the path it was written from. Printable ASCII keeps the line readable, and the line is
// pure ASCII, so CP932 always holds it. "Exactly" means that the decode of the encode gives
// the path back: that rules out line ends and the characters CP932 stores as a twin
// (WAVE DASH comes back as FULLWIDTH TILDE).
std::string PathLine(const std::string& path) {
    const std::string marker = kEncodedPathMarker;
    const bool plain = path.compare(0, marker.size(), marker) != 0 &&
                       path.find_first_of("\r\n") == std::string::npos && [&] {
                           try {
                               return DecodeCp932(EncodeCp932(path)) == path;
                           } catch (const LedgerError&) {
                               return false;
                           }
                       }();
    if (plain) return path;
    static const char kHex[] = "0123456789ABCDEF";
    std::string line = marker;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (b > 0x20 && b < 0x7F && b != '%') {
            line += c;
        } else {
            line += '%';
            line += kHex[b >> 4];
            line += kHex[b & 0x0F];
        }
    }
    return line;
}

std::string PathFromLine(const std::string& line) {
    const std::string marker = kEncodedPathMarker;
    if (line.compare(0, marker.size(), marker) != 0) return line;
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string path;
    for (size_t i = marker.size(); i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size() && hex(line[i + 1]) >= 0 &&
            hex(line[i + 2]) >= 0) {
            path += static_cast<char>(hex(line[i + 1]) * 16 + hex(line[i + 2]));
            i += 2;
        } else {
            path += line[i];  // not written by PathLine: kept as it stands
        }
    }
    return path;
}

std::array<LayoutSlot, 3> DefaultWindowLayout(int screenHeight) {
    constexpr int kBelowStrip = 81;
    std::array<LayoutSlot, 3> layout{};
    layout[kLayoutEntryForm] = LayoutSlot{1, 427, kBelowStrip, 0, 0};
    layout[kLayoutDataSheet] = LayoutSlot{1, 0, kBelowStrip, screenHeight - 150, 425};
    return layout;
}

void WidenFirstLayout(std::array<LayoutSlot, 3>& layout, int screenWidth, int sheetWidth,
                      int entryWidth) {
    LayoutSlot& sheet = layout[kLayoutDataSheet];
    LayoutSlot& entry = layout[kLayoutEntryForm];
    const int gap = entry.Left - (sheet.Left + sheet.Width);
    const int room = screenWidth - entryWidth - gap - sheet.Left;
    const int width = std::min(room, sheetWidth);
    if (width <= sheet.Width) return;
    entry.Left += width - sheet.Width;
    sheet.Width = width;
}

void WidenForSheet(LayoutSlot& sheet, LayoutSlot& entry, int screenRight, int needed) {
    if (needed <= sheet.Width) return;
    const int64_t sheetRight = int64_t{sheet.Left} + sheet.Width;
    const bool beside = entry.Visible != 0 && entry.Left >= sheetRight &&
                        entry.Top < sheet.Top + sheet.Height &&
                        sheet.Top < entry.Top + entry.Height;
    const int64_t gap = beside ? entry.Left - sheetRight : 0;
    const int64_t room =
        (beside ? screenRight - entry.Width - gap : int64_t{screenRight}) - sheet.Left;
    const auto width = static_cast<int32_t>(std::min<int64_t>(room, needed));
    if (width <= sheet.Width) return;
    if (beside) entry.Left += width - sheet.Width;
    sheet.Width = width;
}

void LimitLayout(std::array<LayoutSlot, 3>& layout, const DesktopArea& desktop) {
    if (desktop.Width <= 0 || desktop.Height <= 0) return;
    auto size = [](int32_t value, int32_t smallest, int32_t largest) {
        return value <= 0 ? 0 : std::clamp(value, std::min(smallest, largest), largest);
    };
    // A window must overlap the desktop by a part that can be grabbed.
    auto place = [](int32_t value, int32_t extent, int32_t start, int32_t length) {
        const int64_t low = int64_t{start} - std::max(extent, 1) + 1;
        return static_cast<int32_t>(std::clamp<int64_t>(value, low, int64_t{start} + length - 1));
    };
    for (LayoutSlot& slot : layout) {
        slot.Width = size(slot.Width, kSmallestSheetWidth, desktop.Width);
        slot.Height = size(slot.Height, kSmallestSheetHeight, desktop.Height);
        slot.Left = place(slot.Left, slot.Width, desktop.Left, desktop.Width);
        slot.Top = place(slot.Top, slot.Height, desktop.Top, desktop.Height);
    }
}

void SetStartupDefaults(Ledger& ledger, int screenHeight) {
    static_cast<LedgerOptions&>(ledger) = LedgerOptions{};
    ledger.WindowLayout = DefaultWindowLayout(screenHeight);
    ledger.EntryListColumns = DefaultListColumns();
    ledger.IniCreated = false;
}

std::vector<std::string> SettingsFileLines(const Ledger& ledger, const LayoutSlot& entryForm,
                                           const LayoutSlot& dataSheet,
                                           const std::optional<LayoutSlot>& graphSheet) {
    auto written = [](LayoutSlot slot) {
        slot.Visible = slot.Visible != 0 ? 1 : 0;
        return slot;
    };
    LayoutSlot graph = written(graphSheet.value_or(entryForm));
    // A graph slot equal to the entry form's reads back as never placed; a graph sheet that
    // really sits there keeps its visibility at the cost of one pixel.
    if (graphSheet && graph == written(entryForm)) ++graph.Left;
    std::string layout;
    for (const LayoutSlot& slot : {written(entryForm), graph, written(dataSheet)}) {
        for (int32_t v : {slot.Visible, slot.Left, slot.Top, slot.Height, slot.Width}) {
            layout += std::to_string(v);
            layout += ',';
        }
    }
    return {PathLine(ledger.DataDir),
            PathLine(ledger.LedgerName),
            std::to_string(ledger.ShopHistoryMax),
            std::to_string(ledger.MemoHistoryMax),
            ledger.HideZeroItems ? "True" : "False",
            layout,
            std::to_string(ledger.TaxRounding),
            ReducedRateLine(ledger.ReducedRateItems),
            PathLine(ledger.PreviousYearLedger),
            ListColumnsLine(ledger.EntryListColumns),
            FullRateLine(ledger.FullRateSubItems)};
}

void ReadSettingsFile(Ledger& ledger, const std::string& path, bool* layoutRead) {
    auto read = ReadTextLines(path);
    if (!read) throw LedgerError("ファイル「" + path + "」を開けませんでした。");
    const std::vector<std::string>& lines = *read;
    const size_t count = lines.size();
    // The program appends file names to DataDir directly, so it must end with "/".
    if (count > 0) ledger.DataDir = WithTrailingSlash(PathFromLine(lines[0]));
    if (count > 1) ledger.LedgerName = PathFromLine(lines[1]);
    // A negative length would empty the history at the next save.
    auto length = [&](size_t index) {
        return std::clamp(ParseLine(lines, index, path), 0, kHistoryLengthMax);
    };
    if (count > 2) ledger.ShopHistoryMax = length(2);
    if (count > 3) ledger.MemoHistoryMax = length(3);
    if (count > 4) ledger.HideZeroItems = lines[4] == "True";
    if (count > 5) {
        if (layoutRead != nullptr) *layoutRead = true;
        ReadLayoutLine(ledger, lines[5], path);
    }
    if (count > 6) {
        const std::string& rule = lines[6];
        ledger.TaxRounding = rule == "1" ? 1 : rule == "2" ? 2 : 0;
    }
    if (count > 7) {
        ledger.ReducedRateItems = ReadReducedRateLine(lines[7], path);
        // Marks of the user's own choosing came without exceptions.
        ledger.FullRateSubItems = {};
    }
    if (count > 8) ledger.PreviousYearLedger = PathFromLine(lines[8]);
    if (count > 9) ledger.EntryListColumns = ReadListColumnsLine(lines[9], path);
    if (count > 10) ledger.FullRateSubItems = ReadFullRateLine(lines[10], path);
}

StartupResult StartUp(Ledger& ledger, const std::string& exeDir, const Date& today,
                      int screenHeight, const std::string& defaultDataDir,
                      const BeforeLoad& beforeLoad) {
    StartupResult result;
    auto report = [&](NoticeKind kind, std::string text) {
        result.Messages.push_back(Notice{kind, std::move(text)});
    };
    // The user's documents may not hold the data folder yet; a folder that cannot be made
    // leaves the ledgers beside the settings, as a portable program keeps them.
    auto useDefaultDataDir = [&] {
        ledger.DataDir = ledger.ExeDir;
        if (defaultDataDir.empty()) return;
        try {
            MakeDirectories(defaultDataDir, 0700);
            ledger.DataDir = WithTrailingSlash(defaultDataDir);
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
        }
    };

    SetStartupDefaults(ledger, screenHeight);
    ledger.ExeDir = WithTrailingSlash(exeDir);
    ledger.IniPath = ledger.ExeDir + kSettingsFile;
    ledger.LedgerName = kNewLedgerName;
    ledger.DataDir.clear();

    if (FileExists(ledger.IniPath)) {
        try {
            ReadSettingsFile(ledger, ledger.IniPath, &result.LayoutSaved);
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
        }
    } else {
        useDefaultDataDir();
        ledger.IniCreated = true;
        try {
            WriteFileAtomic(ledger.IniPath,
                            EncodeLines({PathLine(ledger.DataDir), PathLine(ledger.LedgerName)},
                                        ledger.IniPath));
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
        }
    }

    if (!DirectoryExists(ledger.DataDir)) useDefaultDataDir();

    ReadMasters(ledger, ledger.ExeDir, {}, result.Messages);

    if (!ledger.IniCreated && beforeLoad && !beforeLoad(ledger.DataDir, ledger.LedgerName)) {
        ledger.LedgerName = kNewLedgerName;
    } else if (!ledger.IniCreated) {
        try {
            LoadResult load = MonthLoad(ledger, ledger.DataDir, ledger.LedgerName);
            if (load.Message) result.Messages.push_back(*load.Message);
            result.LoadedFiles = std::move(load.Files);
            // A later save must not go to the files of a ledger that was not loaded.
            if (!load.Loaded) ledger.LedgerName = kNewLedgerName;
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
            ledger.LedgerName = kNewLedgerName;
        }
    }

    InitLedgerState(ledger, today);
    return result;
}

void ReadMasters(Ledger& ledger, const std::string& dir, const std::string& fallbackDir,
                 std::vector<Notice>& messages) {
    const struct {
        const char* File;
        bool (*Read)(Ledger&, const std::string&);
        const char* Missing;
    } masters[] = {
        {kItemMasterFile, ReadItemMaster, "科目ファイルが見つかりませんでした。"},
        {kSubItemMasterFile, ReadSubItemMaster, "補助ファイルが見つかりませんでした。"},
    };
    for (const auto& master : masters) {
        std::string path = dir + master.File;
        if (!fallbackDir.empty() && !FileExists(path)) path = fallbackDir + master.File;
        try {
            if (!master.Read(ledger, path)) messages.push_back({NoticeKind::Error, master.Missing});
        } catch (const LedgerError& e) {
            messages.push_back({NoticeKind::Error, e.what()});
        }
    }
}

void InitLedgerState(Ledger& ledger, const Date& today) {
    ledger.RowEditMode = 0;
    ledger.LedgerChanged = false;
    ledger.MastersChanged = false;
    ledger.EditDate = today;
    ledger.EditMonth = today.Month;
    ledger.EditMonthIndex = today.Month - 1;
    ledger.NextSlot = ledger.GetIndex(today.Month);
}

}  // namespace kakeibo
