// Feeds whole image files to the row decoders through ImageReader, the way detection,
// thumbnails and the working image read them: the whole picture; its first rows and then
// the rest in bands, which must equal the whole read; and a reduced read for a thumbnail.
// Seeds: make_image_seeds, tests/fixtures/bmp and tests/fixtures/hostile-images.
//   fuzz_decoder -rss_limit_mb=4096 -max_len=65536 CORPUS SEEDS...
#include "core/image/decoder.h"
#include "core/image/imaging.h"

#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace veilmark::image;

// Whole decodes above this are skipped: the fuzzer would spend its time filling pictures
// that only the size limit bounds. Headers and first rows are still read.
constexpr std::uint64_t kWholeLimit = std::uint64_t{1} << 22;

// The failing line goes to standard error: inlined checks leave none in the stack trace.
void Check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_decoder.cpp:%d: check failed\n", line);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer initializer;
  if (!initializer.IsOk()) std::abort();
  InitImageHandlers();
  wxLog::EnableLogging(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ImageReader first;
  if (!first.Open(MemorySource(data, size))) return 0;
  const int width = first.Width();
  const int height = first.Height();
  Check(width >= 1 && height >= 1);
  const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
  Check(pixels <= std::uint64_t{1} << 27);

  // Detection's read: the rows that hold the first 1152 pixels.
  const int head = static_cast<int>(std::min<std::uint64_t>(height, (1152 + width - 1) / width));
  ArgbImage rows(width, head);
  const int got = first.ReadRows(rows.Data(), head);
  Check(got >= 0 && got <= head);
  Check(got == head || first.Failed());
  // A thumbnail's read, reduced while decoding where the format can.
  ImageReader reduced;
  Check(reduced.Open(MemorySource(data, size)));
  const int factor = reduced.ReduceFor(150, 135);
  Check(factor >= 1);
  Check(reduced.Width() >= 1 && reduced.Width() <= width);
  Check(reduced.Height() >= 1 && reduced.Height() <= height);
  if (static_cast<std::uint64_t>(reduced.Width()) * reduced.Height() <= kWholeLimit) {
    ArgbImage small;
    reduced.ReadRest(small);
  }

  if (pixels > kWholeLimit) return 0;

  ArgbImage whole;
  const bool complete = first.ReadRest(whole);
  Check(complete != whole.Empty());
  if (complete) Check(whole.Width() == width && whole.Height() == height - head);

  const ArgbImage decoded = DecodeImageData(data, size);
  if (!decoded.Empty()) {
    Check(decoded.Width() == width && decoded.Height() == height);
    // First rows, and the rest read after them, are the whole picture's rows.
    if (got == head) {
      Check(std::memcmp(rows.Data(), decoded.Data(), rows.PixelCount() * sizeof(Argb)) == 0);
    }
    if (complete) {
      Check(std::memcmp(whole.Data(), decoded.Row(head), whole.PixelCount() * sizeof(Argb)) == 0);
    }
  }

  return 0;
}
