// Start-up over a folder: the input is the program's files one after another, each ended by
// a NUL byte, in the order of kFiles; the files the input does not reach are absent.
// Whatever they hold, start-up ends with a ledger the first redraw can total. The seeds leave
// DataDir empty, so that start-up falls back to the scratch folder.
#include <memory>

#include "core/files/file_io.h"
#include "core/files/ledger_files.h"
#include "core/files/settings_file.h"
#include "fuzz_support.h"

using namespace kakeibo;

namespace {

constexpr const char* kFiles[] = {"rozed.ini", "kamoku.dat", "hojyo.dat", "家計.nbd",
                                  "家計y.dat", "家計r.dat",  "mise.dat",  "memo.dat"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& dir = fuzz::FreshFolder();
    std::string_view rest = fuzz::AsText(data, size);
    for (const char* name : kFiles) {
        if (rest.empty()) break;
        const size_t end = rest.find('\0');
        fuzz::WriteFile(dir + name, rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    auto ledger = std::make_unique<Ledger>();
    StartUp(*ledger, dir, Date{2024, 5, 15}, 900);
    fuzz::Require(ledger->DataDir.empty() || ledger->DataDir.back() == '/',
                  "file names can be appended to DataDir");
    fuzz::Require(ledger->NextSlot >= 0 && ledger->NextSlot <= kSlotCount,
                  "the next free slot lies in the month");
    fuzz::RecomputeAll(*ledger);
    // The entry form reads the histories next.
    ReadHistory(ledger->DataDir + "mise.dat");
    ReadHistory(ledger->DataDir + "memo.dat");
    return 0;
}
