#include "core/settings_file.h"

#include <algorithm>
#include <string_view>

#include "core/errors.h"
#include "core/file_io.h"
#include "core/ledger_files.h"
#include "core/ledger_paths.h"
#include "core/numbers.h"
#include "core/program_folder.h"

namespace kakeibo {

namespace {

std::string WithTrailingSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

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

}  // namespace

std::array<LayoutSlot, 3> DefaultWindowLayout(int screenHeight) {
    constexpr int kBelowStrip = 81;
    std::array<LayoutSlot, 3> layout{};
    layout[kLayoutEntryForm] = LayoutSlot{1, 427, kBelowStrip, 0, 0};
    layout[kLayoutDataSheet] = LayoutSlot{1, 0, kBelowStrip, screenHeight - 150, 425};
    return layout;
}

void SetStartupDefaults(Ledger& ledger, int screenHeight) {
    ledger.ShopHistoryMax = 30;
    ledger.MemoHistoryMax = 30;
    ledger.HideZeroItems = false;
    ledger.TaxRounding = 0;
    ledger.WindowLayout = DefaultWindowLayout(screenHeight);
    ledger.IniCreated = false;
}

void ReadSettingsFile(Ledger& ledger, const std::string& path) {
    auto read = ReadTextLines(path);
    if (!read) throw LedgerError("ファイル「" + path + "」を開けませんでした。");
    const std::vector<std::string>& lines = *read;
    const size_t count = lines.size();
    // The program appends file names to DataDir directly, so it must end with "/".
    if (count > 0) ledger.DataDir = WithTrailingSlash(lines[0]);
    if (count > 1) ledger.LedgerName = lines[1];
    if (count > 2) ledger.ShopHistoryMax = ParseLine(lines, 2, path);
    if (count > 3) ledger.MemoHistoryMax = ParseLine(lines, 3, path);
    if (count > 4) ledger.HideZeroItems = lines[4] == "True";
    if (count > 5) ReadLayoutLine(ledger, lines[5], path);
    if (count > 6) {
        const std::string& rule = lines[6];
        ledger.TaxRounding = rule == "1" ? 1 : rule == "2" ? 2 : 0;
    }
}

StartupResult StartUp(Ledger& ledger, const std::string& exeDir, const Date& today,
                      int screenHeight, const std::string& defaultDataDir) {
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
            MakeDirectories(defaultDataDir, 0777);
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
            ReadSettingsFile(ledger, ledger.IniPath);
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
        }
    } else {
        useDefaultDataDir();
        ledger.IniCreated = true;
        try {
            WriteFileAtomic(ledger.IniPath,
                            EncodeLines({ledger.DataDir, ledger.LedgerName}, ledger.IniPath));
        } catch (const LedgerError& e) {
            report(NoticeKind::Error, e.what());
        }
    }

    if (!DirectoryExists(ledger.DataDir)) useDefaultDataDir();

    try {
        if (!ReadItemMaster(ledger, ledger.ExeDir + kItemMasterFile)) {
            report(NoticeKind::Error, "科目ファイルが見つかりませんでした。");
        }
    } catch (const LedgerError& e) {
        report(NoticeKind::Error, e.what());
    }
    try {
        if (!ReadSubItemMaster(ledger, ledger.ExeDir + kSubItemMasterFile)) {
            report(NoticeKind::Error, "補助ファイルが見つかりませんでした。");
        }
    } catch (const LedgerError& e) {
        report(NoticeKind::Error, e.what());
    }

    if (!ledger.IniCreated) {
        try {
            LoadResult load = MonthLoad(ledger, ledger.DataDir, ledger.LedgerName);
            if (load.Message) result.Messages.push_back(*load.Message);
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
