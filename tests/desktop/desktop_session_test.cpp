// The real program on a real desktop: Xvfb with the openbox window manager. Reads what the
// window system shows (titles, frames, stacking) with xprop and xwininfo and clicks with
// xdotool. Skips when the X server or the window manager cannot be started.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef KAKEIBO_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool OnPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && ::access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// A child process ended (TERM, then KILL) when the object goes.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }

    // Starts argv with extra environment entries; `keepFd` stays open in the child.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const std::string& log, int keepFd = -1, const std::string& cwd = {}) {
        pid_ = ::fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            ::setpgid(0, 0);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            const int null = ::open("/dev/null", O_RDONLY);
            if (null >= 0) ::dup2(null, 0);
            for (int fd = 3; fd < 1024; ++fd) {
                if (fd != keepFd) ::close(fd);
            }
            if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
            for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        return true;
    }

    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        for (int i = 0; i < 50; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(-pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

// Runs a command (with DISPLAY set in this process) and returns what it printed.
std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

// Polls `ready` until it holds or `seconds` pass.
bool WaitFor(double seconds, const std::function<bool()>& ready) {
    const auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (Clock::now() < end) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ready();
}

// The windows of a property such as _NET_CLIENT_LIST_STACKING (bottom to top), as hex ids.
std::vector<std::string> RootWindows(const std::string& property) {
    const std::string text = Output("xprop -root " + property);
    std::vector<std::string> ids;
    const size_t hash = text.find('#');
    if (hash == std::string::npos) return ids;
    std::stringstream list(text.substr(hash + 1));
    std::string id;
    while (list >> id) {
        if (!id.empty() && id.back() == ',') id.pop_back();
        if (id.rfind("0x", 0) == 0) ids.push_back(id);
    }
    return ids;
}

// _NET_WM_NAME as the window system holds it (UTF-8), without the quotes.
std::string WindowName(const std::string& id) {
    const std::string text = Output("xprop -id " + id + " _NET_WM_NAME");
    const size_t first = text.find('"');
    const size_t last = text.rfind('"');
    if (first == std::string::npos || last <= first) return {};
    return text.substr(first + 1, last - first - 1);
}

std::optional<std::string> FindWindow(const std::string& name) {
    for (const std::string& id : RootWindows("_NET_CLIENT_LIST")) {
        if (WindowName(id) == name) return id;
    }
    return std::nullopt;
}

struct Geometry {
    int X = 0, Y = 0, Width = 0, Height = 0;       // the client area, absolute
    int Left = 0, Right = 0, Top = 0, Bottom = 0;  // the frame around it
    int OuterTop() const { return Y - Top; }
    int OuterHeight() const { return Top + Height + Bottom; }
};

int Field(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? -100000 : std::atoi(text.c_str() + at + label.size());
}

Geometry GeometryOf(const std::string& id) {
    Geometry g;
    const std::string info = Output("xwininfo -id " + id);
    g.X = Field(info, "Absolute upper-left X:");
    g.Y = Field(info, "Absolute upper-left Y:");
    g.Width = Field(info, "Width:");
    g.Height = Field(info, "Height:");
    const std::string extents = Output("xprop -id " + id + " _NET_FRAME_EXTENTS");
    const size_t eq = extents.find('=');
    if (eq != std::string::npos) {
        std::sscanf(extents.c_str() + eq + 1, " %d, %d, %d, %d", &g.Left, &g.Right, &g.Top,
                    &g.Bottom);
    }
    return g;
}

void Click(int x, int y) {
    Output("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

#ifdef KAKEIBO_HAVE_X11
// A window's pixels as the X server holds them; "" when they cannot be read.
std::string Pixels(const std::string& id) {
    Display* display = ::XOpenDisplay(nullptr);
    if (display == nullptr) return {};
    // A window that went away must not end the test through Xlib's default handler.
    ::XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Window window = std::stoul(id, nullptr, 16);
    std::string pixels;
    XWindowAttributes attributes;
    int x = 0;
    int y = 0;
    Window child = 0;
    // Only the part on the screen can be read: the strip is as wide as the screen and its
    // frame pushes it right.
    if (::XGetWindowAttributes(display, window, &attributes) != 0 &&
        ::XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child) != 0) {
        const int width = std::min(attributes.width, attributes.screen->width - x);
        const int height = std::min(attributes.height, attributes.screen->height - y);
        XImage* image = width > 0 && height > 0
                            ? ::XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap)
                            : nullptr;
        if (image != nullptr) {
            pixels.assign(image->data, static_cast<size_t>(image->bytes_per_line) * image->height);
            XDestroyImage(image);
        }
    }
    ::XCloseDisplay(display);
    return pixels;
}
#endif

size_t IndexOf(const std::vector<std::string>& list, const std::string& id) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == id) return i;
    }
    return list.size();
}

