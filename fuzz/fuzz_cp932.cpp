// Any bytes: the decoder that remembers what iconv said reads them exactly as iconv does.
#include "core/sjis.h"
#include "fuzz_support.h"

using namespace kakeibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    fuzz::Require(DecodeCp932(bytes) == DecodeCp932ByConverter(bytes), "decoders agree");
    return 0;
}
