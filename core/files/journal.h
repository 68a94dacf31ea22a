// The journal of the open ledger's unsaved changes: writing, reading and replaying it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/files/backup.h"
#include "core/files/file_stamp.h"
#include "core/ledger/change.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

namespace kakeibo {

// The journal keeps every change of the open ledger on the disk from the moment it is made
// until the ledger is saved, so that a crash, a power cut or a killed program loses nothing.
// The file is a magic, then records: a 4-byte length, an 8-byte hash of the payload, the
// payload. The first record is the header (which ledger, the files it was loaded from); each
// later one holds one change as the ledger held it after the change, so replaying is exact,
// and as it found the ledger before (journals of older versions lack that side), so that a
// replay onto files changed since writes only what still holds what the change found. A save
// record says which bytes a save is about to give the ledger's files: when the files hold
// them, every change before it is in the files already.
inline constexpr uint32_t kJournalVersion = 1;

struct JournalHeader {
    uint32_t Version = kJournalVersion;
    std::string Dir;   // the ledger's folder, ending with "/"
    std::string Name;  // the ledger's name
    Moment Created;
    std::vector<FileStamp> Files;  // the ledger's files as the program read or last saved them
};

struct JournalRecord {
    Moment When;
    Change Made;
    // Made's Before side is what the change found. False for a record of an older version:
    // its Before side is as large as the After side, and replay takes it from the ledger.
    bool KnownBefore = false;
};

// A save began here: after Index records, the ledger's files were to hold Files.
struct JournalSave {
    size_t Index = 0;
    std::vector<FileStamp> Files;
};

enum class JournalState {
    Missing,     // no journal file
    Readable,    // header and the whole records read; a torn tail is left out
    TooNew,      // made by a newer version, or holding a record this version does not know
    Unreadable,  // not a journal, or its header is damaged
    Damaged,     // a record in it is damaged: none of it is replayed
    NotAFile,    // a link, a pipe, a device or a folder lies where the journal belongs
};

struct JournalContents {
    JournalState State = JournalState::Missing;
    JournalHeader Header;
    std::vector<JournalRecord> Records;
    uint64_t WholeSize = 0;  // bytes up to the end of the last whole record
    uint64_t FileSize = 0;
    bool TornTail = false;  // the last record was cut short by a kill and is ignored
    std::vector<JournalSave> Saves;
    // Damaged: the records that could not be read, and whether the lengths of the damaged
    // ones led no further (more may follow that were not counted).
    size_t Unread = 0;
    bool UnreadRest = false;
};

// The bytes of a journal: the magic and the header, and one change record.
std::string JournalStartBytes(const JournalHeader& header);
std::string JournalRecordBytes(const JournalRecord& record);
std::string JournalSaveBytes(const std::vector<FileStamp>& files);

JournalContents ReadJournal(const std::string& path);

// The journal's file is written in another way than the ledger's files: `Error` is the errno
// that decided whether the change is refused or the journal moves to the program's folder.
class JournalError : public LedgerError {
public:
    JournalError(const std::string& message, int error) : LedgerError(message), Error(error) {}
    int Error = 0;
};

// Where the journal of ledger `name` in `dir` lies: beside it, or, when the data folder
// cannot hold it (read-only, or another program holds the ledger), in the program's folder.
std::string JournalPath(const std::string& dir, const std::string& name);
std::string FallbackJournalPath(const std::string& programDir, const std::string& dir,
                                const std::string& name);
// The one generation a journal is kept aside as: "<journal>.old".
std::string AsideJournalPath(const std::string& journalPath);
// Moves the journal aside (over the generation there); false when it cannot.
bool SetJournalAside(const std::string& path);

// True when the journal was made for the files now loaded: the same bytes in each.
bool JournalFitsFiles(const JournalHeader& header, const std::vector<FileStamp>& loaded);

// When the files now loaded (and the save's other files on disk: the settings, the masters)
// hold what a save in the journal was writing (the program was killed during or right after
// that save, or the start completed it), the changes before that save are in the files: they
// are dropped and the journal counts as made for the files now loaded. True when it did so.
bool DropSavedRecords(JournalContents& contents, const std::vector<FileStamp>& loaded);

// Replays the records onto the ledger, each taking its Before side from the ledger as it
// stands, and returns them as changes (so they can be taken back like any other). A record
// that does not fit (made for other files) never leaves an empty slot between entries.
std::vector<Change> ReplayJournal(Ledger& ledger, const std::vector<JournalRecord>& records);

// A replay onto files the journal was not made for: an entry, budget or the settings are
// written only where the ledger still holds what the record found there (or already what it
// made); everything else is left as the files hold it and listed in NotReplayed, one line
// each ("3月 5件目：2026/03/02 八百屋 700円"). A record of an older version, which does not
// say what it found, is written only where the ledger holds what it made.
struct CarefulReplay {
    std::vector<Change> Replayed;
    std::vector<std::string> NotReplayed;
};
CarefulReplay ReplayOntoChangedFiles(Ledger& ledger, const std::vector<JournalRecord>& records);

// The ledger's entries, budget and balance files as they are on disk now, in the order of
// LoadResult::Files.
std::vector<FileStamp> CurrentLedgerStamps(const std::string& dir, const std::string& name);

// Everything that differs between two states of a year (entries, budgets, settings and
// opening balances) as one change: a restore is journaled and taken back like an edit.
// With `whole`, every used slot of every month, every budget and the settings are in it, so
// that replaying it gives the same year onto any files.
Change ChangeBetween(const Ledger& before, const Ledger& after, ChangeKind kind, bool whole);

// The question of the recovery offer: 「前回保存されなかった変更が 12 件あります（2025/06/15
// 21:04 まで）。復元しますか？」, with a warning before it when the journal does not fit.
std::string RecoveryQuestion(const JournalContents& contents, bool fits);
// What is told when a journal cannot be replayed and was kept aside.
std::string JournalKeptAsideMessage(const std::string& path, JournalState state);
// The same with what a damaged journal held: how many records could not be read.
std::string JournalKeptAsideMessage(const std::string& path, const JournalContents& contents);
// What a careful replay left as the files hold it: at most `shown` lines, then the count.
std::string NotReplayedMessage(const std::vector<std::string>& lines, size_t shown = 10);

// The journal of the open ledger. It is made with the first change, so an unchanged ledger
// leaves no file behind.
class LedgerJournal final {
public:
    LedgerJournal() = default;
    ~LedgerJournal() { Close(); }
    LedgerJournal(const LedgerJournal&) = delete;
    LedgerJournal& operator=(const LedgerJournal&) = delete;

