#include "core/files/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_paths.h"

namespace kakeibo {

namespace {

constexpr const char* kMasterNames[] = {kItemMasterFile, kSubItemMasterFile};

std::string Getenv(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A value of user-dirs.dirs: "$HOME/…" or "/…", in double quotes with backslash escapes.
// Anything else is not a path the file format allows, so it is ignored.
std::string UserDirsPath(std::string_view value, const std::string& home) {
    if (value.empty() || value.front() != '"') return {};
    std::string path;
    for (size_t i = 1; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        path += value[i];
    }
    constexpr std::string_view kHome = "$HOME";
    if (path.compare(0, kHome.size(), kHome) == 0 &&
        (path.size() == kHome.size() || path[kHome.size()] == '/')) {
        return home + path.substr(kHome.size());
    }
    return !path.empty() && path.front() == '/' ? path : std::string();
}

std::string DocumentsFromUserDirs(const std::string& file, const std::string& home) {
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileBytes(file);
    } catch (const LedgerError&) {
    }
    if (!bytes) return {};
    std::string found;
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    for (const std::string_view line : SplitLines(*bytes)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) continue;
        // Like the shell that sources the file, the last assignment wins.
        const std::string path =
            UserDirsPath(std::string_view(line).substr(start + kKey.size()), home);
        if (!path.empty()) found = path;
    }
    return found;
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
    try {
        const std::optional<std::string> bytes = ReadFileBytes(from);
        if (!bytes) return false;
        WriteFileAtomic(to, *bytes);
    } catch (const LedgerError&) {
        return false;
    }
    return true;
}

}  // namespace

UserEnvironment ProcessEnvironment() {
    UserEnvironment env{Getenv("HOME"), Getenv("XDG_CONFIG_HOME"), Getenv("XDG_DOCUMENTS_DIR")};
    if (env.Home.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
            env.Home = user->pw_dir;
        }
    }
    return env;
}

std::string ConfigHome(const UserEnvironment& env) {
    // Relative values are invalid and must be ignored.
    if (!env.XdgConfigHome.empty() && env.XdgConfigHome.front() == '/') {
        return WithTrailingSlash(env.XdgConfigHome);
    }
    return WithTrailingSlash(env.Home) + ".config/";
}

std::string DocumentsDir(const UserEnvironment& env) {
    if (!env.XdgDocumentsDir.empty() && env.XdgDocumentsDir.front() == '/') {
        return WithTrailingSlash(env.XdgDocumentsDir);
    }
    const std::string home = WithTrailingSlash(env.Home);
    const std::string fromFile =
        DocumentsFromUserDirs(ConfigHome(env) + "user-dirs.dirs", env.Home);
    return fromFile.empty() ? home + "Documents/" : WithTrailingSlash(fromFile);
}

ProgramFolders ChooseProgramFolders(const std::string& exeDir, const std::string& sharedDir,
                                    bool exeDirWritable, const UserEnvironment& env) {
    const std::string exe = WithTrailingSlash(exeDir);
    const std::string shared = WithTrailingSlash(sharedDir);
    // An installed program writable by its user (an install into ~/.local, or run by root)
    // must not fill bin/ with settings and ledgers.
    const bool installed =
        FileExists(shared + kMasterNames[0]) && !FileExists(exe + kMasterNames[0]);
    if (exeDirWritable && !installed) return ProgramFolders{exe, exe, ""};
    // A read-only portable folder brings its own masters.
    return ProgramFolders{ConfigHome(env) + "kakeibo/", DocumentsDir(env) + "家計簿/",
                          DirectoryExists(shared) ? shared : exe};
}

std::string RunningProgramDir() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("./") : WithTrailingSlash(exe.parent_path().string());
}

std::string InstalledSharedDir(const std::string& exeDir) {
    return WithTrailingSlash(exeDir) + KAKEIBO_SHARE_FROM_BIN "/";
}

bool IsWritableDirectory(const std::string& dir) {
    return ::access(dir.c_str(), W_OK) == 0;
}

void MakeDirectories(const std::string& dir, unsigned mode) {
    std::string path;
    size_t pos = 0;
    while (pos != std::string::npos) {
        const size_t slash = dir.find('/', pos + 1);
        path = dir.substr(0, slash);
        pos = slash;
        if (path.empty() || path == "/" || DirectoryExists(path)) continue;
        // Only the folder asked for is private: a missing Documents or .config is made as
        // the user's other folders are.
        const bool last =
            pos == std::string::npos || dir.find_first_not_of('/', pos) == std::string::npos;
        const auto made = static_cast<mode_t>(last ? mode : 0777);
        if (::mkdir(path.c_str(), made) != 0) {
            const int error = errno;
            if (error == EEXIST && DirectoryExists(path)) continue;
            throw LedgerError("フォルダ「" + dir + "」を作成できませんでした。" +
                              FileErrorReason(error == EEXIST ? ENOTDIR : error));
        }
        // The umask may take bits away from a private folder, never add them.
        if (last) ::chmod(path.c_str(), made);
    }
}

void PrepareProgramFolder(const ProgramFolders& folders) {
    if (folders.MastersSource.empty() || FileExists(folders.ProgramDir + kSettingsFile)) return;
    try {
        // The settings name the user's data folder: private to the user, like the folder above.
        MakeDirectories(folders.ProgramDir, 0700);
    } catch (const LedgerError&) {
        return;
    }
    for (const char* name : kMasterNames) {
        const std::string target = folders.ProgramDir + name;
        if (!FileExists(target)) CopyFileBytes(folders.MastersSource + name, target);
    }
}

}  // namespace kakeibo
