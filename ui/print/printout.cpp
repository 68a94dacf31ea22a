#include "ui/print/printout.h"

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "ui/platform/app_info.h"
#include "ui/platform/colours.h"
#include "ui/platform/fonts.h"
#include "ui/platform/platform.h"
#include "ui/platform/text.h"

namespace kakeibo {

namespace {

// Screen pixels to points: the windows are laid out at 96 dots per inch.
constexpr double kPointsPerPixel = 0.75;
constexpr double kTitleHeight = 24;     // points, the title line
constexpr double kSubtitleHeight = 16;  // the ledger's name and the date
constexpr double kGap = 6;
constexpr double kFooterHeight = 18;  // the page number

const QColor kHeadings(230, 230, 230);
const QColor kLines(160, 160, 160);

// A painter on `device` whose units are points from the top left of the printable area.
void UsePoints(QPainter& painter, const QPagedPaintDevice& device) {
    const double scale = device.logicalDpiX() / 72.0;
    painter.scale(scale, device.logicalDpiY() / 72.0);
}

QSizeF PrintableSize(const QPagedPaintDevice& device) {
    return device.pageLayout().paintRect(QPageLayout::Point).size();
}

// The title, the ledger's name and the date at the top; the page number at the bottom.
void DrawFrame(QPainter& painter, const TablePrintout& titles, const QSizeF& page, int number,
               int count) {
    painter.setPen(Qt::black);
    painter.setFont(SheetFont(14, true));
    painter.drawText(QRectF(0, 0, page.width(), kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     Qs(titles.Title));
    painter.setFont(SheetFont(9));
    const QRectF subtitle(0, kTitleHeight, page.width(), kSubtitleHeight);
    painter.drawText(subtitle, Qt::AlignLeft | Qt::AlignVCenter, Qs(titles.LedgerName));
    painter.drawText(subtitle, Qt::AlignRight | Qt::AlignVCenter, Qs(titles.PrintedOn));
    painter.drawText(QRectF(0, page.height() - kFooterHeight, page.width(), kFooterHeight),
                     Qt::AlignHCenter | Qt::AlignBottom, Qs(PageNumberText(number, count)));
}

constexpr double kBodyTop = kTitleHeight + kSubtitleHeight + kGap;

}  // namespace

QPageLayout PrintDocument::PageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4),
                       Landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

TableDocument::TableDocument(TablePrintout table, int rowHeight)
    : table_(std::move(table)), rowHeight_(rowHeight) {
    // The blank rows a grid keeps below its last line (room for the next entry) are not
    // printed; the heading row always is.
    auto& cells = table_.Cells;
    const auto blank = [](const std::vector<std::string>& row) {
        return std::all_of(row.begin(), row.end(), [](const std::string& t) { return t.empty(); });
    };
    while (cells.size() > 1 && blank(cells.back())) cells.pop_back();
}

QString TableDocument::Name() const {
    return Qs(table_.Title);
}

QString TableDocument::PdfName() const {
    return Qs(table_.PdfName);
}

void TableDocument::Render(QPagedPaintDevice& device) const {
    const QSizeF page = PrintableSize(device);
    const double tableHeight = page.height() - kBodyTop - kFooterHeight - kGap;
    // The table is laid out in screen pixels and drawn scaled to points.
    const TablePages pages =
        PaginateTable(table_.ColumnWidths, static_cast<int>(table_.Cells.size()), rowHeight_,
                      page.width() / kPointsPerPixel, tableHeight / kPointsPerPixel);
    const int columns = static_cast<int>(table_.ColumnWidths.size());
    std::vector<int> lefts(columns + 1, 0);
    for (int c = 0; c < columns; ++c) lefts[c + 1] = lefts[c] + table_.ColumnWidths[c];

    QPainter painter(&device);
    UsePoints(painter, device);
    const QFont& cellFont = SheetFont();  // as on screen, in the table's own pixels
    const int count = static_cast<int>(pages.Pages.size());
    for (int p = 0; p < count; ++p) {
        if (p > 0) device.newPage();
        DrawFrame(painter, table_, page, p + 1, count);
        painter.save();
        painter.translate(0, kBodyTop);
        painter.scale(kPointsPerPixel * pages.Scale, kPointsPerPixel * pages.Scale);
        painter.setFont(cellFont);
        std::vector<int> rows{0};
        for (int r = pages.Pages[p].First; r < pages.Pages[p].End; ++r) rows.push_back(r);
        for (size_t line = 0; line < rows.size(); ++line) {
            const int r = rows[line];
            const auto& cells = table_.Cells[r];
            const int top = static_cast<int>(line) * rowHeight_;
            const bool spanned = r < static_cast<int>(table_.Spanned.size()) && table_.Spanned[r];
            const bool gauged = r < static_cast<int>(table_.Gauges.size()) && table_.Gauges[r];
            for (int c = 0; c < (spanned ? 1 : columns); ++c) {
                const int width = spanned ? lefts[columns] : table_.ColumnWidths[c];
                const QRect rect(lefts[c], top, width, rowHeight_);
                const std::string& text = c < static_cast<int>(cells.size()) ? cells[c] : "";
                if (r == 0) {
                    painter.fillRect(rect, kHeadings);
                } else if (c == 0) {
                    painter.fillRect(rect, kSheetFixedCells);
                }
                if (c == 0 && gauged) {
                    const BudgetGauge& gauge = *table_.Gauges[r];
                    const QRect strip(rect.left(), rect.top() + kGaugeTop, rect.width(),
                                      rect.height() - kGaugeTop);
                    painter.fillRect(strip, kSheetGaugeStrip);
                    painter.fillRect(QRect(rect.left() + gauge.BarLeft, strip.top(),
                                           gauge.BarRight - gauge.BarLeft, strip.height()),
                                     gauge.Red ? kSheetRed : kSheetWithinBudget);
                }
                painter.setPen(kLines);
                painter.drawRect(rect);
                const auto red = r > 0 && c > 0 ? RedFigure(text) : std::nullopt;
                painter.setPen(red ? kSheetRed : QColor(Qt::black));
                const int align = r == 0                    ? Qt::AlignHCenter
                                  : c > 0 && IsFigure(text) ? Qt::AlignRight
                                                            : Qt::AlignLeft;
                // A name over its gauge stands in the room above the strip.
                const QRect inner = rect.adjusted(3, 0, -3, c == 0 && gauged ? -6 : 0);
                painter.drawText(inner, align | Qt::AlignVCenter | Qt::TextSingleLine,
                                 Qs(red ? *red : text));
            }
        }
        painter.restore();
    }
}

PictureDocument::PictureDocument(TablePrintout titles, Drawing draw)
    : titles_(std::move(titles)), draw_(std::move(draw)) {}

QString PictureDocument::Name() const {
    return Qs(titles_.Title);
}

QString PictureDocument::PdfName() const {
    return Qs(titles_.PdfName);
}

void PictureDocument::Render(QPagedPaintDevice& device) const {
    const QSizeF page = PrintableSize(device);
    QPainter painter(&device);
    UsePoints(painter, device);
    DrawFrame(painter, titles_, page, 1, 1);
    const QRectF target(0, kBodyTop, page.width(), page.height() - kBodyTop - kFooterHeight);
    painter.save();
    draw_(painter, target);
    painter.restore();
}

TablePrintout PrintoutTitles(const Ledger& ledger, const std::string& what, bool wholeYear) {
    TablePrintout titles;
    const Date& date = ledger.EditDate;
    titles.Title = PrintTitle(date.Year, wholeYear ? 0 : date.Month, what);
    titles.PdfName = PdfFileName(date.Year, wholeYear ? 0 : date.Month, what);
    titles.LedgerName = ledger.LedgerName;
    const Date today = CurrentPlatform().Today();
    titles.PrintedOn = PrintedOnText(today.Year, today.Month, today.Day);
    return titles;
}

void WritePdf(const PrintDocument& document, const std::string& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(document.Name());
        writer.setCreator(QString::fromUtf8(kApplicationTitle));
        writer.setResolution(300);
        writer.setPageLayout(document.PageLayout());
        document.Render(writer);
    }
    const QByteArray& bytes = buffer.data();
    if (bytes.isEmpty()) throw LedgerError(path + " にPDFを書き込めませんでした。");
    // Saved where the user chose, as a CSV is: made as the user's other files are.
    WriteFileAtomic(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                    true, NewFileAccess::FollowUmask);
}

}  // namespace kakeibo
