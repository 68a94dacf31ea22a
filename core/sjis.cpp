#include "core/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "core/errors.h"

namespace kakeibo {

namespace {

constexpr char32_t kCarrierBase = 0x10FF00;  // U+10FF00 + byte carries an undecodable byte

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw LedgerError(std::string("文字コード変換を準備できません: ") + from + " -> " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns the number of input bytes consumed.
    // errno-like result: 0 on success, EILSEQ/EINVAL at the first byte that failed.
    std::pair<size_t, int> Convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                return {in.size() - inLeft, errno};
            }
        }
        // Flush any shift state.
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        return {in.size(), 0};
    }

private:
    iconv_t cd_;
};

Converter& Decoder() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& Encoder() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Length of the UTF-8 sequence starting at s[i] (1 for a stray byte) and its code point.
std::pair<size_t, char32_t> NextUtf8(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80           ? 1
                 : (b >> 5) == 0x6  ? 2
                 : (b >> 4) == 0xE  ? 3
                 : (b >> 3) == 0x1E ? 4
                                    : 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return {len, cp};
}

// Characters that other Japanese encodings map differently; stored as their CP932 twins.
char32_t Cp932Twin(char32_t cp) {
    switch (cp) {
        case 0x301C:
            return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x00A2:
            return 0xFFE0;  // CENT SIGN
        case 0x00A3:
            return 0xFFE1;  // POUND SIGN
        case 0x00AC:
            return 0xFFE2;  // NOT SIGN
        case 0x2014:
            return 0x2015;  // EM DASH -> HORIZONTAL BAR
        case 0x00A5:
            return 0xFFE5;  // YEN SIGN -> FULLWIDTH YEN SIGN
        default:
            return cp;
    }
}

bool IsCarrier(char32_t cp, size_t len) {
    return len == 4 && cp >= kCarrierBase && cp <= kCarrierBase + 0xFF;
}

// Encodes; on failure returns false and the offending character in `bad`. Carried bytes of
// 0x80 and above go out as themselves when `carriedBytes`, otherwise they are refused.
bool TryEncode(std::string_view utf8, std::string& out, std::string& bad,
               bool carriedBytes = true) {
    std::string run;  // UTF-8 text waiting for iconv
    auto flush = [&]() {
        if (run.empty()) return true;
        auto [used, err] = Encoder().Convert(run, out);
        if (err != 0) {
            bad = std::string(run.substr(used, NextUtf8(run, used).first));
            return false;
        }
        run.clear();
        return true;
    };
    for (size_t i = 0; i < utf8.size();) {
        auto [len, cp] = NextUtf8(utf8, i);
        if (IsCarrier(cp, len)) {
            if (!flush()) return false;
            if (!carriedBytes || cp < kCarrierBase + 0x80) {
                bad = std::string(utf8.substr(i, len));
                return false;
            }
            out.push_back(static_cast<char>(cp - kCarrierBase));
        } else if (char32_t twin = Cp932Twin(cp); twin != cp) {
            AppendUtf8(run, twin);
        } else {
            run.append(utf8.substr(i, len));
        }
        i += len;
    }
    return flush();
}

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True for one double-byte character that a save writes as other bytes (the NEC and IBM
// characters that have two codes).
bool IsRewrittenPair(std::string_view pair) {
    std::string text;
    if (Decoder().Convert(pair, text).second != 0) return false;
    std::string back;
    return Encoder().Convert(text, back).second != 0 || back != pair;
}

void AppendCarried(std::string& out, char byte) {
    AppendUtf8(out, kCarrierBase + static_cast<unsigned char>(byte));
}

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    while (!bytes.empty()) {
        auto [used, err] = Decoder().Convert(bytes, out);
        if (err == 0) break;
        // Carry the byte that is not CP932 through unchanged.
        const char carried = bytes[used];
        AppendCarried(out, carried);
        bytes.remove_prefix(used + 1);
        // A carried lead byte would pair with the other code a save writes for the character
        // after it, and the text read back would change: carry that character's bytes too.
        while (IsLeadByte(static_cast<unsigned char>(carried)) && bytes.size() >= 2 &&
               IsRewrittenPair(bytes.substr(0, 2))) {
            AppendCarried(out, bytes[0]);
            // A trail byte below 0x80 is a plain ASCII character and writes back as itself;
            // carried bytes stay at 0x80 and above, which the writer insists on.
            if (static_cast<unsigned char>(bytes[1]) < 0x80) {
                out.push_back(bytes[1]);
            } else {
                AppendCarried(out, bytes[1]);
            }
            bytes.remove_prefix(2);
        }
    }
    return out;
}

std::string EncodeCp932(std::string_view utf8) {
    std::string out;
    std::string bad;
    if (!TryEncode(utf8, out, bad)) {
        throw LedgerError("文字「" + bad + "」はShift-JISで保存できません");
    }
    return out;
}

bool CanStoreAsCp932(std::string_view utf8) {
    return FirstUnstorableCharacter(utf8).empty();
}

std::string FirstUnstorableCharacter(std::string_view utf8) {
    std::string out;
    std::string bad;
    if (TryEncode(utf8, out, bad, false)) return {};
    return bad.empty() ? std::string(" ") : bad;
}

}  // namespace kakeibo