class DesktopSession : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xprop", "xwininfo", "xdotool"}) {
            if (!OnPath(tool)) {
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
            }
        }
        char pattern[] = "/tmp/kakeibo-desktop-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        scratch_ = pattern;

        // Xvfb picks a free display and writes its number to the pipe.
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        xvfb_.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                     "-nolisten", "tcp"},
                    {}, scratch_ + "/xvfb.log", fds[1]);
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        if (number.empty()) GTEST_SKIP() << "Xvfb could not start an X server";
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);

        fs::create_directories(scratch_ + "/home");
        home_ = "HOME=" + scratch_ + "/home";
        openbox_.Start({"openbox", "--sm-disable"}, {home_}, scratch_ + "/openbox.log");
        if (!WaitFor(5, [] { return !RootWindows("_NET_SUPPORTING_WM_CHECK").empty(); })) {
            GTEST_SKIP() << "openbox did not start as the window manager on " << display_;
        }
    }

    void TearDown() override {
        program_.Stop();
        openbox_.Stop();
        xvfb_.Stop();
        if (!scratch_.empty()) {
            std::error_code ignored;
            fs::remove_all(scratch_, ignored);
        }
    }

    // The program in a scratch folder of its own with the masters beside it, started with
    // `args`; an empty `ini` starts it as for the first time, without settings.
    void StartProgram(const std::string& ini, const std::vector<std::string>& args = {}) {
        const std::string bin = scratch_ + "/bin/";
        fs::create_directories(bin);
        // KAKEIBO_DESKTOP_PROGRAM runs another build of the program, e.g. an older one.
        const char* other = std::getenv("KAKEIBO_DESKTOP_PROGRAM");
        const auto again = fs::copy_options::overwrite_existing;
        fs::copy_file(other != nullptr ? other : KAKEIBO_PROGRAM, bin + "kakeibo", again);
        fs::permissions(bin + "kakeibo", fs::perms::owner_all);
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            fs::copy_file(std::string(KAKEIBO_DATA_DIR) + master, bin + master, again);
        }
        fs::remove(bin + "rozed.ini");
        if (!ini.empty()) std::ofstream(bin + "rozed.ini", std::ios::binary) << ini;
        std::vector<std::string> argv = {bin + "kakeibo"};
        argv.insert(argv.end(), args.begin(), args.end());
        program_.Start(argv, {home_, "QT_QPA_PLATFORM=xcb", "DISPLAY=" + display_},
                       scratch_ + "/program.log", -1, bin);
    }

    std::string scratch_;
    std::string display_;
    std::string home_;
    Child xvfb_;
    Child openbox_;
    Child program_;
};

