// A small program that runs the windows offscreen over a ledger, for the test that kills it
// part-way: "kill N" writes N entries, a budget and the settings, says "ready" and waits to be
// killed; "save N" does the same and saves; "recover" starts, says what it was offered,
// answers はい and saves.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/ledger/budgets.h"
#include "core/ledger/settings_work.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/entry/entry_widgets.h"
#include "ui/main/main_window.h"
#include "ui/support/fake_platform.h"

int main(int argc, char* argv[]) {
    using namespace kakeibo;
    if (argc < 3) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string mode = argv[1];
    test::FakePlatform platform;
    platform.ExeDirectory = QString::fromLocal8Bit(argv[2]);
    auto ledger = std::make_unique<Ledger>();
    TForm1 main(*ledger);
    main.FormCreate();
    TForm3 form(*ledger, main);
    form.FormCreate();
    main.SetEntryForm(&form);
    form.show();

    if (mode == "kill" || mode == "save") {
        const int entries = argc > 3 ? std::atoi(argv[3]) : 1;
        for (int i = 0; i < entries; ++i) {
            QTest::keyClick(form.ComboBox1->lineEdit(), Qt::Key_A, Qt::ControlModifier);
            QTest::sendKeyEvent(QTest::Click, form.ComboBox1->lineEdit(), Qt::Key_unknown,
                                QStringLiteral("八百屋%1").arg(i), {});
            form.NValEdit5->setFocus();
            form.NValEdit5->selectAll();
            QTest::keyClicks(form.NValEdit5, QByteArray::number(100 + i).constData());
            QTest::keyClick(form.NValEdit5, Qt::Key_Return);
        }
        RunGuarded([&] {
            main.Apply(SetBudget(*ledger, 12, 2, 30000));
            SettingsWork work;
            CopyMasters(*ledger, work);
            CopyOpening(*ledger, work);
            CopyOptions(*ledger, work);
            work.Items[3].Name = "交際費";
            work.Opening[0][1] = 12345;
            main.Apply(WriteSettings(*ledger, work, 7, 8));
        });
    }
    if (mode == "kill") {
        std::printf("ready\n");
        std::fflush(stdout);
        for (;;) ::pause();
    }
    main.N4Click();
    for (const auto& box : platform.Boxes) std::printf("%s\n", box.Text.toStdString().c_str());
    return 0;
}
