#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/cli/batch.h"
#include "core/cli/command_line.h"
#include "core/ledger/ledger.h"
#include "core/money_in/statement.h"
#include "core/money_in/statement_import.h"
#include "core/reports/csv.h"

namespace kakeibo {

// `kakeibo --import`: a statement read, assigned and matched as the import window does it,
// with the household's rules and remembered choices, then listed or written without a window.

// The account that 「項目/細目」 names: an account item and one of its sub-items, split at the
// first 「/」, as the masters spell them. Nothing when no account has those names.
std::optional<std::pair<int, int>> FindAccount(const Ledger& ledger, const std::string& text);

struct ImportPlan {
    StatementTable Table;
    StatementReading Reading;
    ImportSettings Settings;
    StatementColumns Columns;
    int AccountItem = 0;
    int AccountSubItem = 0;
    int Days = kDuplicateDays;
    std::vector<ImportLine> Lines;
};

// The statement's lines as the window would first show them: the remembered columns (or the
// ones found), the account (`account`, else the remembered one, else the proposed one) and the
// duplicate window (`days` >= 0, else the remembered one).
ImportPlan PlanImport(const Ledger& ledger, StatementTable table, ImportSettings settings,
                      std::pair<int, int> account, bool accountGiven, int days);

// One row per statement line, in the file's order, under the heading row
// 行,日付,金額,入出金,項目,細目,お店,メモ,状態,理由. The state is 読めません, 重複の可能性,
// 未割当 or 取り込み, the first that holds.
TextTable DryRunTable(const Ledger& ledger, const ImportPlan& plan);

// The table as UTF-8 CSV with CR LF: a field with a comma, a quote or a line end is quoted, and
// one that a spreadsheet would take for a formula starts with 「'」.
std::string DryRunCsv(const TextTable& rows);

// Carries out Import; returns the exit status (0 done, 1 a file that cannot be read or
// written or a ledger in use, 2 an account the masters do not have).
int RunImport(const CommandLine& command, const ProcessSetup& setup, std::ostream& out,
              std::ostream& err);

}  // namespace kakeibo
