#pragma once

#include <QString>
#include <string>

namespace kakeibo {

// A text of core (UTF-8) or a literal of ours as Qt's.
inline QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString Qs(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace kakeibo
