#pragma once

#include <string>
#include <string_view>

namespace kakeibo {

// Decodes CP932 bytes to UTF-8. A byte that is not valid CP932 becomes the private-use
// code point U+10FF00 + byte, which EncodeCp932 turns back into the same byte.
std::string DecodeCp932(std::string_view bytes);

// Encodes UTF-8 text as CP932. Throws LedgerError naming the first character that CP932
// cannot hold; never substitutes "?".
std::string EncodeCp932(std::string_view utf8);

// True when every character of the text can be stored in a CP932 file.
bool CanStoreAsCp932(std::string_view utf8);

// The first character (as UTF-8) that CP932 cannot hold, or empty when there is none.
std::string FirstUnstorableCharacter(std::string_view utf8);

}  // namespace kakeibo
