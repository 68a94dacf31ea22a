// Replacing a group of files all or nothing: temporary files, syncs, a save record, renames.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"

namespace kakeibo {

// Who may read a file that a write creates. A household's books are the user's alone, as a
// password manager keeps its database; a file saved where the user chose (a CSV) is made as
// the user's other files are. A replaced file always keeps the mode it had.
enum class NewFileAccess { Private, FollowUmask };

// One file of a group write: where it goes and its whole content.
struct GroupFile {
    std::string Path;
    std::string Bytes;
    NewFileAccess Access = NewFileAccess::Private;  // 0600 whatever the umask
};

// Replaces a group of files so that none of them changes unless all of them can: every
// file is written to a temporary file beside it (".<name>.<pid>-<tag>.tmp") and (with `sync`)
// synced, and only when all are written are they renamed over the old files; then each folder of
// the group is synced once. With `sync` the writeback of every file is started before the
// first fsync, so the disk takes the group's files together (one fsync per file still
// decides that each is durable). A failure before the renames removes the temporary files and
// leaves every old file as it was; LedgerError names the file and the reason in Japanese.
// Each folder is opened once and every step works relative to it, so a folder that is
// moved or removed part-way cannot split the group between two places, and the temporary
// files are removed from where they really are.
// Before the first rename each folder gets a save record (core/files/save_intent.h), synced, that
// names the ledger lock `lockPath` the save was made under; it goes after the folder sync,
// and a save cut short in between is completed by RecoverInterruptedSaves. The temporary
// files have names unique to the save, made exclusively, so that two programs writing the
// same file never write into one.
void WriteFileGroup(const std::vector<GroupFile>& files, bool sync = true,
                    const std::string& lockPath = {});

// A group of one file.
void WriteFileAtomic(const std::string& path, std::string_view bytes, bool sync = true,
                     NewFileAccess access = NewFileAccess::Private);

// The steps of a group write, for each file (the record steps and SyncFolder once a folder).
enum class WriteStep {
    OpenFolder,
    CreateTemp,
    Write,
    SyncFile,
    Rename,
    SyncFolder,
    WriteRecord,   // a folder's save record, before the first rename
    RemoveRecord,  // after the folder's sync
    Undo,          // a replaced file put back after a rename failed
};

// Some files of a group are new and the others as they were: neither could be helped.
class PartlySavedError : public LedgerError {
public:
    PartlySavedError(const std::string& message, std::vector<std::string> saved,
                     std::vector<std::string> kept)
        : LedgerError(message), Saved(std::move(saved)), Kept(std::move(kept)) {}
    std::vector<std::string> Saved;  // paths that hold the new content
    std::vector<std::string> Kept;   // paths that still hold the old content
};

// Test seam: called before each step with the file's path (the folder's for OpenFolder and
// SyncFolder); a non-zero errno it returns makes that step fail as if the system had
// answered it. An empty function (the default) injects nothing.
using WriteFaultHook = std::function<int(WriteStep step, const std::string& path)>;
void SetWriteFaultHookForTesting(WriteFaultHook hook);

}  // namespace kakeibo
