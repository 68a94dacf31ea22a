#include "core/files/ledger_paths.h"

#include "core/files/file_io.h"

namespace kakeibo {

std::vector<std::string> LedgerFileNames(const std::string& name) {
    return {EntriesFileName(name), BudgetFileName(name), BalanceFileName(name)};
}

void SplitLedgerPath(const std::string& path, std::string& dir, std::string& name) {
    name = FileNameOf(path);
    dir = path.substr(0, path.size() - name.size());
    // Only the extension at the end goes, so the files written or read are those of the file
    // the user chose: "x.nbdold.nbd" is the ledger "x.nbdold", never another one.
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
}

}  // namespace kakeibo
