#include "core/text_fold.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

#include "core/errors.h"

namespace kakeibo {

namespace {

const icu::Normalizer2& Folder() {
    static const icu::Normalizer2* folder = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* n = icu::Normalizer2::getNFKCCasefoldInstance(status);
        if (U_FAILURE(status)) throw LedgerError("文字の正規化を準備できません");
        return n;
    }();
    return *folder;
}

icu::UnicodeString Folded(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    icu::UnicodeString out = Folder().normalize(text, status);
    if (U_FAILURE(status)) throw LedgerError("文字の正規化に失敗しました");
    return out;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

std::string FoldKey(std::string_view utf8) {
    std::string out;
    // Most keys of a ledger are ASCII or plain kana; the ASCII ones need no ICU at all.
    if (IsAscii(utf8)) {
        for (char c : utf8) {
            if (IsBlank(c)) continue;
            out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return out;
    }
    const icu::UnicodeString folded = Folded(utf8);
    icu::UnicodeString kept;
    for (int32_t i = 0; i < folded.length();) {
        const UChar32 c = folded.char32At(i);
        if (!u_isUWhiteSpace(c)) kept.append(c);
        i += U16_LENGTH(c);
    }
    kept.toUTF8String(out);
    return out;
}

std::string FoldText(std::string_view utf8) {
    std::string out;
    if (IsAscii(utf8)) {
        for (char c : utf8) out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return out;
    }
    Folded(utf8).toUTF8String(out);
    return out;
}

std::string WidenHalfwidthKatakana(std::string_view utf8) {
    // U+FF61..U+FF9F: the half-width katakana block with its 。「」、・ and sound marks.
    static const std::unique_ptr<icu::Transliterator> widen = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(
            "[\\uFF61-\\uFF9F] Halfwidth-Fullwidth", UTRANS_FORWARD, status));
        if (U_FAILURE(status) || !t) throw LedgerError("半角カナの変換を準備できません");
        return t;
    }();
    // Half-width katakana are three bytes starting EF BD or EF BE: leave other text alone.
    if (utf8.find("\xEF\xBD") == std::string_view::npos &&
        utf8.find("\xEF\xBE") == std::string_view::npos) {
        return std::string(utf8);
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    widen->transliterate(text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string TrimBlanks(std::string_view utf8) {
    constexpr std::string_view kWide = "\xE3\x80\x80";  // U+3000
    for (;;) {
        if (!utf8.empty() && IsBlank(utf8.front())) {
            utf8.remove_prefix(1);
        } else if (utf8.starts_with(kWide)) {
            utf8.remove_prefix(kWide.size());
        } else {
            break;
        }
    }
    for (;;) {
        if (!utf8.empty() && IsBlank(utf8.back())) {
            utf8.remove_suffix(1);
        } else if (utf8.ends_with(kWide)) {
            utf8.remove_suffix(kWide.size());
        } else {
            break;
        }
    }
    return std::string(utf8);
}

}  // namespace kakeibo
