#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kakeibo {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Reads a whole CP932 file as UTF-8 lines (CR LF or LF; a last line without a line end
// counts). Returns nothing when the file cannot be opened; throws LedgerError when it
// opens but cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Joins UTF-8 lines into CP932 text, each line ending in CR LF. Throws LedgerError naming
// the file when a line holds a character CP932 cannot store.
std::string EncodeLines(const std::vector<std::string>& lines, const std::string& path);

// Writes the bytes to a temporary file beside `path`, flushes and (with `sync`) syncs it,
// then renames it over `path`. On failure the old file stays as it was and LedgerError
// names the file and the reason in Japanese.
void WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync = true);

// The Japanese reason for an errno value, for file error messages.
std::string FileErrorReason(int error);

}  // namespace kakeibo
