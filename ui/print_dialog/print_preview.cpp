#include "ui/print_dialog/print_preview.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolButton>

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
    // The toolbar's buttons (印刷 among them) are reached by Tab too, each named by its action.
    for (QToolButton* button : preview.findChildren<QToolButton*>()) {
        button->setFocusPolicy(Qt::TabFocus);
        if (const QAction* action = button->defaultAction()) {
            button->setAccessibleName(action->iconText());
        }
    }
    return preview.exec() == QDialog::Accepted;
}

}  // namespace kakeibo
