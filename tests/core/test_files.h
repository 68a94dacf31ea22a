#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kakeibo::test {

// A fresh folder under /tmp that is removed, with all it holds, when the object goes.
class TempDir final {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending in "/" so that file names can be appended.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The file's bytes as they are on disk; "<missing>" when it cannot be opened, so that a file
// that was never written does not pass for an empty one.
std::string ReadBytes(const std::string& path);

void WriteBytes(const std::string& path, const std::string& bytes);

// Runs `act` while no file of this process can grow past `limit` bytes: a full disk, as a
// write sees it (cut short, not killed by the signal).
void WithFileSizeLimit(size_t limit, const std::function<void()>& act);

// The permission bits of a file or folder (0777 and the like); -1 when it is not there.
int ModeOf(const std::string& path);

}  // namespace kakeibo::test
