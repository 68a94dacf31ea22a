// LedgerError, the failure that carries the message the user reads.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kakeibo {

// A failure whose message is the text the user should read.
class LedgerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text as a message quotes it: at most `characters` characters (a line of a damaged file
// may be megabytes long, and a message box lays out all it is given), the rest left out
// with "…".
inline std::string QuoteForMessage(std::string_view text, size_t characters = 80) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (count++ == characters) return std::string(text.substr(0, at)) + "…";
    }
    return std::string(text);
}

}  // namespace kakeibo
