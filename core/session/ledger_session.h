#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/files/file_stamp.h"
#include "core/files/journal.h"
#include "core/files/ledger_lock.h"
#include "core/files/save.h"
#include "core/ledger/change.h"
#include "core/ledger/history.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

namespace kakeibo {

// The shops and memos the entry form offers, newest first, as the histories' files hold them.
struct TextHistories {
    std::vector<std::string> Shops;
    std::vector<std::string> Memos;
};

// Puts `text` at the top of a history: a line equal to it when letter case is ignored moves to
// the top as it is spelled, otherwise the text becomes the new top line; empty lines are
// dropped and the oldest beyond `max` (0 empties the list).
void RememberInHistory(std::vector<std::string>& lines, const std::string& text, int max);

// What the session asks of the user. The session decides what to ask and what an answer
// does; the main window only shows the question through the platform seam.
class SessionQuestions {
public:
    // A message to show with its OK button.
    virtual void Tell(const Notice& notice) = 0;
    // Another program has the ledger open (the question names it): true opens it all the same.
    virtual bool OpenHeldLedger(const std::string& question) = 0;
    // Changes a program left unsaved: true replays them. `fits`: the journal was made for the
    // files now loaded (a confirmation); otherwise the question warns first.
    virtual bool Recover(const std::string& question, bool fits) = 0;
    // A file of the ledger changed on disk since it was read or saved.
    enum class ChangedFileAnswer { Overwrite, SaveAs, Cancel };
    virtual ChangedFileAnswer OverwriteChangedFile(const std::string& question) = 0;

protected:
    ~SessionQuestions() = default;
};

// The open ledger as one object: the journal of its changes, the lock that tells a second
// program who has it, the history for undo and redo, and the look at its files before and
// after a save. Every change a window makes goes through Apply; nothing here needs a window.
class LedgerSession final {
public:
    using Clock = std::function<Moment()>;
    using Listener = std::function<void()>;

    LedgerSession(Ledger& ledger, SessionQuestions& questions, Clock clock);
    ~LedgerSession();
    LedgerSession(const LedgerSession&) = delete;
    LedgerSession& operator=(const LedgerSession&) = delete;

    // Called once after every change Apply kept and after recovered changes were replayed.
    void Listen(Listener listener) { listeners_.push_back(std::move(listener)); }

    // Keeps a change a core writer just made: journals it (durable before anyone shows it),
    // keeps it as the newest history step, then tells the listeners. When the journal cannot
    // hold it, the change is taken back out of the ledger, the changed flags return to what
    // they were and JournalError says why.
    void Apply(const Change& change);

    // The history's step back or forward, journaled as a change of its own; returns what it
    // did (nothing when there was no step). A refused step is taken back and throws.
    std::optional<Change> Undo();
    std::optional<Change> Redo();
    const History& Steps() const { return history_; }
    // The shop and memo histories: read once at start-up (`LoadTextHistories` from the data
    // folder), fed by every entry written or edited through Apply and by recovered ones.
    void LoadTextHistories(const std::string& dir);
    const TextHistories& Texts() const { return texts_; }
    // Another ledger (or the same one as saved) is loaded: the old steps are not its own.
    void ClearHistory() { history_.Clear(); }

    // Before the ledger `name` in `dir` is read: its lock (asking, with `ask`, when another
    // program has it), the saves cut short in its folder, the scratch files of kills. False
    // when the user declined.
    bool TakeLedger(const std::string& dir, const std::string& name, bool ask);
    // After it was read from `files` (empty: the files as they are now): the lock is kept,
    // its journal started, changes left unsaved offered and replayed into the history.
    // True when changes were replayed.
    bool AdoptLedger(std::vector<FileStamp> files);
    // Unsaved changes will be thrown away: leaving the ledger sets its journal aside.
    void ThrowAwayOnLeave(bool throwAway) { throwAway_ = throwAway; }
    // The open ledger is left (another opened, restored); the journal stays for the next start
    // unless it was set to be thrown away.
    void LeaveLedger();
    // The program ends: the ledger is left and its lock released.
    void Close();

    // Before a save into `dir`/`name`: whether the files changed on disk, the new name's lock.
    // Cancel restores the ledger's folder and name when a save as was refused.
    enum class SaveCheck { Go, Cancel, SaveAs };
    SaveCheck BeforeSave(const std::string& dir, const std::string& name);
    // After the save: the old journal is removed and the files' stamps renewed.
    void AfterSave(const SaveResult& result);
    // The whole year was replaced (a restore) from `before`: journaled as one change, or taken
    // back and thrown.
    void JournalReplacedYear(const Ledger& before);

    bool Shared() const { return shared_; }
    const LedgerJournal& Journal() const { return journal_; }

private:
    enum class Made { Applied, Undone, Redone };
    void Keep(const Change& change, Made made);
    void TakeBack(const std::vector<Change>& changes);
    void RememberFlags();
    bool OfferRecovery();
    void Notify();
    void RememberTexts(const Change& change);

    Ledger& ledger_;
    SessionQuestions& questions_;
    Clock clock_;
    std::vector<Listener> listeners_;
    LedgerJournal journal_;
    History history_;
    TextHistories texts_;
    std::unique_ptr<LedgerLock> lock_;         // of the open ledger; not held when shared
    std::unique_ptr<LedgerLock> pendingLock_;  // of the ledger being opened
    std::string pendingLockPath_;              // the ledger being opened, by its lock's path
    bool pendingShared_ = false;               // another program has it open
    bool shared_ = false;
    bool throwAway_ = false;  // the user said not to save: the journal goes aside
    // The changed flags as of the last change kept: what a refused change returns to.
    bool keptLedgerChanged_ = false;
    bool keptMastersChanged_ = false;
};

// The question when another program holds the ledger `name`.
std::string HeldLedgerQuestion(const std::string& name, const LockHolder& holder);

}  // namespace kakeibo
