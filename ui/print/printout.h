#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>
#include <string>

#include "core/ledger/ledger.h"
#include "core/reports/printout.h"

class QPagedPaintDevice;
class QPainter;
class QRectF;

namespace kakeibo {

// What a tool window prints: the same pages go to a printer, its preview and a PDF.
class PrintDocument {
public:
    virtual ~PrintDocument() = default;
    // Names the document in the preview and the offered PDF file: 「2025年6月　今月の支出」.
    virtual QString Name() const = 0;
    // The PDF file first offered for it: 「家計簿_2025年06月_今月の支出.pdf」.
    virtual QString PdfName() const = 0;
    // The page it starts on: A4 in the document's orientation.
    virtual QPageLayout PageLayout() const;
    // Draws every page on `device`, already set to its page layout (the user's paper and
    // orientation for a printer).
    virtual void Render(QPagedPaintDevice& device) const = 0;

protected:
    virtual bool Landscape() const { return false; }
};

// A table on as many pages as its rows need: the title block on each page, the headings
// repeated, figures right-aligned, negative figures red, the budget gauges, page numbers.
class TableDocument final : public PrintDocument {
public:
    explicit TableDocument(TablePrintout table, int rowHeight);
    QString Name() const override;
    QString PdfName() const override;
    void Render(QPagedPaintDevice& device) const override;

private:
    bool Landscape() const override { return table_.Landscape; }

    TablePrintout table_;
    int rowHeight_;  // screen pixels, as the window shows a row
};

// A picture (a graph) filling the page under the title block, drawn by `draw` into the
// rectangle it is given, as vectors.
class PictureDocument final : public PrintDocument {
public:
    using Drawing = std::function<void(QPainter& painter, const QRectF& target)>;
    PictureDocument(TablePrintout titles, Drawing draw);
    QString Name() const override;
    QString PdfName() const override;
    void Render(QPagedPaintDevice& device) const override;

private:
    bool Landscape() const override { return true; }

    TablePrintout titles_;  // only the title, the ledger's name and the date
    Drawing draw_;
};

// The title block of a printout of `what` (「今月の支出」) from the ledger's edit date (its
// month left out when `wholeYear`), its name and today's date.
TablePrintout PrintoutTitles(const Ledger& ledger, const std::string& what, bool wholeYear);

// Writes `document` as a PDF file at `path`, whole or not at all (a failed write leaves no
// file). Throws LedgerError naming the file and the reason.
void WritePdf(const PrintDocument& document, const std::string& path);

}  // namespace kakeibo
