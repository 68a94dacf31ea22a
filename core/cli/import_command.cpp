#include "core/cli/import_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <memory>
#include <ostream>

#include "core/calendar.h"
#include "core/errors.h"
#include "core/files/backup.h"
#include "core/files/file_io.h"
#include "core/files/journal.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_lock.h"
#include "core/files/ledger_paths.h"
#include "core/files/save.h"
#include "core/files/save_intent.h"
#include "core/files/settings_file.h"
#include "core/ledger/entries.h"
#include "core/numbers.h"

namespace kakeibo {

namespace {

constexpr const char* kProgram = "kakeibo: ";

std::string DateText(const Date& d) {
    char text[24];
    std::snprintf(text, sizeof text, "%d/%02d/%02d", d.Year, d.Month, d.Day);
    return text;
}

std::string ItemName(const Ledger& ledger, int item) {
    return item >= 0 && item < kItemCount ? ledger.ItemTable[item].Name : std::string();
}

std::string SubItemName(const Ledger& ledger, int item, int sub) {
    if (item < 0 || item >= kItemCount || sub < 0 || sub >= kSubItemCount) return {};
    return ledger.SubItemTable[item][sub];
}

// A field that reads as a plain number (digits, "," and one "."), which a spreadsheet may
// take as it is.
bool IsPlainNumber(const std::string& field) {
    return !field.empty() && field.find_first_not_of("0123456789,.") == std::string::npos &&
           std::isdigit(static_cast<unsigned char>(field.front()));
}

std::string CsvCell(const std::string& text) {
    std::string field = text;
    if (!field.empty() && std::string_view("=@+-\t\r").find(field.front()) != std::string::npos &&
        !IsPlainNumber(field)) {
        field.insert(field.begin(), '\'');
    }
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

Moment LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return Moment{Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour,
                  local.tm_min, local.tm_sec};
}

// The lines that would be checked, written as one change, journaled and saved as a save from
// the window does it (a backup first); the statement's choices are remembered after.
int WriteImport(Ledger& ledger, const ImportPlan& plan, std::ostream& out, std::ostream& err) {
    const std::string& dir = ledger.DataDir;
    const std::string& name = ledger.LedgerName;
    const std::vector<NewEntry> entries =
        ImportEntries(ledger, plan.Lines, plan.AccountItem, plan.AccountSubItem);
    const size_t left = plan.Lines.size() - entries.size() + plan.Reading.UnreadLines.size();
    if (entries.empty()) {
        out << "取り込む行はありませんでした\n";
    } else {
        try {
            const Change change = AddEntries(ledger, entries, ChangeKind::Import);
            LedgerJournal journal;
            journal.Start(ledger, ledger.ExeDir, CurrentLedgerStamps(dir, name));
            if (const std::optional<Notice> warning = journal.Append(change, LocalNow())) {
                err << kProgram << "警告: " << warning->Text << '\n';
            }
            SaveInputs inputs;
            inputs.EntryForm = ledger.WindowLayout[kLayoutEntryForm];
            inputs.DataSheet = ledger.WindowLayout[kLayoutDataSheet];
            // A graph sheet slot that repeats the entry form's says it was never placed.
            if (ledger.WindowLayout[kLayoutGraphSheet] != ledger.WindowLayout[kLayoutEntryForm]) {
                inputs.GraphSheet = ledger.WindowLayout[kLayoutGraphSheet];
                inputs.GraphSheet->Visible = 0;
            }
            inputs.ShopHistory = ReadHistory(dir + kShopHistoryFile);
            inputs.MemoHistory = ReadHistory(dir + kMemoHistoryFile);
            inputs.Backup = LocalNow();
            const SaveResult saved = MonthSave(ledger, dir, name, inputs);
            journal.Remove();
            if (saved.Warning) err << kProgram << "警告: " << saved.Warning->Text << '\n';
            if (saved.Backup) FinishBackup(*saved.Backup);
        } catch (const LedgerError& e) {
            err << kProgram << e.what() << "（何も保存していません）\n";
            return 1;
        }
        out << ImportedText(entries) << '\n';
    }
    if (left > 0) {
        err << kProgram << "取り込まなかった行が " << left
            << " 行あります（理由は --dry-run で表示されます）\n";
    }
    ImportSettings settings = plan.Settings;
    settings.RememberSource(
        {plan.Table.HeaderText, plan.Columns, plan.AccountItem, plan.AccountSubItem, plan.Days});
    try {
        WriteImportSettings(dir, settings);
    } catch (const LedgerError& e) {
        err << kProgram << "警告: " << e.what() << '\n';
    }
    return 0;
}

}  // namespace

std::optional<std::pair<int, int>> FindAccount(const Ledger& ledger, const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string item = text.substr(0, slash);
    const std::string sub = text.substr(slash + 1);
    for (int i = 0; i < kItemCount; ++i) {
        if (ledger.ItemTable[i].Kind != kKindAccount || ledger.ItemTable[i].Name != item) continue;
        for (int s = 0; s < kSubItemCount; ++s) {
            if (!sub.empty() && ledger.SubItemTable[i][s] == sub) return std::pair(i, s);
        }
    }
    return std::nullopt;
}

ImportPlan PlanImport(const Ledger& ledger, StatementTable table, ImportSettings settings,
                      std::pair<int, int> account, bool accountGiven, int days) {
    ImportPlan plan;
    plan.Table = std::move(table);
    plan.Settings = std::move(settings);
    const ImportSource* remembered = plan.Settings.FindSource(plan.Table.HeaderText);
    plan.Columns = ChooseColumns(plan.Table, remembered);
    const int year = ledger.EditDate.Year;
    plan.Reading = ReadStatement(plan.Table, plan.Columns, year);
    if (!accountGiven) {
        account = remembered ? std::pair(remembered->AccountItem, remembered->AccountSubItem)
                             : ProposeAccount(ledger, plan.Reading, plan.Settings.Rules);
    }
    plan.AccountItem = account.first;
    plan.AccountSubItem = account.second;
    plan.Days = days >= 0 ? days : remembered ? remembered->DuplicateDays : kDuplicateDays;
    plan.Lines = PrepareImport(ledger, plan.Reading, plan.Settings.Rules, plan.AccountItem,
                               plan.AccountSubItem, plan.Days);
    return plan;
}

TextTable DryRunTable(const Ledger& ledger, const ImportPlan& plan) {
    TextTable rows;
    rows.push_back(
        {"行", "日付", "金額", "入出金", "項目", "細目", "お店", "メモ", "状態", "理由"});
    // The read lines and the unread ones, merged in the file's order.
    std::vector<std::pair<int, std::vector<std::string>>> body;
    for (const UnreadLine& unread : plan.Reading.UnreadLines) {
        if (unread.Line <= 0) continue;
        body.push_back({unread.Line,
                        {std::to_string(unread.Line), "", "", "", "", "", "", "", "読めません",
                         unread.Reason}});
    }
    for (const ImportLine& line : plan.Lines) {
        const StatementLine& s = line.Source;
        std::string state;
        std::string reason;
        if (!line.Unstorable.empty()) {
            state = "読めません";
            reason = "保存できない文字「" + line.Unstorable + "」があります";
        } else if (line.Duplicate) {
            state = "重複の可能性";
            reason = DateText(line.DuplicateOf) + " に同じ金額の記入があります";
        } else if (line.Item < 0) {
            state = "未割当";
            reason = "ルールにも過去の記入にも当たりません";
        } else {
            state = "取り込み";
            reason = LineStatus(line, plan.Settings.Rules);
        }
        body.push_back({s.Line,
                        {std::to_string(s.Line), DateText(s.On),
                         FormatNumber(static_cast<long double>(s.Amount), 1, 0),
                         s.MoneyIn ? "入金" : "出金", ItemName(ledger, line.Item),
                         line.Item >= 0 ? SubItemName(ledger, line.Item, line.SubItem) : "",
                         line.Shop, line.Memo, state, reason}});
    }
    std::stable_sort(body.begin(), body.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, row] : body) rows.push_back(std::move(row));
    return rows;
}

