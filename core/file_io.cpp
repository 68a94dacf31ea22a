#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
        case EPERM: return "アクセスが拒否されました";
        case ENOENT: return "ファイルまたはフォルダが見つかりません";
        case ENOSPC: return "ディスクの空き容量が足りません";
        case EROFS: return "読み取り専用の場所です";
        case EISDIR: return "フォルダです";
        case EDQUOT: return "ディスクの使用量の上限を超えました";
        default: return std::string("入出力エラーです (") + std::strerror(error) + ")";
    }
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    std::fclose(f);
    if (failed) {
        throw LedgerError("ファイル「" + path + "」を読み込めませんでした。" +
                          FileErrorReason(error));
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) end = bytes.size();
        size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        lines.push_back(DecodeCp932(std::string_view(bytes).substr(start, stop - start)));
        start = next;
    }
    return lines;
}

std::string EncodeLines(const std::vector<std::string>& lines, const std::string& path) {
    std::string out;
    for (const auto& line : lines) {
        try {
            out += EncodeCp932(line);
        } catch (const LedgerError& e) {
            throw LedgerError("ファイル「" + path + "」に保存できない文字があります。" +
                              e.what());
        }
        out += "\r\n";
    }
    return out;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync) {
    auto fail = [&](int error) {
        throw LedgerError("ファイル「" + path + "」に書き込めませんでした。" +
                          FileErrorReason(error));
    };
    const std::string temp = path + ".tmp";
    // A replaced file keeps the permissions it had.
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) fail(errno);
    ::fchmod(fd, mode);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            fail(error);
        }
        done += static_cast<size_t>(w);
    }
    if (sync && ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        fail(error);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(error);
    }
    if (sync) {
        // The rename itself survives a crash only once the folder is synced too.
        const size_t slash = path.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
    }
}

}  // namespace kakeibo
