// A shop or memo history: any bytes read as lines that a save writes and a second read
// gives back.
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FreshFolder() + "mise.dat";
    fuzz::WriteFile(path, fuzz::AsText(data, size));
    std::vector<std::string> lines = ReadHistory(path);
    for (std::string& line : lines) line = OneLine(line);

    fuzz::WriteFile(path, fuzz::SavedBytes(lines, path));
    fuzz::Require(ReadHistory(path) == lines, "history read back the same");
    return 0;
}
