#include "core/files/save.h"

#include <algorithm>
#include <cstddef>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/ledger_writers.h"
#include "core/files/settings_file.h"
#include "core/ledger/totals.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

// The history files hold at most as many lines as the entry form keeps, one text a line.
std::vector<std::string> HistoryLines(const std::vector<std::string>& history, int32_t max) {
    const size_t keep = std::min(history.size(), static_cast<size_t>(std::max(max, 0)));
    std::vector<std::string> lines;
    lines.reserve(keep);
    for (size_t i = 0; i < keep; ++i) lines.push_back(OneLine(history[i]));
    return lines;
}

// The same bytes as EncodeLines, but the ASCII head of a line (all of a number line, the
// numbers of an entry) skips the converter: a full year has some 15,000 lines.
std::string EncodeFile(const std::vector<std::string>& lines, const std::string& path) {
    std::string out;
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    out.reserve(size);
    for (const std::string& line : lines) {
        size_t ascii = 0;
        while (ascii < line.size() && static_cast<unsigned char>(line[ascii]) < 0x80) ++ascii;
        out.append(line, 0, ascii);
        if (ascii < line.size()) {
            try {
                out += EncodeCp932(std::string_view(line).substr(ascii));
            } catch (const LedgerError&) {
                return EncodeLines(lines, path);  // throws the message that names the file
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace

SaveResult MonthSave(Ledger& ledger, const std::string& dir, const std::string& name,
                     const SaveInputs& inputs) {
    // Every file is encoded before the first one is written, so a text that cannot be
    // stored stops the save while the files on disk are still one consistent set.
    std::vector<GroupFile> dataGroup;
    std::vector<GroupFile> programGroup;
    auto add = [](std::vector<GroupFile>& group, std::string path,
                  const std::vector<std::string>& lines) {
        std::string bytes = EncodeFile(lines, path);
        group.push_back({std::move(path), std::move(bytes)});
    };

    const bool ledgerFiles = ledger.LedgerChanged;
    const bool masterFiles = ledger.MastersChanged;
    if (ledgerFiles) {
        RecomputeTotals(ledger);
        add(dataGroup, dir + BalanceFileName(name), BalanceFileLines(ledger));
        add(dataGroup, dir + BudgetFileName(name), BudgetFileLines(ledger));
        add(dataGroup, dir + EntriesFileName(name), EntriesFileLines(ledger));
        const std::string iniPath =
            ledger.IniPath.empty() ? ledger.ExeDir + kSettingsFile : ledger.IniPath;
        add(programGroup, iniPath,
            SettingsFileLines(ledger, inputs.EntryForm, inputs.DataSheet, inputs.GraphSheet));
    }
    if (masterFiles) {
        add(programGroup, ledger.ExeDir + kItemMasterFile, ItemMasterLines(ledger));
        add(programGroup, ledger.ExeDir + kSubItemMasterFile, SubItemMasterLines(ledger));
    }
    add(dataGroup, dir + kShopHistoryFile, HistoryLines(inputs.ShopHistory, ledger.ShopHistoryMax));
    add(dataGroup, dir + kMemoHistoryFile, HistoryLines(inputs.MemoHistory, ledger.MemoHistoryMax));

    // The files about to be replaced are kept first; without that generation nothing is written.
    std::optional<PendingBackup> backup;
    if (ledgerFiles && inputs.Backup) backup = LinkGeneration(dir, name, *inputs.Backup);
    // The ledger first: a failure here throws and leaves both flags, so closing still asks.
    const std::string lockPath = dir + LockFileName(name);
    if (inputs.BeforeWrite) {
        std::vector<FileStamp> landing;
        for (const auto* group : {&dataGroup, &programGroup}) {
            for (const GroupFile& file : *group) {
                landing.push_back({file.Path, true, static_cast<int64_t>(file.Bytes.size()), 0,
                                   HashBytes(file.Bytes)});
            }
        }
        inputs.BeforeWrite(landing);
    }
    try {
        WriteFileGroup(dataGroup, inputs.Sync, lockPath);
    } catch (const PartlySavedError& e) {
        // Said as it is: the user has to know that the files no longer belong together.
        std::string text =
            std::string(e.what()) + "\r" + kPartlySavedMessage + "。新しくなったファイル：";
        for (const std::string& path : e.Saved) text += "「" + path + "」";
        text += "、元のままのファイル：";
        for (const std::string& path : e.Kept) text += "「" + path + "」";
        if (backup) text += "\r保存前のファイルはバックアップに残っています。";
        throw LedgerError(text);
    } catch (const LedgerError& e) {
        if (backup) DropUnusedGeneration(*backup);
        throw LedgerError(std::string(e.what()) + "。保存は行われていません。");
    }
    ledger.LedgerChanged = false;

    SaveResult result;
    if (backup) {
        backup->Written = std::move(dataGroup);
        result.Backup = std::move(backup);
    }
    if (programGroup.empty()) return result;
    try {
        WriteFileGroup(programGroup, inputs.Sync, lockPath);
        ledger.MastersChanged = false;
    } catch (const LedgerError& e) {
        const char* what = ledgerFiles && masterFiles ? "設定と科目名"
                           : masterFiles              ? "科目名"
                                                      : "設定";
        result.Warning =
            Notice{NoticeKind::Warning, std::string("家計簿データは保存しましたが、") + what +
                                            "を保存できませんでした。\r" + e.what()};
    }
    return result;
}

}  // namespace kakeibo
