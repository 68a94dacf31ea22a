#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>

#include "core/ledger/ledger.h"
#include "core/reports/csv.h"

namespace kakeibo {

class PrintDocument;
class TPictureButton;
class Workspace;

// The two frames a tool window can have.
enum class ToolFrame {
    // A fixed size, dragged by its top band (the entry form).
    Fixed,
    // Sized by its right edge and bottom-right corner, dragged by its bare surface, with the
    // close and maximise pictures at the top right (the sheets).
    Sizable,
};

// The base of every frameless tool window: the frame, its dragging, the navy border, the
// close and maximise pictures, the report of its own showing and hiding to the main window,
// its place in the saved layout and the refill after a change. A window built on it makes
// only its contents. It belongs to the main window (`owner`) and stays alive while hidden.
class TToolWindow : public QWidget {
    Q_OBJECT

public:
    // Refills the contents from the ledger as it is now; the main window calls it after every
    // change of the ledger or of the edit date.
    virtual void Refill() = 0;
    // False for a window that need not be refilled while hidden: it is refilled as it shows.
    virtual bool RefillsWhileHidden() const { return true; }
    // What 「印刷…」 and 「PDFに出力…」 take from this window while it is the one used last:
    // all of what it shows, on pages; nothing for a window that prints nothing.
    virtual std::unique_ptr<PrintDocument> Printed() const;

    // The place as a save records it. Shown means show() was asked and not undone, so a window
    // counts as shown also while the main window itself is not on the screen yet.
    LayoutSlot Placement() const;
    // Puts the window at a saved place, with its size when it is sizable and the slot has
    // one, and shows or hides it. `intoReach`: a place mostly off every screen moves to the
    // nearest place on one.
    void Place(const LayoutSlot& slot, bool intoReach = false);
    // Back to a place of the default layout. A window that chooses its own first place
    // chooses it again as it next shows.
    virtual void ForgetPlace(const LayoutSlot& slot) { Place(slot); }

    // The close picture: hides the window (and tells the main window).
    void Image2Click();
    // The maximise picture: fills the screen's width below the main window, or back.
    void Image3Click();
    bool Maximised() const { return maximised_; }

    // Where a maximised window goes for a `requested` geometry: right under the main window
    // (`mainHeight`, its outer height) down to 50 pixels above the screen's bottom; the left
    // and the width stay as requested.
    static QRect MaximisedGeometry(const QRect& requested, int mainHeight, int screenHeight);

    TPictureButton* Image2 = nullptr;  // close picture (sizable windows)
    TPictureButton* Image3 = nullptr;  // maximise/restore picture (sizable windows)

protected:
    TToolWindow(Workspace& workspace, ToolFrame frame, QWidget* owner);

    // Runs, guarded, each time the program shows the window (not the window system).
    virtual void FormShow() {}
    // Lays the contents out for the window's size.
    virtual void FormResize() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

    Workspace& workspace_;

private:
    int MainWindowHeight() const;
    int ScreenHeight() const;
    void KeepMaximisedPlace();

    ToolFrame frame_;
    bool maximised_ = false;
    QRect normalGeometry_;
};

// A tool window that shows a table of texts (the data sheet, the year's reports): the CSV
// export and printing take what it shows from it.
class TSheetWindow : public TToolWindow {
    Q_OBJECT

public:
    // The cells as shown, row by row, the headings first; a cell with nothing shows "".
    virtual TextTable ShownTable() const = 0;
    // The name of what is shown ("今月の支出"), for a printed page's heading.
    virtual QString ShownTitle() const = 0;

protected:
    using TToolWindow::TToolWindow;
};

}  // namespace kakeibo
