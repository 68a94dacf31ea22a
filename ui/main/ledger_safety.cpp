// What keeps the open ledger safe between saves: the journal of its changes, the lock that
// tells a second program who has it, and the look at its files before they are overwritten.
#include <QString>
#include <QStringList>
#include <cstdio>

#include "core/backup.h"
#include "core/ledger_paths.h"
#include "core/process_info.h"
#include "core/save_intent.h"
#include "ui/main/main_window.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

QString HolderText(const std::string& name, const LockHolder& holder) {
    const QString who =
        holder.ThisHost
            ? QStringLiteral("このコンピューターの別のプログラム")
            : QStringLiteral("コンピューター「%1」のプログラム").arg(Qs(holder.Process.Host));
    return QStringLiteral(
               "家計簿「%1」は、%2（プロセス %3）が %4 から開いています。\r両方で変更して保存"
               "すると、一方の変更が失われます。このまま開きますか？")
        .arg(Qs(name), who, QString::number(holder.Process.Pid), Qs(holder.Since));
}

}  // namespace

void TForm1::Journal(const Change& change) {
    const auto warning = journal_.Append(ledger_, change, CurrentPlatform().Now());
    if (warning) ShowNotice(*warning);
}

bool TForm1::TakeLedger(const std::string& dir, const std::string& name, bool ask) {
    const std::string lockPath = dir + LockFileName(name);
    // A lock taken for a save as that failed is still this program's.
    if (pendingLock_ && pendingLock_->Path() != lockPath) pendingLock_.reset();
    pendingShared_ = false;
    bool own = pendingLock_ != nullptr || (lock_ && lock_->Held() && lock_->Path() == lockPath);
    if (!own) {
        auto lock = std::make_unique<LedgerLock>();
        LockHolder holder;
        switch (lock->Take(lockPath, CurrentPlatform().Now(), &holder)) {
            case LockOutcome::Taken:
                own = true;
                pendingLock_ = std::move(lock);
                break;
            case LockOutcome::Unavailable:  // a read-only folder: nobody saves there
                break;
            case LockOutcome::NotAFile:  // no lock can be trusted: as if another program held it
                CurrentPlatform().ShowTypedMessage(MessageKind::Warning,
                                                   Qs(LockNotAFileMessage(lockPath)), OkButton);
                pendingShared_ = true;
                break;
            case LockOutcome::Held:
                if (ask && CurrentPlatform().AskChoice(
                               MessageKind::Warning, HolderText(name, holder),
                               {QStringLiteral("開く"), QStringLiteral("キャンセル")}, 1, 1) != 0) {
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
        ShowNotice(notice);
    }
    if (own) RemoveLeftovers(dir, BackupFolder(dir, name), ProcessStartSeconds());
    return true;
}

void TForm1::AdoptLedger(std::vector<FileStamp> files) {
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
    OfferRecovery();
}

void TForm1::LeaveLedger() {
    if (throwAway_) {
        journal_.SetAside();
    } else {
        journal_.Close();
    }
    throwAway_ = false;
}

void TForm1::OfferRecovery() {
    Platform& platform = CurrentPlatform();
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
            platform.ShowTypedMessage(MessageKind::Warning,
                                      Qs(JournalKeptAsideMessage(path, contents.State)), OkButton);
            continue;
        }
        if (contents.Records.empty()) {
            std::remove(path.c_str());
            continue;
        }
        const bool fits = JournalFitsFiles(contents.Header, journal_.Base());
        if (platform.ShowTypedMessage(fits ? MessageKind::Confirmation : MessageKind::Warning,
                                      Qs(RecoveryQuestion(contents, fits)),
                                      YesButton | NoButton) != YesButton) {
            SetJournalAside(path);
            continue;
        }
        records.insert(records.end(), contents.Records.begin(), contents.Records.end());
        replayedFrom.push_back(path);
    }
    if (records.empty()) return;

    const bool ledgerChanged = ledger_.LedgerChanged;
    const bool mastersChanged = ledger_.MastersChanged;
    const std::vector<Change> replayed = ReplayJournal(ledger_, records);
    try {
        // One journal again, whole, made for the files now loaded.
        journal_.Restart(ledger_, journal_.Base(), records, platform.Now());
    } catch (const LedgerError&) {
        // The changes stay in their old journal, to be offered again, and out of the ledger.
        for (auto it = replayed.rbegin(); it != replayed.rend(); ++it) {
            ApplyChange(ledger_, *it, ChangeSide::Before);
        }
        ledger_.LedgerChanged = ledgerChanged;
        ledger_.MastersChanged = mastersChanged;
        throw;
    }
    for (const std::string& path : replayedFrom) {
        if (path != journal_.Path()) std::remove(path.c_str());
    }
    AllUpdate();
}

