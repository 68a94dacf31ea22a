#include "core/session/ledger_session.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdio>

#include "core/files/backup.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_paths.h"
#include "core/files/process_info.h"
#include "core/files/save_intent.h"

namespace kakeibo {

std::string HeldLedgerQuestion(const std::string& name, const LockHolder& holder) {
    const std::string who = holder.ThisHost
                                ? "このコンピューターの別のプログラム"
                                : "コンピューター「" + holder.Process.Host + "」のプログラム";
    return "家計簿「" + name + "」は、" + who + "（プロセス " + std::to_string(holder.Process.Pid) +
           "）が " + holder.Since +
           " から開いています。\r両方で変更して保存すると、一方の変更が失われます。このまま開き"
           "ますか？";
}

void RememberInHistory(std::vector<std::string>& lines, const std::string& text, int max) {
    const icu::UnicodeString wanted = icu::UnicodeString::fromUTF8(text);
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return icu::UnicodeString::fromUTF8(line).caseCompare(wanted, U_FOLD_CASE_DEFAULT) == 0;
    });
    if (found != lines.end()) {
        std::rotate(lines.begin(), found, found + 1);
    } else {
        lines.insert(lines.begin(), text);
    }
    std::erase(lines, std::string());
    lines.resize(std::min(lines.size(), static_cast<size_t>(std::max(max, 0))));
}

LedgerSession::LedgerSession(Ledger& ledger, SessionQuestions& questions, Clock clock)
    : ledger_(ledger), questions_(questions), clock_(std::move(clock)) {}

LedgerSession::~LedgerSession() = default;

void LedgerSession::RememberFlags() {
    keptLedgerChanged_ = ledger_.LedgerChanged;
    keptMastersChanged_ = ledger_.MastersChanged;
}

void LedgerSession::LoadTextHistories(const std::string& dir) {
    texts_.Shops = ReadHistory(dir + kShopHistoryFile);
    texts_.Memos = ReadHistory(dir + kMemoHistoryFile);
}

// An entry written or edited on the entry form brings its shop and memo to the top.
void LedgerSession::RememberTexts(const Change& change) {
    if (change.Kind != ChangeKind::Write && change.Kind != ChangeKind::Edit) return;
    if (change.Slots.size() != 1 || change.Slots[0].AfterText.size() != 1) return;
    const EntryText& text = change.Slots[0].AfterText[0];
    RememberInHistory(texts_.Shops, text.Shop, ledger_.ShopHistoryMax);
    RememberInHistory(texts_.Memos, text.Memo, ledger_.MemoHistoryMax);
}

void LedgerSession::Notify() {
    for (const Listener& listener : listeners_) listener();
}

// The one place where changes the journal could not hold leave the ledger again, newest first.
void LedgerSession::TakeBack(const std::vector<Change>& changes) {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        ApplyChange(ledger_, *it, ChangeSide::Before);
    }
    ledger_.LedgerChanged = keptLedgerChanged_;
    ledger_.MastersChanged = keptMastersChanged_;
}

void LedgerSession::Keep(const Change& change, Made made) {
    std::optional<Notice> warning;
    try {
        warning = journal_.Append(change, clock_());
    } catch (const JournalError&) {
        TakeBack({change});
        if (made != Made::Applied) history_.Refused(made == Made::Undone);
        throw;
    }
    RememberFlags();
    if (warning) questions_.Tell(*warning);
}

void LedgerSession::Apply(const Change& change) {
    Keep(change, Made::Applied);
    history_.Push(change, DescribeChange(ledger_, change));
    RememberTexts(change);
    Notify();
}

std::optional<Change> LedgerSession::Undo() {
    std::optional<Change> done = history_.Undo(ledger_);
    if (done) Keep(*done, Made::Undone);
    return done;
}

std::optional<Change> LedgerSession::Redo() {
    std::optional<Change> done = history_.Redo(ledger_);
    if (done) Keep(*done, Made::Redone);
    return done;
}

