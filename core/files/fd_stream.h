// Output streams onto file descriptors, for the command line's output.
#pragma once

#include <array>
#include <streambuf>

namespace kakeibo {

// An output stream buffer that writes to a file descriptor. The command line writes its
// standard output and errors through two of these rather than std::cout and std::cerr, so no
// part of the program includes <iostream>: that would set up the standard streams and their
// locale at every start, a window's included. A failed write fails the stream's flush.
class FdStreamBuf final : public std::streambuf {
public:
    explicit FdStreamBuf(int fd);
    ~FdStreamBuf() override;
    FdStreamBuf(const FdStreamBuf&) = delete;
    FdStreamBuf& operator=(const FdStreamBuf&) = delete;

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool WriteOut();

    int fd_;
    bool failed_ = false;
    std::array<char, 4096> buffer_{};
};

}  // namespace kakeibo
