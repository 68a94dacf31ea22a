#include "ui/main/csv_export.h"

#include <QTableWidget>

#include "ui/platform/platform.h"

namespace kakeibo {

TextTable GridTexts(const QTableWidget& grid) {
    TextTable rows(static_cast<size_t>(grid.rowCount()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        rows[r].reserve(static_cast<size_t>(grid.columnCount()));
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QTableWidgetItem* item = grid.item(r, c);
            rows[r].push_back(item != nullptr ? item->text().toStdString() : std::string());
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
