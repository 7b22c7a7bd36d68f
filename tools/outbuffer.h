// A large output buffer written straight to a file descriptor.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace tidrun::tool {

class OutBuffer {
  public:
    explicit OutBuffer(int fd, std::size_t capacity = 1 << 20) : fd_(fd), data_(capacity) {}
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;
    ~OutBuffer() { Flush(); }

    // Room for at least n bytes (n at most the capacity); write there, then Commit the end.
    char* Reserve(std::size_t n) {
        if (size_ + n > data_.size()) Flush();
        return data_.data() + size_;
    }
    void Commit(const char* end) { size_ = static_cast<std::size_t>(end - data_.data()); }

    void Append(std::string_view s) {
        char* p = Reserve(s.size());
        std::memcpy(p, s.data(), s.size());
        Commit(p + s.size());
    }

    // Writes what is buffered; false once any write has failed.
    bool Flush() {
        if (!ok_) {
            size_ = 0;
            return false;
        }
        const char* p = data_.data();
        std::size_t left = size_;
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok_ = false;
                error_ = n < 0 ? errno : EIO;
                break;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        size_ = 0;
        return ok_;
    }

    // The errno of the write that failed (0 while all went well). Kept here: flushing may
    // happen on another thread, and later calls change errno.
    int Error() const { return error_; }

  private:
    int fd_;
    std::vector<char> data_;
    std::size_t size_ = 0;
    bool ok_ = true;
    int error_ = 0;
};

}  // namespace tidrun::tool
