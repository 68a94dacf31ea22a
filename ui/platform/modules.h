#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kakeibo {

class PrintDocument;

// Qt Charts and Qt's print support cost every start their loading and relocation, though
// most starts never draw a graph or print. Their windows are built into modules of their own
// that the program loads when the window is first needed. A module is built against this
// program's own `ui` and `core` (the program exports them), so it shares the platform, the
// resources and every other singleton with the program, and fits only the program it was
// built with.

// Where modules are looked for, in order: beside the program (a build tree), then where an
// install puts them.
QStringList ModuleFolders();

// The address of `symbol` in the module file `file` ("kakeibo_graph.so"), searched in
// `folders`; the module stays loaded for the rest of the run. When no folder holds a module
// that loads with all its symbols, an error box names `what` (the window that needs it) and
// why, and the result is nullptr.
void* ModuleSymbol(const QString& file, const char* symbol, const QString& what,
                   const QStringList& folders = ModuleFolders());

// The print preview out of the print module (see SetPrintPreview): false, with the error box
// shown, when the module cannot be loaded.
bool PrintPreviewFromModule(const PrintDocument& document, QWidget* over);

// The modules' files and the functions they export.
inline constexpr const char* kGraphModule = "kakeibo_graph.so";
inline constexpr const char* kGraphSheetFactory = "kakeibo_make_graph_sheet";
inline constexpr const char* kPrintModule = "kakeibo_print.so";
inline constexpr const char* kPrintPreviewEntry = "kakeibo_show_print_preview";

}  // namespace kakeibo
