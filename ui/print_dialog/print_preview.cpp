#include "ui/print_dialog/print_preview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/platform/platform.h"
#include "ui/print/printout.h"

namespace kakeibo {

bool ShowPrintPreview(const PrintDocument& document, QWidget* over) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(document.PageLayout());
    printer.setDocName(document.Name());
    QPrintPreviewDialog preview(&printer, over);
    preview.setWindowTitle(QStringLiteral("印刷プレビュー：") + document.Name());
    QObject::connect(
        &preview, &QPrintPreviewDialog::paintRequested, &preview,
        [&document](QPrinter* target) { RunGuarded([&] { document.Render(*target); }); });
    return preview.exec() == QDialog::Accepted;
}

}  // namespace kakeibo
