// Sequential reads over a ByteSource through a 64 KiB buffer: the PNG and GIF libraries ask
// for a few bytes at a time (chunk headers, 255-byte GIF blocks), and each would otherwise
// be a system call.
#pragma once

#include "core/image/decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace veilmark::image {

class SourceReader {
 public:
  // The buffer is made here, not while a C library is calling back into Read.
  explicit SourceReader(ByteSource& source) : source_(source), buffer_(kBufferBytes) {}

  // Up to `size` bytes from where the last read ended; fewer only at the end of the data.
  std::size_t Read(unsigned char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      if (next_ == end_) {
        // Large reads go straight to the caller's memory.
        if (size - done >= kBufferBytes) {
          const std::size_t got = source_.ReadAt(offset_, out + done, size - done);
          offset_ += got;
          return done + got;
        }
        end_ = source_.ReadAt(offset_, buffer_.data(), buffer_.size());
        offset_ += end_;
        next_ = 0;
        if (end_ == 0) break;
      }
      const std::size_t n = std::min(size - done, end_ - next_);
      std::memcpy(out + done, buffer_.data() + next_, n);
      next_ += n;
      done += n;
    }
    return done;
  }

 private:
  static constexpr std::size_t kBufferBytes = 64 * 1024;
  ByteSource& source_;
  std::uint64_t offset_ = 0;  // of the byte after the buffered ones
  std::vector<unsigned char> buffer_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

}  // namespace veilmark::image
