#include "ui_bench_support.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <utility>

#include "ui/platform/fonts.h"

namespace kakeibo::bench {

QuietPlatform::QuietPlatform(QString exeDir) : exeDir_(std::move(exeDir)) {}

MessageButton QuietPlatform::ShowTypedMessage(MessageKind, const QString&, MessageButtons) {
    ++Boxes;
    return OkButton;
}

WindowsBench::WindowsBench(std::unique_ptr<Ledger> start, bool showMain)
    : ledger(std::move(start)) {
    previous = SetPlatform(&platform);
    ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{1, 0, 81, 700, 425};
    main.SetEntryForm(&form);
    sheet.FormCreate();
    main.SetDataSheet(&sheet);
    if (showMain) main.show();
    form.show();
    QCoreApplication::processEvents();
}

WindowsBench::~WindowsBench() {
    SetPlatform(previous);
}

int RunUiBenchmarks(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The fonts the program's windows draw with.
    SubstituteFonts();
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}

}  // namespace kakeibo::bench