std::string DryRunCsv(const TextTable& rows) {
    std::string text;
    for (const std::vector<std::string>& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) text += ',';
            text += CsvCell(row[i]);
        }
        text += "\r\n";
    }
    return text;
}

int RunImport(const CommandLine& command, const ProcessSetup& setup, std::ostream& out,
              std::ostream& err) {
    // A write holds the ledger's lock from before it is read until it is saved, and never
    // goes on over a program that has it open or changes it left unsaved.
    LedgerLock lock;
    if (!command.DryRun) {
        std::string dir;
        std::string name;
        SplitLedgerPath(command.LedgerPath, dir, name);
        const std::string lockPath = dir + LockFileName(name);
        LockHolder holder;
        switch (lock.Take(lockPath, LocalNow(), &holder)) {
            case LockOutcome::Taken:
                break;
            case LockOutcome::Held:
                err << kProgram << "家計簿「" << command.LedgerPath << "」はほかのプログラム（"
                    << holder.Process.Host << " のプロセス " << holder.Process.Pid << "、"
                    << holder.Since << " から）が開いています。何も書き込んでいません\n";
                return 1;
            case LockOutcome::NotAFile:
                err << kProgram << LockNotAFileMessage(lockPath) << "何も書き込んでいません\n";
                return 1;
            case LockOutcome::Unavailable:
                err << kProgram << "家計簿「" << command.LedgerPath
                    << "」のロックを作れません（書き込めないフォルダ）。何も書き込んでいません\n";
                return 1;
        }
        if (FileExists(JournalPath(dir, name))) {
            err << kProgram << "家計簿「" << command.LedgerPath
                << "」には保存されていない変更の記録が残っています。ウィンドウで開いてから"
                   "取り込んでください。何も書き込んでいません\n";
            return 1;
        }
        for (const Notice& notice : RecoverInterruptedSaves(dir, lockPath)) {
            err << kProgram << notice.Text << '\n';
        }
    }
    auto ledger = std::make_unique<Ledger>();
    const QuietLoad load = LoadWithoutWriting(*ledger, setup, command.LedgerPath);
    for (const Notice& warning : load.Warnings) {
        err << kProgram << "警告: " << warning.Text << '\n';
    }
    if (load.Refusal) {
        err << kProgram << "読み込めません: " << *load.Refusal << '\n';
        return 1;
    }
    const int year = LedgerYear(*ledger, setup.Today.Year);
    InitLedgerState(*ledger, Date{year, setup.Today.Year == year ? setup.Today.Month : 1, 1});

    std::pair<int, int> account{0, 0};
    if (!command.ImportAccount.empty()) {
        const std::optional<std::pair<int, int>> found =
            FindAccount(*ledger, command.ImportAccount);
        if (!found) {
            err << kProgram << "口座 '" << command.ImportAccount
                << "' はありません（口座の項目と細目を「項目/細目」で指定してください）\n";
            return 2;
        }
        account = *found;
    }
    ImportPlan plan;
    try {
        StatementTable table = ParseStatement(ReadStatementBytes(command.ImportFile));
        if (!table.Refusal.empty()) {
            err << kProgram << "ファイル「" << command.ImportFile << "」は明細として読めません。"
                << table.Refusal << '\n';
            return 1;
        }
        plan = PlanImport(*ledger, std::move(table), ReadImportSettings(ledger->DataDir), account,
                          !command.ImportAccount.empty(), command.Days);
    } catch (const LedgerError& e) {
        err << kProgram << e.what() << '\n';
        return 1;
    }
    for (const UnreadLine& unread : plan.Reading.UnreadLines) {
        if (unread.Line > 0) continue;
        err << kProgram << "明細「" << command.ImportFile << "」を読めません: " << unread.Reason
            << '\n';
        return 1;
    }
    if (command.DryRun) {
        const std::string csv = DryRunCsv(DryRunTable(*ledger, plan));
        out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
        out.flush();
        if (!out) {
            err << kProgram << "標準出力に書き込めませんでした。\n";
            return 1;
        }
        return 0;
    }
    return WriteImport(*ledger, plan, out, err);
}

}  // namespace kakeibo