bool LedgerSession::TakeLedger(const std::string& dir, const std::string& name, bool ask) {
    const std::string lockPath = dir + LockFileName(name);
    // A lock taken for a save as that failed is still this program's.
    if (pendingLock_ && pendingLock_->Path() != lockPath) pendingLock_.reset();
    pendingShared_ = false;
    bool own = pendingLock_ != nullptr || (lock_ && lock_->Held() && lock_->Path() == lockPath);
    if (!own) {
        auto lock = std::make_unique<LedgerLock>();
        LockHolder holder;
        switch (lock->Take(lockPath, clock_(), &holder)) {
            case LockOutcome::Taken:
                own = true;
                pendingLock_ = std::move(lock);
                break;
            case LockOutcome::Unavailable:  // a read-only folder: nobody saves there
                break;
            case LockOutcome::NotAFile:  // no lock can be trusted: as if another program held it
                questions_.Tell({NoticeKind::Warning, LockNotAFileMessage(lockPath)});
                pendingShared_ = true;
                break;
            case LockOutcome::Held:
                if (ask && !questions_.OpenHeldLedger(HeldLedgerQuestion(name, holder))) {
                    return false;
                }
                pendingShared_ = true;
                break;
        }
    }
    pendingLockPath_ = lockPath;
    // What another running program is doing in the folder is its own business.
    if (pendingShared_) return true;
    for (const Notice& notice : RecoverInterruptedSaves(dir, own ? lockPath : "")) {
        questions_.Tell(notice);
    }
    if (own) RemoveLeftovers(dir, BackupFolder(dir, name), ProcessStartSeconds());
    return true;
}

bool LedgerSession::AdoptLedger(std::vector<FileStamp> files) {
    const std::string lockPath = ledger_.DataDir + LockFileName(ledger_.LedgerName);
    // A ledger that could not be read leaves the new ledger's name open, which needs its lock.
    if (pendingLockPath_ != lockPath) TakeLedger(ledger_.DataDir, ledger_.LedgerName, false);
    if (pendingLock_) {
        lock_ = std::move(pendingLock_);
    } else if (lock_ && lock_->Path() != lockPath) {
        lock_.reset();
    }
    shared_ = pendingShared_;
    pendingLockPath_.clear();
    if (files.empty()) files = CurrentLedgerStamps(ledger_.DataDir, ledger_.LedgerName);
    journal_.Start(ledger_, ledger_.ExeDir, std::move(files), shared_);
    RememberFlags();
    return OfferRecovery();
}

void LedgerSession::LeaveLedger() {
    if (throwAway_) {
        journal_.SetAside();
    } else {
        journal_.Close();
    }
    throwAway_ = false;
}

void LedgerSession::Close() {
    LeaveLedger();
    lock_.reset();
}

bool LedgerSession::OfferRecovery() {
    std::vector<std::string> paths;
    // Another running program's journal beside the ledger is its own.
    if (!shared_) paths.push_back(JournalPath(ledger_.DataDir, ledger_.LedgerName));
    paths.push_back(FallbackJournalPath(ledger_.ExeDir, ledger_.DataDir, ledger_.LedgerName));
    std::vector<JournalRecord> records;
    std::vector<std::string> replayedFrom;
    for (const std::string& path : paths) {
        const JournalContents contents = ReadJournal(path);
        if (contents.State == JournalState::Missing) continue;
        if (contents.State != JournalState::Readable) {
            SetJournalAside(path);
            questions_.Tell(
                Notice{NoticeKind::Warning, JournalKeptAsideMessage(path, contents.State)});
            continue;
        }
        if (contents.Records.empty()) {
            std::remove(path.c_str());
            continue;
        }
        const bool fits = JournalFitsFiles(contents.Header, journal_.Base());
        if (!questions_.Recover(RecoveryQuestion(contents, fits), fits)) {
            SetJournalAside(path);
            continue;
        }
        records.insert(records.end(), contents.Records.begin(), contents.Records.end());
        replayedFrom.push_back(path);
    }
    if (records.empty()) return false;

    const std::vector<Change> replayed = ReplayJournal(ledger_, records);
    try {
        // One journal again, whole, made for the files now loaded.
        journal_.Restart(journal_.Base(), records, clock_());
    } catch (const LedgerError&) {
        // The changes stay in their old journal, to be offered again, and out of the ledger.
        TakeBack(replayed);
        throw;
    }
    RememberFlags();
    for (const std::string& path : replayedFrom) {
        if (path != journal_.Path()) std::remove(path.c_str());
    }
    // Each recorded change is a step of its own, so that what was recovered can be undone.
    for (const Change& change : replayed) {
        history_.Push(change, DescribeChange(ledger_, change));
        RememberTexts(change);
    }
    Notify();
    return true;
}