TEST_F(DesktopSession, TitlesLayoutAndStackingAsTheWindowManagerShowsThem) {
    // Line 3 is no number: start-up shows its error box before the main window.
    StartProgram(scratch_ + "/bin/\r\nrozed1\r\nabc\r\n");
    std::optional<std::string> box;
    ASSERT_TRUE(WaitFor(8, [&] { return (box = FindWindow("エラー")).has_value(); }))
        << "no error box titled exactly エラー";
    Output("xdotool windowactivate --sync " + *box + " key Return");

    std::optional<std::string> main;
    std::optional<std::string> form;
    ASSERT_TRUE(WaitFor(5, [&] {
        main = FindWindow("Nimbrel の家計簿");
        form = FindWindow("各種入力フォーム");
        return main && form;
    })) << "windows titled exactly 「Nimbrel の家計簿」 and 「各種入力フォーム」 did not appear";
    EXPECT_FALSE(FindWindow("エラー"));

    // The strip is 80 pixels high as a whole, its frame included, at the top of the screen.
    Geometry strip;
    const bool fitted = WaitFor(5, [&] {
        strip = GeometryOf(*main);
        return strip.Top > 0 && strip.OuterHeight() == 80;
    });
    EXPECT_TRUE(fitted) << "frame " << strip.Top << "+" << strip.Bottom << ", client height "
                        << strip.Height;
    EXPECT_EQ(strip.OuterTop(), 0);
    const Geometry entry = GeometryOf(*form);
    EXPECT_GE(entry.Y - entry.Top, strip.OuterTop() + strip.OuterHeight())
        << "the entry form's top edge lies under the main window";

    // A click on the main window's bare strip activates it and leaves the form above it.
    Click(600, strip.Y + strip.Height - 8);
    EXPECT_TRUE(WaitFor(3, [&] {
        const auto active = RootWindows("_NET_ACTIVE_WINDOW");
        return !active.empty() && active.front() == *main;
    })) << "the click did not reach the main window";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stacking = RootWindows("_NET_CLIENT_LIST_STACKING");
    EXPECT_GT(IndexOf(stacking, *form), IndexOf(stacking, *main))
        << "the entry form went behind the main window";
    EXPECT_NE(IndexOf(stacking, *form), stacking.size());

    // Enter on an amount of 0: the plain box, with the application's title.
    Click(entry.X + 19 + 216 + 144, entry.Y + 208 + 97 + 10);
    Output("xdotool key Return");
    std::optional<std::string> plain;
    EXPECT_TRUE(WaitFor(5, [&] { return (plain = FindWindow("Nimbrelの家計簿")).has_value(); }))
        << "no plain box titled exactly Nimbrelの家計簿";
    if (plain) Output("xdotool windowactivate --sync " + *plain + " key Return");

    for (const std::string& id : RootWindows("_NET_CLIENT_LIST")) {
        const std::string name = WindowName(id);
        EXPECT_EQ(name.find(" — "), std::string::npos) << name;
    }
    EXPECT_TRUE(program_.Running()) << "the program ended on its own";
}

TEST_F(DesktopSession, ALedgerNamedOnTheCommandLineShowsItsNameInTheMainWindow) {
#ifndef KAKEIBO_HAVE_X11
    GTEST_SKIP() << "built without Xlib, so the window's pixels cannot be read";
#else
    const std::string data = scratch_ + "/data/";
    fs::create_directories(data);
    std::ofstream(data + "家計簿.nbd", std::ios::binary) << "2026,3,2,2,0,0,0,700,0,,\r\n";

    // The name as a start from the settings shows it, as a first start shows 新規作成.
    auto shown = [&](const std::string& ini, const std::vector<std::string>& args) {
        program_.Stop();
        StartProgram(ini, args);
        std::optional<std::string> main;
        // A loaded machine may take long over a start.
        if (!WaitFor(20, [&] { return (main = FindWindow("Nimbrel の家計簿")).has_value(); })) {
            std::string names;
            for (const std::string& id : RootWindows("_NET_CLIENT_LIST")) {
                names += " 「" + WindowName(id) + "」";
            }
            ADD_FAILURE() << "no main window among" << names;
            return std::string();
        }
        std::string before;
        std::string now;
        // Painted once the strip fits its frame and two reads a moment apart agree.
        WaitFor(8, [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            before = now;
            now = Pixels(*main);
            const Geometry strip = GeometryOf(*main);
            return strip.Top > 0 && strip.OuterHeight() == 80 && !now.empty() && now == before;
        });
        EXPECT_FALSE(FindWindow("警告")) << "a box came up";
        return now;
    };
    // The settings name the folder and, in CP932, 家計簿.
    const std::string settings = data + "\r\n\x89\xC6\x8C\x76\x95\xEB\r\n";
    const std::string fromSettings = shown(settings, {});
    const std::string fromArgument = shown("", {data + "家計簿.nbd"});
    const std::string firstStart = shown("", {});
    ASSERT_FALSE(fromSettings.empty() || fromArgument.empty() || firstStart.empty());
    EXPECT_TRUE(fromArgument == fromSettings) << "the main window differs from a start that "
                                                 "opened the same ledger from the settings";
    EXPECT_FALSE(fromArgument == firstStart) << "the main window shows no ledger's name";
    EXPECT_TRUE(program_.Running()) << "the program ended on its own";
#endif
}

