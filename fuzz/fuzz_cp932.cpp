// Any bytes: the decoder and the encoder that remember what iconv said read and write them
// exactly as iconv does.
#include "core/errors.h"
#include "core/sjis.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::Require(DecodeCp932(bytes) == DecodeCp932ByConverter(bytes), "decoders agree");
    std::string fast;
    std::string full;
    try {
        fast = "bytes " + EncodeCp932(bytes);
    } catch (const LedgerError& e) {
        fast = e.what();
    }
    try {
        full = "bytes " + EncodeCp932ByConverter(bytes);
    } catch (const LedgerError& e) {
        full = e.what();
    }
    fuzz::Require(fast == full, "encoders agree");
    return 0;
}
