// Where the text of a cipher failure goes. A wrong key ends in one, so every password slot
// that does not fit an image reports; by the program's convention the text goes to standard
// output. Callers whose standard output is their result pass FailureSink::Silent(); tests
// and benchmarks may pass a stream of their own.
#pragma once

#include <iostream>
#include <ostream>
#include <string_view>

namespace veilmark::crypto {

class FailureSink {
 public:
  FailureSink() = default;  // standard output
  explicit FailureSink(std::ostream& out) : out_(&out) {}
  static FailureSink Silent() { return FailureSink(nullptr); }

  void Report(std::string_view text) const {
    if (out_) *out_ << text << '\n';
  }

 private:
  explicit FailureSink(std::ostream* out) : out_(out) {}
  std::ostream* out_ = &std::cout;
};

}  // namespace veilmark::crypto