    // The ledger now open and the files it was read from (or last saved to).
    // `inProgramFolder`: the journal goes to the program's folder from the start (another
    // program holds the ledger's lock).
    void Start(const Ledger& ledger, const std::string& programDir, std::vector<FileStamp> base,
               bool inProgramFolder = false);

    // Writes the change the ledger now holds to the disk before anyone shows it; JournalError
    // says why it could not (the ledger is its caller's to put back: LedgerSession). When
    // neither the data folder nor the program's folder can hold a journal, returns the
    // warning (once) and goes on unprotected.
    std::optional<Notice> Append(const Change& change, const Moment& when);

    // Starts a new journal that already holds `records` (replayed changes, a restore, the
    // settings a save could not write), made whole before it replaces the old one. Throws
    // JournalError when it cannot be written; the old journal then stays.
    void Restart(std::vector<FileStamp> base, const std::vector<JournalRecord>& records,
                 const Moment& now);

    // A save is about to give the ledger's files these bytes (the files it writes; the others
    // stay as Base says): noted in the journal, so that a start after a kill during the save
    // knows whether the journal's changes reached the files. Nothing when no journal exists.
    void NoteSave(const std::vector<FileStamp>& written);

    // The ledger was saved: no change is left to protect.
    void Remove();
    // The user threw the changes away: the journal moves aside so the next start offers nothing.
    void SetAside();
    // Forgets the file without touching it (the program ends with the journal in place).
    void Close();

    // False until Start: a journal with no ledger writes nothing.
    bool Started() const { return !dir_.empty(); }
    const std::vector<FileStamp>& Base() const { return base_; }
    // The ledger it was started for.
    const std::string& Dir() const { return dir_; }
    const std::string& Name() const { return name_; }
    // The file written to, once one was made.
    const std::string& Path() const { return path_; }

private:
    void Create(const std::string& path, const std::vector<JournalRecord>& records,
                const Moment& now);
    std::string Open(const std::vector<JournalRecord>& records, const Moment& now);

    std::string dir_;
    std::string name_;
    std::string programDir_;
    std::vector<FileStamp> base_;
    bool inProgramFolder_ = false;
    bool unprotected_ = false;
    std::string path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace kakeibo