// xdotool's key names, pressed one after another on whatever window has the focus.
void Keys(const std::string& keys) {
    Output("xdotool key --delay 120 " + keys);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

// ASCII text typed key by key.
void Type(const std::string& text) {
    Output("xdotool type --delay 80 '" + text + "'");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

std::string ActiveWindow() {
    const auto active = RootWindows("_NET_ACTIVE_WINDOW");
    return active.empty() ? std::string() : active.front();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(DesktopSession, TheKeyboardAloneRecordsEditsDeletesExpandsSearchesAndSaves) {
    const std::string data = scratch_ + "/data/";
    fs::create_directories(data);
    // One entry of December, on the 1st: 700 yen of 食費 from the wallet.
    std::ofstream(data + "kakeibo.nbd", std::ios::binary) << "2026,12,1,2,0,0,0,700,0,,\r\n";
    StartProgram(data + "\r\nkakeibo\r\n");
    std::optional<std::string> main;
    std::optional<std::string> form;
    ASSERT_TRUE(WaitFor(20, [&] {
        main = FindWindow("Nimbrel の家計簿");
        form = FindWindow("各種入力フォーム");
        return main && form;
    })) << "the main window and the entry form did not appear";
    ASSERT_TRUE(WaitFor(5, [&] {
        const std::string active = ActiveWindow();
        return active == *main || active == *form;
    })) << "none of the program's windows has the focus";
    // A box that comes up is answered with Enter, as a user would.
    auto answerBox = [](const std::string& title) {
        std::optional<std::string> box;
        if (!WaitFor(5, [&] { return (box = FindWindow(title)).has_value(); })) return false;
        WaitFor(3, [&] { return ActiveWindow() == *box; });
        Keys("Return");
        return WaitFor(5, [&] { return !FindWindow(title).has_value(); });
    };

    // Ctrl+I hides the form and shows it again, where the focus then is: on the first list.
    Keys("ctrl+i");
    ASSERT_TRUE(WaitFor(5, [&] { return !FindWindow("各種入力フォーム"); }));
    Keys("ctrl+i");
    ASSERT_TRUE(WaitFor(5, [&] {
        form = FindWindow("各種入力フォーム");
        return form && ActiveWindow() == *form;
    })) << "the entry form shown from the menu's key did not take the focus";

    // An expense: the first expense item from the wallet, a shop, 1,280 yen, Enter writes.
    Keys("Tab Tab Tab Tab");
    Type("shop");
    Keys("Tab Tab");
    Type("1280");
    Keys("Return");
    // A transfer: Tab round to the strip, → to 移動, the bank from the wallet, 5,000 yen.
    Keys("Tab Tab Tab Tab Tab Tab Right Tab Down Tab Tab Tab Tab Tab");
    Type("5000");
    Keys("Return");
    // An income: → to 収入, into the wallet, 200,000 yen.
    Keys("Tab Tab Tab Tab Tab Tab Right Tab Tab Tab Tab Tab Tab");
    Type("200000");
    Keys("Return");
    // A budget: → to 予算, 食費 (third in the list), 30,000 yen, 予算登録 by Space.
    Keys("Tab Tab Tab Tab Tab Tab Right Tab Down Down Tab");
    Type("30000");
    Keys("Tab space");
    ASSERT_TRUE(answerBox("Nimbrelの家計簿")) << "no box said the budget was set";
    ASSERT_TRUE(WaitFor(5, [&] { return ActiveWindow() == *form; }))
        << "the box did not give the focus back to the entry form";

    // Edit: back to 費用 on the strip, into the list, up to the expense, its menu, 編集, and
    // 1,500 yen over its amount.
    Keys("shift+Tab shift+Tab shift+Tab Home shift+Tab Up Up Menu Down Down Return");
    Keys("Tab Tab Tab Tab Tab Tab Tab Tab");
    Type("1500");
    Keys("Return");
    // Delete: the list again, up to the entry of the 1st, Delete, and OK to the question.
    Keys("Tab Tab Tab Tab Tab Up Delete");
    ASSERT_TRUE(answerBox("情報")) << "Delete asked nothing";

    // The data sheet by its key (hidden and shown again), Tab into the grid, Space opens 食費.
    Keys("ctrl+d");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    if (!FindWindow("データシート")) Keys("ctrl+d");
    std::optional<std::string> sheet;
    ASSERT_TRUE(WaitFor(5, [&] {
        sheet = FindWindow("データシート");
        return sheet && ActiveWindow() == *sheet;
    })) << "the data sheet shown from the menu's key did not take the focus";
    Keys("Tab space");
    // The sheet as shown goes out as CSV: F10, → past 検索 to CSVデータ出力, whose first entry
    // the arrow opens on, a name.
    Keys("F10 Right Right Right Right Right Return");
    ASSERT_TRUE(WaitFor(5, [&] {
        const std::string active = ActiveWindow();
        return !active.empty() && active != *sheet && active != *main && active != *form;
    })) << "no file dialog came up for the CSV";
    Keys("ctrl+a");
    Type(data + "sheet.csv");
    Keys("Return");
    answerBox("Nimbrelの家計簿");
    ASSERT_TRUE(WaitFor(5, [&] { return fs::exists(data + "sheet.csv"); }));

    // The search from the menu bar: F10, → three times onto 検索, Enter; Enter searches, Esc
    // closes it and the focus goes back to the main window F10 went to.
    Keys("F10 Right Right Right Return");
    std::optional<std::string> search;
    ASSERT_TRUE(WaitFor(5, [&] { return (search = FindWindow("検索フォーム")).has_value(); }))
        << "検索 did not open by Enter from the menu bar";
    WaitFor(3, [&] { return ActiveWindow() == *search; });
    Keys("Return Escape");
    ASSERT_TRUE(WaitFor(5, [&] { return !FindWindow("検索フォーム"); }));
    EXPECT_TRUE(WaitFor(5, [&] { return ActiveWindow() == *main; }));

    // Save: F10, the first entry of ファイル.
    Keys("F10 Down Return");
    answerBox("Nimbrelの家計簿");
    std::string entries;
    WaitFor(5, [&] {
        entries = ReadFile(data + "kakeibo.nbd");
        return entries.find("1500") != std::string::npos;
    });
    std::vector<std::string> lines;
    std::stringstream in(entries);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << entries;
    EXPECT_NE(lines[0].find(",2,0,0,0,1500,0,shop,"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(",1,0,0,0,5000,2,"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find(",0,0,"), std::string::npos) << lines[2];
    EXPECT_NE(lines[2].find(",200000,2,"), std::string::npos) << lines[2];
    EXPECT_NE(ReadFile(data + "kakeiboy.dat").find("30000"), std::string::npos);
    // 食費 opened: its sub-items are rows of the sheet (CP932 of 食料品 and 外食).
    const std::string csv = ReadFile(data + "sheet.csv");
    EXPECT_NE(csv.find("\x90\x48\x97\xBF\x95\x69"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\x8A\x4F\x90\x48"), std::string::npos);
    EXPECT_TRUE(program_.Running()) << "the program ended on its own";
}

}  // namespace
