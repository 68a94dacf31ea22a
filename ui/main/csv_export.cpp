#include "ui/main/csv_export.h"

#include "ui/platform/platform.h"

namespace kakeibo {

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
