#include "core/files/fd_stream.h"

#include <string_view>

#include "core/files/file_io.h"

namespace kakeibo {

FdStreamBuf::FdStreamBuf(int fd) : fd_(fd) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdStreamBuf::~FdStreamBuf() {
    WriteOut();
}

bool FdStreamBuf::WriteOut() {
    int error = 0;
    if (!failed_ &&
        !WriteAll(fd_, std::string_view(pbase(), static_cast<size_t>(pptr() - pbase())), error)) {
        failed_ = true;
    }
    // What could not be written is dropped: the stream has failed and says so.
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return !failed_;
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type ch) {
    if (!WriteOut()) return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

int FdStreamBuf::sync() {
    return WriteOut() ? 0 : -1;
}

}  // namespace kakeibo
