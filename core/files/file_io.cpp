#include "core/files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "core/errors.h"
#include "core/sjis.h"

namespace kakeibo {

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FileErrorReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました";
        case ENOENT:
            return "ファイルまたはフォルダが見つかりません";
        case ENOSPC:
            return "ディスクの空き容量が足りません";
        case EROFS:
            return "読み取り専用の場所です";
        case EISDIR:
            return "フォルダです";
        case EDQUOT:
            return "ディスクの使用量の上限を超えました";
        case ENOTDIR:
            return "フォルダではありません";
        default:
            return std::string("入出力エラーです (") + std::strerror(error) + ")";
    }
}

bool ReadAll(int fd, std::string& bytes, int& error) {
    // Read straight into place, the whole file at once when its size is known; a file that
    // grows meanwhile is read on to its end.
    struct stat st {};
    size_t chunk = 65536;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        chunk = static_cast<size_t>(st.st_size) + 1;
    }
    size_t used = bytes.size();
    while (true) {
        bytes.resize(used + chunk);
        const ssize_t n = ::read(fd, bytes.data() + used, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) error = errno;
            bytes.resize(used);
            return n == 0;
        }
        used += static_cast<size_t>(n);
        chunk = 65536;
    }
}

std::optional<std::string> ReadFileBytes(
    const std::string& path, const std::function<void(int, std::string_view)>& whileOpen) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    int error = 0;
    const bool whole = ReadAll(fd, bytes, error);
    if (whole && whileOpen) whileOpen(fd, bytes);
    ::close(fd);
    if (!whole) {
        throw LedgerError("ファイル「" + path + "」を読み込めませんでした。" +
                          FileErrorReason(error));
    }
    return bytes;
}

bool WriteAll(int fd, std::string_view bytes, int& error, int64_t at) {
    size_t done = 0;
    while (done < bytes.size()) {
        const char* from = bytes.data() + done;
        const size_t left = bytes.size() - done;
        const ssize_t w = at < 0 ? ::write(fd, from, left)
                                 : ::pwrite(fd, from, left, static_cast<off_t>(at + done));
        if (w < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (w == 0) {
            error = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}

int CreateDurableFile(const std::string& path, std::string_view bytes, unsigned mode, bool sync,
                      int& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    ::fchmod(fd, mode);
    if (!WriteAll(fd, bytes, error) || (sync && ::fsync(fd) != 0 && (error = errno) != 0)) {
        ::close(fd);
        ::unlink(path.c_str());
        return -1;
    }
    return fd;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithTrailingSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    // Counted with find (memchr, many bytes at a time): std::count went byte by byte and took
    // as long as the whole split.
    size_t count = 1;
    for (size_t at = bytes.find('\n'); at != std::string_view::npos;
         at = bytes.find('\n', at + 1)) {
        ++count;
    }
    std::vector<std::string_view> lines;
    lines.reserve(count);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.push_back(bytes.substr(start, stop - start));
        start = next;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    const std::vector<std::string_view> raw = SplitLines(*bytes);
    std::vector<std::string> lines;
    lines.reserve(raw.size());
    for (const std::string_view line : raw) lines.push_back(DecodeCp932(line));
    return lines;
}

std::string EncodeLines(const std::vector<std::string>& lines, const std::string& path) {
    std::string out;
    for (const auto& line : lines) {
        try {
            out += EncodeCp932(line);
        } catch (const LedgerError& e) {
            throw LedgerError("ファイル「" + path + "」に保存できない文字があります。" + e.what());
        }
        out += "\r\n";
    }
    return out;
}

namespace {

// The n-th name a damaged file may be set aside as.
std::string AsideName(const std::string& path, int year, int month, int day, int n) {
    char date[16];
    std::snprintf(date, sizeof date, ".%04d%02d%02d", year, month, day);
    std::string name = path + date;
    // Appended piecewise: g++ 12 warns falsely (-Wrestrict) of "-" + std::to_string(n).
    if (n != 1) {
        name += '-';
        name += std::to_string(n);
    }
    return name;
}

bool Taken(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string SetAsideDamagedFile(const std::string& path, int year, int month, int day) {
    for (int n = 1; n < 100; ++n) {
        const std::string aside = AsideName(path, year, month, day, n);
        if (Taken(aside)) continue;
        // Never over a file of that name: a link would replace it.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            ::unlink(path.c_str());
            return aside;
        }
        if (errno == EEXIST) continue;
        if (::rename(path.c_str(), aside.c_str()) == 0) return aside;
        throw LedgerError("ファイル「" + path + "」の名前を変えられませんでした。" +
                          FileErrorReason(errno));
    }
    throw LedgerError("ファイル「" + path + "」の名前を変えられませんでした。" +
                      FileErrorReason(EEXIST));
}

std::string SetAsideQuestion(const std::string& error, const std::string& path, int year, int month,
                             int day) {
    std::string aside = AsideName(path, year, month, day, 1);
    for (int n = 2; n < 100 && Taken(aside); ++n) aside = AsideName(path, year, month, day, n);
    return error + "\rこのファイルを「" + aside +
           "」という名前で残し、空の状態で開きますか？（残したファイルはそのまま残ります）";
}

}  // namespace kakeibo
