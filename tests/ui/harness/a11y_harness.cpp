// A small program that shows every window at once over a ledger with a few entries, for the
// test that reads them through the desktop's accessibility bus: the main window, the entry
// form, the data sheet (one item open), the graph sheet, the search window, the settings
// dialog, the statement import and the recurring entries, none of them modal. It prints
// "rows N" (the data sheet grid's rows, the hidden headings included) and "ready", then runs
// until it is ended.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <cstdio>
#include <memory>

#include "core/reports/sheets.h"
#include "ui/controls/focus_frame.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/graph/graph_sheet.h"
#include "ui/import/statement_window.h"
#include "ui/main/main_window.h"
#include "ui/recurring/recurring_form.h"
#include "ui/search/search_form.h"
#include "ui/settings/settings_dialog.h"
#include "ui/sheet/data_sheet.h"
#include "ui/support/fake_platform.h"

int main(int argc, char* argv[]) {
    using namespace kakeibo;
    if (argc < 2) return 2;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("a11y_harness"));
    UseFocusStyle();
    test::FakePlatform platform;
    platform.ExeDirectory = QString::fromLocal8Bit(argv[1]);
    auto ledger = std::make_unique<Ledger>();
    TForm1 main(*ledger);
    main.FormCreate();
    main.show();
    auto* form = new TForm3(*ledger, main, &main);
    form->FormCreate();
    main.SetEntryForm(form);
    form->show();
    // Two expenses, so that the sheets and the list have rows to read.
    for (const char* amount : {"1280", "540"}) {
        form->NValEdit5->setFocus();
        form->NValEdit5->selectAll();
        QTest::keyClicks(form->NValEdit5, amount);
        QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    }

    auto* sheet = new TForm5(*ledger, main, &main);
    sheet->FormCreate();
    main.SetDataSheet(sheet);
    sheet->show();
    // The item written to is opened, so that its sub-items show.
    const int item = form->Item1Map()[0];
    sheet->State.ExpandedItems[ExpenseSheet][item] = true;
    sheet->DrawCurrentSheet();

    auto* graph = new TForm4(*ledger, main, &main);
    graph->FormCreate();
    graph->show();
    graph->DrawChart();

    auto* search = new TForm6(*ledger, &main);
    search->setModal(false);
    search->show();
    TForm2* settings = CreateSettingsDialog(*ledger, main, &main);
    settings->setModal(false);
    settings->show();
    auto* import = new TFormMeisai(*ledger, main, &main);
    import->setModal(false);
    import->show();
    auto* recurring = new TFormTeiki(*ledger, &main);
    recurring->setModal(false);
    recurring->show();

    std::printf("rows %d\nready\n", sheet->StringGrid1->rowCount());
    std::fflush(stdout);
    return QApplication::exec();
}