TForm1::SaveCheck TForm1::BeforeSave(const std::string& dir, const std::string& name) {
    if (!journal_.Started()) return SaveCheck::Go;
    const bool sameLedger = dir == journal_.Dir() && name == journal_.Name();
    if (sameLedger) {
        if (const auto changed = FirstChangedFile(journal_.Base())) {
            const QString text =
                QStringLiteral(
                    "ファイル「%1」は、読み込んだ後（または前回の保存の後）に別のプログラムで"
                    "変更されています。\r上書きすると、その変更は失われます。")
                    .arg(Qs(changed->Path));
            const int answer = CurrentPlatform().AskChoice(
                MessageKind::Warning, text,
                {QStringLiteral("上書きする"), QStringLiteral("名前を付けて保存"),
                 QStringLiteral("キャンセル")},
                2, 2);
            if (answer == 1) return SaveAs() ? SaveCheck::SavedAs : SaveCheck::Cancel;
            if (answer != 0) return SaveCheck::Cancel;
        }
    } else if (!TakeLedger(dir, name, true)) {
        // Save as was refused: the open ledger keeps its name.
        ledger_.DataDir = journal_.Dir();
        ledger_.LedgerName = journal_.Name();
        ShowPanelName();
        return SaveCheck::Cancel;
    }
    if (sameLedger && lock_ && lock_->Held()) {
        RemoveLeftovers(dir, BackupFolder(dir, name), ProcessStartSeconds());
    }
    RemoveLeftovers(ledger_.ExeDir, "", ProcessStartSeconds());
    return SaveCheck::Go;
}

void TForm1::AfterSave(const SaveResult& result) {
    if (!journal_.Started()) return;
    const std::string oldJournal = journal_.Path();
    if (!pendingLockPath_.empty()) {  // saved under a new name: its lock is the ledger's now
        lock_ = std::move(pendingLock_);
        shared_ = pendingShared_;
        pendingLockPath_.clear();
    }
    std::vector<FileStamp> saved = CurrentLedgerStamps(ledger_.DataDir, ledger_.LedgerName);
    journal_.Start(ledger_, ledger_.ExeDir, saved, shared_);
    if (result.Warning) {
        // The settings and masters were not written: the journal keeps them until they are.
        Change settings;
        settings.Kind = ChangeKind::Settings;
        settings.SettingsBefore = CaptureSettings(ledger_);
        settings.SettingsAfter = settings.SettingsBefore;
        const Moment now = CurrentPlatform().Now();
        try {
            journal_.Restart(ledger_, std::move(saved), {JournalRecord{now, settings}}, now);
        } catch (const LedgerError& e) {
            ShowNotice(Notice{NoticeKind::Warning, e.what()});
        }
    }
    if (!oldJournal.empty() && oldJournal != journal_.Path()) std::remove(oldJournal.c_str());
}

void TForm1::JournalReplacedYear(const Ledger& before) {
    if (!journal_.Started()) return;
    if (throwAway_) journal_.SetAside();
    throwAway_ = false;
    const Change restore = ChangeBetween(before, ledger_, ChangeKind::Restore, true);
    const Moment now = CurrentPlatform().Now();
    try {
        journal_.Restart(ledger_, journal_.Base(), {JournalRecord{now, restore}}, now);
    } catch (const LedgerError&) {
        ApplyChange(ledger_, restore, ChangeSide::Before);
        ledger_.LedgerChanged = before.LedgerChanged;
        ledger_.MastersChanged = before.MastersChanged;
        throw;
    }
}

}  // namespace kakeibo
