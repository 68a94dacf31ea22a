// The file helpers: whole-file reads, writing every byte, durable new files, path pieces.
#pragma once

#include <cstdint>
#include <functional>
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

// The same file's bytes, as ReadTextLines reads them, for a reader that decodes only what
// needs it. `whileOpen` sees the descriptor and the bytes before the file is closed (a stamp
// of the file is taken there: ReadStampedFile in core/files/file_stamp.h).
std::optional<std::string> ReadFileBytes(
    const std::string& path,
    const std::function<void(int fd, std::string_view bytes)>& whileOpen = {});

// The lines of `bytes` as ReadTextLines splits them, undecoded. Decoding a line gives the
// line ReadTextLines reads: a line end is never part of a CP932 character.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// Reads an open descriptor from where it stands to its end, again after an interruption;
// false with `error` set when a read fails. Every whole-file read of the program is this one.
bool ReadAll(int fd, std::string& bytes, int& error);

// Writes every byte to the descriptor (from offset `at`, or where it stands when `at` is
// negative), again after an interruption; false with `error` set when a write fails.
bool WriteAll(int fd, std::string_view bytes, int& error, int64_t at = -1);

// Creates `path`, which must not exist yet, with `mode` whatever the umask, writes `bytes` and
// (with `sync`) syncs it. Returns the open descriptor; -1 with `error` set when any step fails,
// and then no half-written file is left.
int CreateDurableFile(const std::string& path, std::string_view bytes, unsigned mode, bool sync,
                      int& error);

// Syncs a folder, so that the names made or renamed in it survive a crash.
void SyncFolder(const std::string& folder);

// The folder of a path with its "/" ("./" for a bare name), and the name after the folder.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
// A folder as the program keeps it: ending with "/" (an empty one stays empty).
std::string WithTrailingSlash(std::string dir);

// `value` in lower-case hexadecimal, with leading zeros to `digits` digits.
std::string Hex(uint64_t value, int digits = 16);

// Joins UTF-8 lines into CP932 text, each line ending in CR LF. Throws LedgerError naming
// the file when a line holds a character CP932 cannot store.
std::string EncodeLines(const std::vector<std::string>& lines, const std::string& path);

// Moves a file that cannot be read out of the way, so that what reads it starts empty:
// "<path>.<YYYYMMDD>" ("-2", "-3", ... when that is taken). Returns the new path; throws
// LedgerError naming the file when it cannot be renamed.
std::string SetAsideDamagedFile(const std::string& path, int year, int month, int day);
// The question that offers it: the reading's error, then where the file would go.
std::string SetAsideQuestion(const std::string& error, const std::string& path, int year, int month,
                             int day);

// The Japanese reason for an errno value, for file error messages.
std::string FileErrorReason(int error);

}  // namespace kakeibo
