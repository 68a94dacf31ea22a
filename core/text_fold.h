// Texts folded by ICU (width, kana, case) for matching.
#pragma once

#include <string>
#include <string_view>

namespace kakeibo {

// Width, kana and letter case folded by ICU's NFKC with case folding, and every blank
// removed: ｾﾌﾞﾝ, セブン and ｾ ﾌﾞ ﾝ give one key, as do ABC and ａｂｃ. For matching only;
// never stored.
std::string FoldKey(std::string_view utf8);

// NFKC with case folding, blanks kept: full-width digits and signs become ASCII, so that
// dates and amounts can be read with plain rules.
std::string FoldText(std::string_view utf8);

// Half-width katakana (and their half-width marks) widened by ICU's Halfwidth-Fullwidth
// transform; every other character, ㈱ and full-width letters included, stays as written.
std::string WidenHalfwidthKatakana(std::string_view utf8);

// Blanks (ASCII and the full-width U+3000) removed from both ends.
std::string TrimBlanks(std::string_view utf8);

}  // namespace kakeibo
