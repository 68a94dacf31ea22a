// Whether the window can reach a screen at all, asked before the toolkit would abort on it.
#pragma once

#include <optional>
#include <string>

namespace kakeibo {

// What start-up knows of the screen it is to use: the environment and a `-platform` argument.
struct DisplaySetting {
    std::optional<std::string> Display;         // DISPLAY
    std::optional<std::string> WaylandDisplay;  // WAYLAND_DISPLAY
    std::optional<std::string> RuntimeDir;      // XDG_RUNTIME_DIR, where Wayland's socket lies
    bool PlatformChosen = false;  // QT_QPA_PLATFORM or -platform: the toolkit is told which
};

// The reason no window can be shown, as the user reads it on standard error, or nothing
// when a screen answers (or a platform was chosen, which the toolkit then judges).
// 「画面に接続できません（DISPLAY が設定されていません）。」 when no display is named;
// 「画面 :5 に接続できません。」 when the named one does not answer.
std::optional<std::string> DisplayProblem(const DisplaySetting& setting);

}  // namespace kakeibo
