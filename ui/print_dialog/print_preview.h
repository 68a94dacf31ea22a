#pragma once

class QPageLayout;
class QPrintPreviewDialog;
class QWidget;

namespace kakeibo {

class PrintDocument;

// The print preview with Qt's own dialogs: the document on A4 in its orientation, shown
// page by page, printed to the printer, paper and orientation the user then chooses.
bool ShowPrintPreview(const PrintDocument& document, QWidget* over);

// Sizes the preview to show a whole page of `page`'s shape on its screen, fitted in view.
void FitWholePage(QPrintPreviewDialog& preview, const QPageLayout& page);

}  // namespace kakeibo