LedgerSession::SaveCheck LedgerSession::BeforeSave(const std::string& dir,
                                                   const std::string& name) {
    if (!journal_.Started()) return SaveCheck::Go;
    const bool sameLedger = dir == journal_.Dir() && name == journal_.Name();
    if (sameLedger) {
        if (const auto changed = FirstChangedFile(journal_.Base())) {
            const std::string question =
                "ファイル「" + changed->Path +
                "」は、読み込んだ後（または前回の保存の後）に別のプログラムで変更されています。"
                "\r上書きすると、その変更は失われます。";
            switch (questions_.OverwriteChangedFile(question)) {
                case SessionQuestions::ChangedFileAnswer::Overwrite:
                    break;
                case SessionQuestions::ChangedFileAnswer::SaveAs:
                    return SaveCheck::SaveAs;
                case SessionQuestions::ChangedFileAnswer::Cancel:
                    return SaveCheck::Cancel;
            }
        }
    } else if (!TakeLedger(dir, name, true)) {
        // Save as was refused: the open ledger keeps its name.
        ledger_.DataDir = journal_.Dir();
        ledger_.LedgerName = journal_.Name();
        return SaveCheck::Cancel;
    }
    if (sameLedger && lock_ && lock_->Held()) {
        RemoveLeftovers(dir, BackupFolder(dir, name), ProcessStartSeconds());
    }
    RemoveLeftovers(ledger_.ExeDir, "", ProcessStartSeconds());
    return SaveCheck::Go;
}

void LedgerSession::AfterSave(const SaveResult& result) {
    if (!journal_.Started()) return;
    const std::string oldJournal = journal_.Path();
    if (!pendingLockPath_.empty()) {  // saved under a new name: its lock is the ledger's now
        lock_ = std::move(pendingLock_);
        shared_ = pendingShared_;
        pendingLockPath_.clear();
    }
    std::vector<FileStamp> saved = CurrentLedgerStamps(ledger_.DataDir, ledger_.LedgerName);
    journal_.Start(ledger_, ledger_.ExeDir, saved, shared_);
    RememberFlags();
    if (result.Warning) {
        // The settings and masters were not written: the journal keeps them until they are.
        Change settings;
        settings.Kind = ChangeKind::Settings;
        settings.SettingsBefore = CaptureSettings(ledger_);
        settings.SettingsAfter = settings.SettingsBefore;
        const Moment now = clock_();
        try {
            journal_.Restart(std::move(saved), {JournalRecord{now, settings}}, now);
        } catch (const LedgerError& e) {
            questions_.Tell(Notice{NoticeKind::Warning, e.what()});
        }
    }
    if (!oldJournal.empty() && oldJournal != journal_.Path()) std::remove(oldJournal.c_str());
}

void LedgerSession::JournalReplacedYear(const Ledger& before) {
    if (!journal_.Started()) return;
    if (throwAway_) journal_.SetAside();
    throwAway_ = false;
    const Change restore = ChangeBetween(before, ledger_, ChangeKind::Restore, true);
    const Moment now = clock_();
    try {
        journal_.Restart(journal_.Base(), {JournalRecord{now, restore}}, now);
    } catch (const LedgerError&) {
        keptLedgerChanged_ = before.LedgerChanged;
        keptMastersChanged_ = before.MastersChanged;
        TakeBack({restore});
        throw;
    }
    RememberFlags();
}

}  // namespace kakeibo
