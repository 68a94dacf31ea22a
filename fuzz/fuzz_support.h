#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/ledger.h"

// Shared by the fuzz programs: each reads what libFuzzer gives it as the bytes of one of the
// program's files, in a scratch folder of its own, and checks what a user relies on.
namespace kakeibo::fuzz {

// The scratch folder (ending in "/"), emptied before every input.
const std::string& FreshFolder();

void WriteFile(const std::string& path, std::string_view bytes);

// The bytes a save would write for the lines; a loaded text that cannot be saved again
// is a fault, so this stops the run instead of throwing.
std::string SavedBytes(const std::vector<std::string>& lines, const std::string& path);

// Stops the run (libFuzzer then keeps the input) when a property does not hold.
void Require(bool holds, const char* what);

// The derived tables as the first redraw after a load computes them: the month totals, the
// balances and every month's last week.
void RecomputeAll(Ledger& ledger);

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kakeibo::fuzz
