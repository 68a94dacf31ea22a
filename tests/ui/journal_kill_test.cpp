// A program killed (SIGKILL) after writing entries loses nothing: the next start offers every
// change back, and saving then gives the very files a program that saved normally wrote.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <fstream>

#include "core/test_files.h"

namespace {

using kakeibo::test::ReadBytes;

namespace fs = std::filesystem;

class JournalKillTest : public ::testing::Test {
protected:
    // A program folder naming the ledger 家計簿 of one entry in its data folder.
    void Prepare() {
        fs::remove_all(root);
        fs::create_directories(data);
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            fs::copy_file(std::string(KAKEIBO_DATA_DIR) + master, exe + master);
        }
        std::ofstream(exe + "rozed.ini", std::ios::binary)
            << data << "\r\n\x89\xc6\x8c\x76\x95\xeb\r\n30\r\n30\r\nFalse\r\n";  // 家計簿
        std::ofstream(data + "家計簿.nbd", std::ios::binary) << "2026,12,1,2,0,0,0,100,0,,\r\n";
    }

    QString Run(const QStringList& args, bool kill = false) {
        QProcess program;
        program.start(QStringLiteral(KAKEIBO_JOURNAL_HARNESS),
                      QStringList{args.front(), QString::fromStdString(exe)} + args.mid(1));
        EXPECT_TRUE(program.waitForStarted());
        QByteArray out;
        while (kill && !out.contains("ready") && program.waitForReadyRead(30000)) {
            out += program.readAllStandardOutput();
        }
        if (kill) program.kill();  // SIGKILL: nothing is closed, flushed or saved
        program.waitForFinished(30000);
        return QString::fromUtf8(out + program.readAllStandardOutput());
    }

    // The files both runs must agree on; rozed.ini without its layout line.
    std::vector<std::string> Files() {
        std::vector<std::string> files;
        for (const char* name : {"家計簿.nbd", "家計簿r.dat", "家計簿y.dat"}) {
            files.push_back(ReadBytes(data + name));
        }
        files.push_back(ReadBytes(exe + "kamoku.dat"));
        files.push_back(ReadBytes(exe + "hojyo.dat"));
        std::string ini = ReadBytes(exe + "rozed.ini");
        size_t line = 0;
        for (int n = 0; n < 5; ++n) line = ini.find("\r\n", line) + 2;
        ini.erase(line, ini.find("\r\n", line) + 2 - line);
        files.push_back(ini);
        return files;
    }

    std::string root =
        fs::temp_directory_path().string() + "/kakeibo-kill-" + std::to_string(::getpid()) + "/";
    std::string exe = root;
    std::string data = root + "data/";
};

TEST_F(JournalKillTest, AKilledProgramsChangesComeBackWhole) {
    const int entries = 6;
    Prepare();
    Run({QStringLiteral("save"), QString::number(entries)});
    const std::vector<std::string> saved = Files();
    ASSERT_NE(saved[0].find("2026,12,7,"), std::string::npos) << saved[0];

    Prepare();
    EXPECT_TRUE(Run({QStringLiteral("kill"), QString::number(entries)}, true).contains("ready"));
    EXPECT_FALSE(fs::exists(data + "家計簿y.dat"));
    const QString recovered = Run({QStringLiteral("recover")});
    EXPECT_TRUE(
        recovered.contains(QStringLiteral("前回保存されなかった変更が %1 件あります（2026/12/07 "
                                          "11:04 まで）。復元しますか？")
                               .arg(entries + 2)))
        << recovered.toStdString();
    // An ordinary kill leaves a journal made for the very files on disk: no warning.
    EXPECT_FALSE(recovered.contains(QStringLiteral("違うファイル"))) << recovered.toStdString();
    EXPECT_EQ(Files(), saved);
    fs::remove_all(root);
}

}  // namespace
