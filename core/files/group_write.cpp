#include "core/files/group_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/file_stamp.h"
#include "core/files/process_info.h"
#include "core/files/save_intent.h"

namespace kakeibo {

namespace {

WriteFaultHook& FaultHook() {
    static WriteFaultHook hook;
    return hook;
}

// The injected errno for a step, or 0.
int Injected(WriteStep step, const std::string& path) {
    const WriteFaultHook& hook = FaultHook();
    return hook ? hook(step, path) : 0;
}

[[noreturn]] void FailWrite(const std::string& path, int error) {
    throw LedgerError("ファイル「" + path + "」に書き込めませんでした。" + FileErrorReason(error));
}

// One folder of a group, opened once.
struct Folder {
    std::string Path;  // as given, with its "/" ("./" for a bare name)
    int Fd = -1;
    std::string Record;  // the save record's name, while it is there
};

struct Member {
    const GroupFile* File = nullptr;
    size_t FolderIndex = 0;
    std::string Name;      // the file's name inside its folder
    std::string TempName;  // the temporary file's name inside its folder
    bool TempMade = false;
    std::string OldName;  // a second name of the file it replaces, while the renames run
    bool Existed = false;
    bool Renamed = false;
    int Fd = -1;  // the temporary file, open from its writing until it is synced
};

// Removes the temporary files still lying beside their targets and closes the folders.
class GroupState {
public:
    std::vector<Folder> Folders;
    std::vector<Member> Members;

