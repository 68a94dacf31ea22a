// The graph sheet as the program loads it: a module of its own, so that only a start that
// shows the sheet loads Qt Charts (see ui/platform/modules.h).
#include "ui/graph/graph_sheet.h"
#include "ui/platform/modules.h"

// The sheet, placed as slot 1 of the saved layout says and hidden; the caller shows it.
extern "C" Q_DECL_EXPORT kakeibo::TToolWindow* kakeibo_make_graph_sheet(
    kakeibo::Ledger& ledger, kakeibo::Workspace& workspace, QWidget* owner) {
    auto* sheet = new kakeibo::TForm4(ledger, workspace, owner);
    sheet->FormCreate();
    return sheet;
}
