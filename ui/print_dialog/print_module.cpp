// The print preview as the program loads it: a module of its own, so that only a start that
// prints loads Qt's print support and the printing system (see ui/platform/modules.h).
#include "ui/platform/modules.h"
#include "ui/print_dialog/print_preview.h"

extern "C" Q_DECL_EXPORT bool kakeibo_show_print_preview(const kakeibo::PrintDocument& document,
                                                         QWidget* over) {
    return kakeibo::ShowPrintPreview(document, over);
}