    ~GroupState() {
        for (const Member& m : Members) {
            if (m.Fd >= 0) ::close(m.Fd);
        }
        for (const Member& m : Members) {
            if (m.TempMade) ::unlinkat(Folders[m.FolderIndex].Fd, m.TempName.c_str(), 0);
            if (!m.OldName.empty()) ::unlinkat(Folders[m.FolderIndex].Fd, m.OldName.c_str(), 0);
        }
        for (const Folder& f : Folders) {
            if (!f.Record.empty()) ::unlinkat(f.Fd, f.Record.c_str(), 0);
            if (f.Fd >= 0) ::close(f.Fd);
        }
    }
};

void CloseTemp(Member& member) {
    const int fd = member.Fd;
    member.Fd = -1;
    if (::close(fd) != 0) FailWrite(member.File->Path, errno);
}

// Creates and writes the temporary file; with `sync` it starts the file's writeback and stays
// open for SyncTemp, so the group's files go to the disk together rather than one by one.
void WriteTemp(const Folder& folder, Member& member, bool sync) {
    const std::string& path = member.File->Path;
    // A replaced file keeps the permissions it had; a new one is the user's alone unless it
    // follows the umask as the user's own files do.
    // A private file that an older version left readable by everyone (0644) is the user's
    // alone again; a group the user gave it stays.
    struct stat old {};
    const bool replacing = ::fstatat(folder.Fd, member.Name.c_str(), &old, 0) == 0;
    const bool followUmask = !replacing && member.File->Access == NewFileAccess::FollowUmask;
    const bool tighten = member.File->Access == NewFileAccess::Private && (old.st_mode & 0007) != 0;
    const mode_t kept = tighten ? old.st_mode & 0700 : old.st_mode & 07777;
    const mode_t mode = replacing ? kept : followUmask ? 0666 : 0600;
    int error = Injected(WriteStep::CreateTemp, path);
    if (error != 0) FailWrite(path, error);
    // Made exclusively under a name of its own: a second writer of the same file (another
    // program saving the same ledger) can never write into this one.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        member.TempName = UniqueTempName(member.Name);
        fd = ::openat(folder.Fd, member.TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) FailWrite(path, errno);
    member.TempMade = true;
    member.Fd = fd;
    if (!followUmask) ::fchmod(fd, mode);
    error = Injected(WriteStep::Write, path);
    if (error != 0 || !WriteAll(fd, member.File->Bytes, error)) FailWrite(path, error);
#ifdef __linux__
    // Only a hint: the fsync of SyncTemp is what makes the file durable.
    if (sync) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    if (!sync) CloseTemp(member);
}

// Syncs (with `sync`) and closes the temporary file.
void SyncTemp(Member& member, bool sync) {
    const std::string& path = member.File->Path;
    int error = 0;
    if (sync) {
        error = Injected(WriteStep::SyncFile, path);
        if (error == 0 && ::fsync(member.Fd) != 0) error = errno;
    }
    if (error != 0) FailWrite(path, error);
    CloseTemp(member);
}

// Writes the save record of folder `index`: which of its temporary files (written and
// synced) replaces which file. With `sync` it is on the disk, and named in the folder, before
// the first rename.
void WriteRecord(GroupState& group, size_t index, const std::string& lockPath, bool sync) {
    Folder& folder = group.Folders[index];
    SaveIntent intent;
    intent.Writer = ThisProcess();
    intent.LockPath = lockPath;
    std::string named;  // a failure names the folder's first file: the user knows it
    for (const Member& m : group.Members) {
        if (m.FolderIndex != index) continue;
        if (named.empty()) named = m.File->Path;
        intent.Files.push_back(IntentFile{m.TempName, m.Name,
                                          static_cast<int64_t>(m.File->Bytes.size()),
                                          HashBytes(m.File->Bytes)});
    }
    const std::string bytes = IntentBytes(intent);
    int error = Injected(WriteStep::WriteRecord, folder.Path);
    int fd = -1;
    for (int attempt = 0; error == 0 && fd < 0 && attempt < 8; ++attempt) {
        folder.Record = UniqueIntentName();
        fd = ::openat(folder.Fd, folder.Record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (error == 0 && fd < 0) error = errno;
    if (fd < 0) {
        folder.Record.clear();
    } else {
        if (WriteAll(fd, bytes, error) && sync && ::fsync(fd) != 0) error = errno;
        if (::close(fd) != 0 && error == 0) error = errno;
    }
    if (error == 0 && sync && ::fsync(folder.Fd) != 0) error = errno;
    if (error != 0) FailWrite(named, error);
}

// A rename failed part-way (an I/O error of a network or USB folder): the group is finished
// (each failed rename tried once more) or, failing that, undone from the second names of the
// replaced files. Either way the save records go, so that no later start completes this save
// over files a later save wrote. Throws PartlySavedError when neither could be done.
void FinishOrUndo(GroupState& group, const std::string& failedPath, int failedError) {
    bool finished = true;
    for (Member& m : group.Members) {
        if (m.Renamed) continue;
        const int fd = group.Folders[m.FolderIndex].Fd;
        int error = Injected(WriteStep::Rename, m.File->Path);
        if (error == 0 && ::renameat(fd, m.TempName.c_str(), fd, m.Name.c_str()) != 0)
            error = errno;
        if (error != 0) {
            finished = false;
            break;
        }
        m.Renamed = true;
        m.TempMade = false;
    }
    const auto forgetRecords = [&] {
        for (Folder& f : group.Folders) ::fsync(f.Fd);
        for (Folder& f : group.Folders) {
            if (!f.Record.empty()) ::unlinkat(f.Fd, f.Record.c_str(), 0);
            f.Record.clear();
            ::fsync(f.Fd);
        }
    };
    if (finished) {
        forgetRecords();
        return;
    }
    std::vector<std::string> saved;
    for (Member& m : group.Members) {
        if (!m.Renamed) continue;
        const int fd = group.Folders[m.FolderIndex].Fd;
        int error = Injected(WriteStep::Undo, m.File->Path);
        if (error == 0) {
            if (m.Existed && !m.OldName.empty()) {
                if (::renameat(fd, m.OldName.c_str(), fd, m.Name.c_str()) != 0) error = errno;
            } else if (m.Existed || ::unlinkat(fd, m.Name.c_str(), 0) != 0) {
                error = m.Existed ? EXDEV : errno;
            }
        }
        if (error == 0) {
            m.Renamed = false;
            m.OldName.clear();
        } else {
            saved.push_back(m.File->Path);
        }
    }
    forgetRecords();
    if (saved.empty()) FailWrite(failedPath, failedError);
    std::vector<std::string> kept;
    for (const Member& m : group.Members) {
        if (!m.Renamed) kept.push_back(m.File->Path);
    }
    throw PartlySavedError(
        "ファイル「" + failedPath + "」に書き込めませんでした。" + FileErrorReason(failedError),
        saved, kept);
}

}  // namespace

void SetWriteFaultHookForTesting(WriteFaultHook hook) {
    FaultHook() = std::move(hook);
}

void WriteFileGroup(const std::vector<GroupFile>& files, bool sync, const std::string& lockPath) {
    GroupState group;
    group.Members.reserve(files.size());
    for (const GroupFile& file : files) {
        const size_t slash = file.Path.rfind('/');
        const std::string dir = slash == std::string::npos ? "./" : file.Path.substr(0, slash + 1);
        Member member;
        member.File = &file;
        member.Name = file.Path.substr(slash == std::string::npos ? 0 : slash + 1);
        auto found = std::find_if(group.Folders.begin(), group.Folders.end(),
                                  [&](const Folder& f) { return f.Path == dir; });
        if (found == group.Folders.end()) {
            int error = Injected(WriteStep::OpenFolder, dir);
            const int fd =
                error != 0 ? -1 : ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) FailWrite(file.Path, error != 0 ? error : errno);
            group.Folders.push_back(Folder{dir, fd, {}});
            found = group.Folders.end() - 1;
        }
        member.FolderIndex = static_cast<size_t>(found - group.Folders.begin());
        group.Members.push_back(std::move(member));
    }

    // Every file is written (and synced) before the first old file is replaced.
    for (Member& member : group.Members) WriteTemp(group.Folders[member.FolderIndex], member, sync);
    for (Member& member : group.Members) {
        if (member.Fd >= 0) SyncTemp(member, sync);
    }

    // Renames are not atomic as a set: each folder first gets a record of which temporary
    // file replaces which, so that a save cut short between its renames is made whole (or
    // undone) by the next program that opens the folder.
    for (size_t i = 0; i < group.Folders.size(); ++i) WriteRecord(group, i, lockPath, sync);
    // A second name for each file about to be replaced, so that a group whose renames stop
    // part-way can be put back at once (a file system without links just cannot undo).
    for (Member& member : group.Members) {
        const int fd = group.Folders[member.FolderIndex].Fd;
        struct stat st {};
        member.Existed = ::fstatat(fd, member.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!member.Existed || group.Members.size() < 2) continue;
        member.OldName = UniqueTempName(member.Name);
        if (::linkat(fd, member.Name.c_str(), fd, member.OldName.c_str(), 0) != 0) {
            member.OldName.clear();
        }
    }
    for (Member& member : group.Members) {
        const int fd = group.Folders[member.FolderIndex].Fd;
        int error = Injected(WriteStep::Rename, member.File->Path);
        if (error == 0 && ::renameat(fd, member.TempName.c_str(), fd, member.Name.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            // A kill from here on is what the records are for; the program, alive, sets the
            // group right itself.
            FinishOrUndo(group, member.File->Path, error);
            break;
        }
        member.TempMade = false;
        member.Renamed = true;
    }

    // The renames survive a crash only once their folder is synced too; the record goes after.
    for (Folder& folder : group.Folders) {
        if (sync && Injected(WriteStep::SyncFolder, folder.Path) == 0) ::fsync(folder.Fd);
        Injected(WriteStep::RemoveRecord, folder.Path);
        ::unlinkat(folder.Fd, folder.Record.c_str(), 0);
        folder.Record.clear();
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync,
                     NewFileAccess access) {
    WriteFileGroup({GroupFile{path, std::string(bytes), access}}, sync);
}

}  // namespace kakeibo
