// rozed.ini: the settings read and written, the start-up defaults and the layout.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/files/file_stamp.h"
#include "core/ledger/ledger.h"
#include "core/notice.h"

namespace kakeibo {

// Where the windows stand before any settings file and after 「初期値に戻す」: the data
// sheet at the left under the main window's strip, ending 150 pixels above the screen's
// bottom, the entry form beside it; both shown. The graph sheet's slot stays empty, so it
// starts hidden at kGraphSheetDefault.
std::array<LayoutSlot, 3> DefaultWindowLayout(int screenHeight);

// The rectangle around every screen: all that a window read from rozed.ini may stand on.
struct DesktopArea {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The smallest sheet a user can still read and grab.
inline constexpr int32_t kSmallestSheetWidth = 240;
inline constexpr int32_t kSmallestSheetHeight = 160;

// The first layout on a screen wider than the default one: the data sheet grows into the
// free width, up to `sheetWidth` (its month sheets shown whole), and the entry form, `entryWidth`
// wide, moves right with it, keeping its gap. A screen without that room keeps the layout.
void WidenFirstLayout(std::array<LayoutSlot, 3>& layout, int screenWidth, int sheetWidth,
                      int entryWidth);

// A pick of a sheet that needs `needed` pixels of width on a data sheet narrower than that:
// the sheet widens to show it whole, up to the screen's right edge `screenRight` (one past its
// last pixel), and an entry form shown beside it on the right moves with it, keeping its gap
// and its whole width on the screen. A sheet wide enough, or no room, keeps the layout.
void WidenForSheet(LayoutSlot& sheet, LayoutSlot& entry, int screenRight, int needed);

// Keeps the places read from rozed.ini within what a screen can show: a size between the
// smallest sheet and the desktop's (a size not set, 0 or less, stays unset), a position at
// which the window still overlaps the desktop. An empty desktop limits nothing.
void LimitLayout(std::array<LayoutSlot, 3>& layout, const DesktopArea& desktop);

// The defaults of the single values before the settings file is read.
void SetStartupDefaults(Ledger& ledger, int screenHeight);

// The narrowest column of the entry list a settings file may set.
inline constexpr int32_t kSmallestListColumn = 8;

// Reads rozed.ini (lines 1..11) into the ledger; values of missing lines keep their defaults.
// History lengths outside the settings dialog's 0..99 read as the nearer limit. Throws
// LedgerError when a number line is malformed; values read before it stay.
// `layoutRead`, when given, becomes true once line 6 (the windows' layout) is there to read.
void ReadSettingsFile(Ledger& ledger, const std::string& path, bool* layoutRead = nullptr);

// The first two lines of rozed.ini, the data folder and the ledger's name, are a path, not a
// user's text: any name the system allows must come back unchanged. A path that a CP932
// line holds exactly is written as it is (as every earlier version wrote it, so existing
// files read the same); any other is written as kEncodedPathMarker followed by its UTF-8
// bytes, every byte outside printable ASCII and "%" itself as "%XX". PathFromLine undoes it.
inline constexpr const char* kEncodedPathMarker = "%UTF-8%";
std::string PathLine(const std::string& path);
std::string PathFromLine(const std::string& line);

// The lines a save writes: DataDir, LedgerName, the two history lengths, "True"/"False",
// the layout line built from the given windows (entry form, graph sheet, data sheet),
// TaxRounding, the items of ReducedRateItems, PreviousYearLedger (empty: found in the data
// folder), the entry list's columns (empty: as shipped) and FullRateSubItems; every line is
// written, empty or not, so that each keeps its place. Without a graph sheet its slot repeats the
// entry form's, as older files do.
std::vector<std::string> SettingsFileLines(const Ledger& ledger, const LayoutSlot& entryForm,
                                           const LayoutSlot& dataSheet,
                                           const std::optional<LayoutSlot>& graphSheet = {});

struct StartupResult {
    std::vector<Notice> Messages;        // in the order they arose
    bool LayoutSaved = false;            // rozed.ini held the windows' layout (line 6)
    std::vector<FileStamp> LoadedFiles;  // the ledger's files as read; empty when none was
};

// Asked before the last ledger is read (its folder and name); false leaves it unread, as
// when the user would rather not open a ledger another program has open.
using BeforeLoad = std::function<bool(const std::string& dir, const std::string& name)>;

// Everything start-up decides without a window: defaults, rozed.ini (read, or created with
// two lines), the DataDir fall-back, the masters, the last ledger, then InitLedgerState.
// `defaultDataDir` is the data folder of a new settings file and of the fall-back (created
// when missing); empty stands for `exeDir`.
StartupResult StartUp(Ledger& ledger, const std::string& exeDir, const Date& today,
                      int screenHeight, const std::string& defaultDataDir = {},
                      const BeforeLoad& beforeLoad = {});

// Reads the item and sub-item masters from `dir`, each from `fallbackDir` instead when `dir`
// lacks it (and `fallbackDir` is not ""); a missing or unreadable master is reported in
// `messages` as start-up reports it.
void ReadMasters(Ledger& ledger, const std::string& dir, const std::string& fallbackDir,
                 std::vector<Notice>& messages);

// The ledger side of init: RowEditMode 0, flags cleared, EditDate today, EditMonth,
// EditMonthIndex, NextSlot.
void InitLedgerState(Ledger& ledger, const Date& today);

}  // namespace kakeibo
