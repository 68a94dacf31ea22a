#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kakeibo::fuzz {

// Loads a small fixed ledger whose budget ("y.dat") or balance ("r.dat") file holds the
// bytes, recomputes the totals, saves that file and reads it back: the table must match.
int FuzzNumberTable(const uint8_t* data, size_t size, const std::string& suffix);

}  // namespace kakeibo::fuzz
