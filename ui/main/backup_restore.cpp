// The main window's way back to a generation kept by an earlier save.
#include <QAction>
#include <QStringList>
#include <memory>

#include "core/files/backup.h"
#include "core/files/ledger_files.h"
#include "ui/main/main_window.h"
#include "ui/platform/platform.h"

namespace kakeibo {

namespace {

const char* const kRestoreTitle = "バックアップから復元";
const char* const kRestorePrompt = "戻す保存を選んでください（新しい順）";

QString EntriesText(int entries) {
    return QStringLiteral("　%1件").arg(entries);
}

}  // namespace

void TForm1::UpdateRestoreEntry() {
    RestoreBackup1->setEnabled(!ListGenerations(ledger_.DataDir, ledger_.LedgerName).empty());
}

void TForm1::RestoreBackup1Click() {
    if (!AskSaveChanges()) return;
    const std::string dir = ledger_.DataDir;
    const std::string name = ledger_.LedgerName;
    const std::vector<BackupGeneration> generations = ListGenerations(dir, name);
    if (generations.empty()) return;
    QStringList lines;
    for (const BackupGeneration& g : generations) {
        lines << QString::fromStdString(GenerationLabel(g)) + EntriesText(g.Entries);
    }
    Platform& platform = CurrentPlatform();
    const auto chosen = platform.ChooseItem(QString::fromUtf8(kRestoreTitle),
                                            QString::fromUtf8(kRestorePrompt), lines);
    if (!chosen) return;
    const BackupGeneration& generation = generations[static_cast<size_t>(*chosen)];
    // A generation without its save's time is named by the save that replaced it.
    const QString state =
        generation.Saved ? QStringLiteral("%1 に保存された「%2」") : QStringLiteral("%1 の「%2」");
    const QString question =
        state.arg(QString::fromStdString(GenerationLabel(generation)),
                  QString::fromStdString(name)) +
        QStringLiteral("に戻します。\r今のファイルはバックアップに残ります。よろしいですか？");
    if (platform.ShowTypedMessage(MessageKind::Information, question, YesButton | NoButton) !=
        YesButton) {
        return;
    }
    // The files as they are now become a generation first, so the restore can be undone.
    // Nothing is pruned now: the generation restored from stays until later saves push it out,
    // so declining to save at the end still finds it.
    KeepGeneration(dir, name, platform.Now(), kKeepEveryGeneration);
    // Exactly what a first load of those files gives: a missing budget or balance file must
    // not leave today's tables mixed into the restored year.
    const auto before = std::make_unique<Ledger>(ledger_);
    const LoadResult result = MonthLoad(ledger_, generation.Path, name, MissingTables::Empty);
    if (!result.Loaded) {
        if (result.Message) {
            platform.ShowTypedMessage(MessageKind::Warning,
                                      QString::fromStdString(result.Message->Text), OkButton);
        }
        return;
    }
    // The restored year is the open ledger, still living in its own folder; the next save
    // writes it back there.
    init();
    ledger_.LedgerChanged = true;
    session_.JournalReplacedYear(*before);
    AllUpdate();
}

}  // namespace kakeibo
