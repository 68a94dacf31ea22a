#include "ui/main/csv_export.h"

#include "ui/entry/entry_form.h"
#include "ui/entry/entry_list_model.h"
#include "ui/platform/platform.h"

namespace kakeibo {

TextTable EntryListTexts(const TForm3& form) {
    TextTable rows(static_cast<size_t>(form.EntryListRowCount()));
    for (int r = 0; r < form.EntryListRowCount(); ++r) {
        for (int c = 0; c < kEntryListColumns; ++c) {
            rows[r].push_back(form.EntryListCell(r, c).toStdString());
        }
    }
    return rows;
}

void ExportCsv(const TextTable& rows, const std::string& dataDir) {
    Platform& platform = CurrentPlatform();
    FileDialogOptions options;
    options.Filter = QStringLiteral("CSV File(*.csv)|*.csv");
    options.InitialDir = QString::fromStdString(dataDir);
    options.DefaultExt = QStringLiteral("csv");
    options.OverwritePrompt = true;
    const auto path = platform.GetSaveFileName(options);
    if (!path) return;
    WriteCsv(path->toStdString(), rows);
    platform.ShowMessage(QStringLiteral("　保存は正常に終了しました。　"));
}

}  // namespace kakeibo
