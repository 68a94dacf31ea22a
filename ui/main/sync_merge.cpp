// Another computer's saves of the open ledger, left beside it by a sync service as conflict
// copies: noticed, asked about once each, and merged back as one change.
#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QTimer>

#include "core/cli/batch.h"
#include "core/files/ledger_paths.h"
#include "core/session/ledger_merge.h"
#include "core/session/sync_copies.h"
#include "ui/main/main_window.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

// The version saved later is listed first.
bool TheirsNewer(const Ledger& ledger, const SyncCopy& copy) {
    if (ledger.LedgerChanged) return false;  // typed here since: this computer's is newer
    const QFileInfo file(Qs(ledger.DataDir + EntriesFileName(ledger.LedgerName)));
    const QDateTime mine = file.lastModified();
    const QDateTime theirs(QDate(copy.When.Day.Year, copy.When.Day.Month, copy.When.Day.Day),
                           QTime(copy.When.Hour, copy.When.Minute, copy.When.Second));
    return theirs > mine;
}

// The conflicts and the entries only one side has, as a check list: each conflict's versions
// (newest first), checked ones kept. False when the user cancelled.
bool ChooseVersions(const Ledger& ledger, LedgerMerge& merge, bool theirsFirst) {
    std::vector<CheckLine> lines;
    struct Place {
        int Conflict = -1;
        bool Theirs = false;
        MergedEntry* OneSided = nullptr;
    };
    std::vector<Place> places;
    const QString here = QStringLiteral("このパソコン：");
    const QString there = QStringLiteral("別のパソコン：");
    for (size_t i = 0; i < merge.Conflicts.size(); ++i) {
        for (const bool theirs : {theirsFirst, !theirsFirst}) {
            lines.push_back({(theirs ? there : here) +
                                 Qs(ConflictVersionText(ledger, merge.Conflicts[i], theirs)),
                             false,
                             {}});
            places.push_back({static_cast<int>(i), theirs, nullptr});
        }
    }
    for (auto& month : merge.Months) {
        for (MergedEntry& e : month) {
            if (!e.OneSided) continue;
            MergeConflict shown;
            (e.FromTheirs ? shown.Theirs : shown.Ours) = e.Entry;
            lines.push_back({(e.FromTheirs ? there : here) +
                                 Qs(ConflictVersionText(ledger, shown, e.FromTheirs)),
                             true,
                             {}});
            places.push_back({-1, e.FromTheirs, &e});
        }
    }
    if (lines.empty()) return true;
    for (;;) {
        if (!CurrentPlatform().ChooseLines(
                QStringLiteral("別のパソコンの変更の取り込み"),
                QStringLiteral(
                    "両方のパソコンで違う変更があります。残すものにチェックを付けてください"
                    "（両方に付けると両方を残します）。"),
                lines)) {
            return false;
        }
        for (size_t k = 0; k < places.size(); ++k) {
            if (places[k].OneSided) places[k].OneSided->Keep = lines[k].Checked;
        }
        for (size_t k = 0; k + 1 < places.size(); k += 2) {
            if (places[k].Conflict < 0) break;
            const bool a = lines[k].Checked;
            const bool b = lines[k + 1].Checked;
            const bool theirs = places[k].Theirs ? a : b;
            const bool ours = places[k].Theirs ? b : a;
            merge.Conflicts[places[k].Conflict].Choice = ours && theirs ? ConflictChoice::Both
                                                         : ours         ? ConflictChoice::Ours
                                                         : theirs       ? ConflictChoice::Theirs
                                                                        : ConflictChoice::Neither;
        }
        if (merge.Undecided() == 0) return true;
        CurrentPlatform().ShowTypedMessage(
            MessageKind::Warning,
            QStringLiteral("予算と期首残高は、どちらか一方にだけチェックを付けてください。"),
            OkButton);
    }
}

}  // namespace

void TForm1::WatchDataFolder() {
    if (!folderWatch_) {
        folderWatch_ = new QFileSystemWatcher(this);
        connect(folderWatch_, &QFileSystemWatcher::directoryChanged, this,
                [this] { syncCopiesWaiting_ = true; });
    }
    const QStringList watched = folderWatch_->directories();
    if (!watched.isEmpty()) folderWatch_->removePaths(watched);
    if (!ledger_.DataDir.empty()) folderWatch_->addPath(Qs(ledger_.DataDir));
}

void TForm1::OfferSyncCopies() {
    syncCopiesWaiting_ = false;
    if (ledger_.LedgerName == kNewLedgerName || ledger_.DataDir.empty()) return;
    for (const SyncCopy& copy : FindSyncCopies(ledger_.DataDir, ledger_.LedgerName)) {
        if (!copy.HasLedgerFiles()) continue;
        // Asked once: a copy declined stays where it is, unasked until the next start.
        if (!askedCopies_.insert(ledger_.DataDir + copy.Files.front().FileName).second) continue;
        const int answer = CurrentPlatform().AskChoice(
            MessageKind::Confirmation, Qs(SyncCopyQuestion(copy, ledger_.LedgerName)),
            {QStringLiteral("取り込む"), QStringLiteral("取り込まない")}, 0, 1);
        if (answer != 0) continue;
        RunGuarded([&] { TakeInSyncCopy(copy); });
    }
}

void TForm1::TakeInSyncCopy(const SyncCopy& copy) {
    const std::string& dir = ledger_.DataDir;
    const std::string& name = ledger_.LedgerName;
    const auto theirs = LoadSyncCopy(dir, name, copy, LedgerYear(ledger_, ledger_.EditDate.Year));
    const auto base = FindMergeBase(dir, name, ledger_, *theirs);
    LedgerMerge merge = MergeLedgers(base ? base->Tables.get() : nullptr, ledger_, *theirs);
    if (!ChooseVersions(ledger_, merge, TheirsNewer(ledger_, copy))) return;
    const Change change = ApplyMerge(ledger_, merge);
    Apply(change);
    PutAwaySyncCopy(dir, name, copy);
    Label5->setText(Qs(MergeSummary(merge.FromTheirs)));
}

}  // namespace kakeibo
