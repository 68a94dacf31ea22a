#include "core/fd_stream.h"

#include <unistd.h>

#include <cerrno>

namespace kakeibo {

FdStreamBuf::FdStreamBuf(int fd) : fd_(fd) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdStreamBuf::~FdStreamBuf() {
    WriteOut();
}

bool FdStreamBuf::WriteOut() {
    const char* next = pbase();
    while (!failed_ && next < pptr()) {
        const ssize_t written = ::write(fd_, next, static_cast<size_t>(pptr() - next));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            break;
        }
        next += written;
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
