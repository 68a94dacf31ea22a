// A message core asks its caller to show.
#pragma once

#include <string>

namespace kakeibo {

// A message the core asks its caller to show; core/ never shows anything itself.
enum class NoticeKind {
    Plain,        // the application's title, OK
    Warning,      // "警告"
    Error,        // "エラー"
    Information,  // "情報"
};

struct Notice {
    NoticeKind Kind = NoticeKind::Plain;
    std::string Text;

    bool operator==(const Notice&) const = default;
};

}  // namespace kakeibo
