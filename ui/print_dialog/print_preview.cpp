#include "ui/print_dialog/print_preview.h"

#include <QAction>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "ui/platform/platform.h"
#include "ui/print/printout.h"

namespace kakeibo {

void FitWholePage(QPrintPreviewDialog& preview, const QPageLayout& page) {
    // Nine tenths of the screen's height for the page, at its own shape, beside the
    // dialog's tool bar; each page is then shown whole, however the dialog is resized.
    const QScreen* screen = preview.screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        const QSizeF paper = page.fullRect(QPageLayout::Point).size();
        const int height = room.height() * 9 / 10;
        const int width = static_cast<int>(height * paper.width() / paper.height()) + 120;
        preview.resize(std::min(width, room.width() * 9 / 10), height);
    }
    // Once shown as well: the dialog sets its own zoom as it first shows.
    const auto fit = [&preview] {
        if (auto* pages = preview.findChild<QPrintPreviewWidget*>()) {
            pages->setZoomMode(QPrintPreviewWidget::FitInView);
        }
    };
    fit();
    QTimer::singleShot(0, &preview, fit);
}

bool ShowPrintPreview(const PrintDocument& document, QWidget* over) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(document.PageLayout());
    printer.setDocName(document.Name());
    QPrintPreviewDialog preview(&printer, over);
    preview.setWindowTitle(QStringLiteral("印刷プレビュー：") + document.Name());
    FitWholePage(preview, document.PageLayout());
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
