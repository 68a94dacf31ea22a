// File stamps (size, time, hash) that tell a file changed on disk from one that did not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kakeibo {

// A 64-bit hash of bytes: tells a file or a journal record that changed from one that did
// not. Not a defence against anyone who wants to fool it.
uint64_t HashBytes(std::string_view bytes);

// A file as the program last read or wrote it: whether it was there, its size, its
// modification time and a hash of its bytes.
struct FileStamp {
    std::string Path;
    bool Exists = false;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;  // nanoseconds since the epoch
    uint64_t Hash = 0;

    // Same bytes: the times may differ (a copy, a touch) without the content changing.
    bool SameContent(const FileStamp& other) const {
        return Exists == other.Exists && (!Exists || (Size == other.Size && Hash == other.Hash));
    }
};

// The stamp of bytes just read from (or written to) an open file.
FileStamp StampOpenFile(const std::string& path, int fd, std::string_view bytes);

// Reads a whole file as ReadFileBytes does (core/files/file_io.h) and stamps what it read.
std::optional<std::string> ReadStampedFile(const std::string& path, FileStamp& stamp);

// The file as it is on disk now, read whole; nothing but the path and Exists = false when it
// is missing or cannot be read.
FileStamp StampFile(const std::string& path);

// True when the file on disk still holds what `stamp` says. Size and time equal is taken as
// unchanged without reading; otherwise the bytes decide, so a mere touch is not a change.
bool FileUnchanged(const FileStamp& stamp);

// The first of `stamps` whose file changed on disk, if any.
std::optional<FileStamp> FirstChangedFile(const std::vector<FileStamp>& stamps);

}  // namespace kakeibo
