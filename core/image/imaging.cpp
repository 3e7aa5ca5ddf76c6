#include "core/image/imaging.h"

#include "core/base/atomic_file.h"
#include "core/image/bmp_reader.h"
#include "core/image/declared_size.h"

#include <wx/imagbmp.h>
#include <wx/imaggif.h>
#include <wx/imagjpeg.h>
#include <wx/imagpng.h>
#include <wx/imagtiff.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cstring>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;

// Enough for every signature.
constexpr std::size_t kSignatureBytes = 16;

constexpr std::uint8_t Alpha(Argb p) { return static_cast<std::uint8_t>(p >> 24); }
constexpr std::uint8_t Red(Argb p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t Green(Argb p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t Blue(Argb p) { return static_cast<std::uint8_t>(p); }

bool AnyTranslucent(const ArgbImage& image) {
  const Argb* p = image.Data();
  return std::any_of(p, p + image.PixelCount(), [](Argb v) { return Alpha(v) != 0xFF; });
}

struct BlockSums {
  std::uint64_t a, r, g, b, n;
};

// Adds the pixels of one source row to the sums of their blocks. Opaque rows skip the
// alpha weighting: their weighted sums are 255 times the plain ones.
template <bool kOpaque>
void AddRow(const Argb* row, int width, int factor, std::vector<BlockSums>& sums) {
  for (std::size_t block = 0; block < sums.size(); ++block) {
    const int xBegin = static_cast<int>(block) * factor;
    const int xEnd = std::min(width, xBegin + factor);
    std::uint64_t a = 0, r = 0, g = 0, b = 0;
    for (int x = xBegin; x < xEnd; ++x) {
      const Argb p = row[x];
      if (kOpaque) {
        r += Red(p);
        g += Green(p);
        b += Blue(p);
      } else {
        const std::uint64_t alpha = Alpha(p);
        a += alpha;
        r += alpha * Red(p);
        g += alpha * Green(p);
        b += alpha * Blue(p);
      }
    }
    const auto n = static_cast<std::uint64_t>(xEnd - xBegin);
    BlockSums& s = sums[block];
    if (kOpaque) {
      s.a += 255 * n;
      s.r += 255 * r;
      s.g += 255 * g;
      s.b += 255 * b;
    } else {
      s.a += a;
      s.r += r;
      s.g += g;
      s.b += b;
    }
    s.n += n;
  }
}

// Averages blocks of factor x factor pixels (the last row and column of blocks may be
// partial) with colours weighted by alpha, either composited over `background` (RGB
// result) or keeping alpha (fully transparent blocks read black). A box filter is exact
// for integer reductions and cheap; the final size is left to wxImage::Scale.
wxImage BoxReduce(const ArgbImage& source, int factor, const Argb* background) {
  const int sw = source.Width();
  const int sh = source.Height();
  const int ow = (sw + factor - 1) / factor;
  const int oh = (sh + factor - 1) / factor;
  const bool opaque = !AnyTranslucent(source);
  wxImage out(ow, oh, false);
  unsigned char* rgb = out.GetData();
  unsigned char* alpha = nullptr;
  if (background == nullptr && !opaque) {
    out.SetAlpha();
    alpha = out.GetAlpha();
  }
  std::vector<BlockSums> sums(static_cast<std::size_t>(ow));
  for (int oy = 0; oy < oh; ++oy) {
    std::fill(sums.begin(), sums.end(), BlockSums{0, 0, 0, 0, 0});
    const int yEnd = std::min(sh, (oy + 1) * factor);
    for (int y = oy * factor; y < yEnd; ++y) {
      if (opaque) {
        AddRow<true>(source.Row(y), sw, factor, sums);
      } else {
        AddRow<false>(source.Row(y), sw, factor, sums);
      }
    }
    for (int ox = 0; ox < ow; ++ox) {
      const BlockSums& s = sums[static_cast<std::size_t>(ox)];
      unsigned char* dst = rgb + 3 * (static_cast<std::size_t>(oy) * ow + ox);
      if (background != nullptr) {
        // Composited over the background: (sum a*c + (255*n - sum a) * bg) / (255*n).
        const std::uint64_t full = 255 * s.n;
        const std::uint64_t rest = full - s.a;
        dst[0] = static_cast<unsigned char>((s.r + rest * Red(*background) + full / 2) / full);
        dst[1] = static_cast<unsigned char>((s.g + rest * Green(*background) + full / 2) / full);
        dst[2] = static_cast<unsigned char>((s.b + rest * Blue(*background) + full / 2) / full);
      } else if (s.a == 0) {
        dst[0] = dst[1] = dst[2] = 0;
      } else {
        dst[0] = static_cast<unsigned char>((s.r + s.a / 2) / s.a);
        dst[1] = static_cast<unsigned char>((s.g + s.a / 2) / s.a);
        dst[2] = static_cast<unsigned char>((s.b + s.a / 2) / s.a);
      }
      if (alpha != nullptr) {
        alpha[static_cast<std::size_t>(oy) * ow + ox] =
            static_cast<unsigned char>((s.a + s.n / 2) / s.n);
      }
    }
  }
  return out;
}

wxImage Scale(const ArgbImage& source, int width, int height, const Argb* background) {
  if (source.Empty() || width < 1 || height < 1) return wxImage();
  // Reduce by whole blocks to no less than twice the target, then resample finely.
  const int factor =
      std::max(1, std::min(source.Width() / (2 * width), source.Height() / (2 * height)));
  wxImage reduced = factor == 1 && background == nullptr ? ToWxImage(source)
                                                         : BoxReduce(source, factor, background);
  if (reduced.GetWidth() == width && reduced.GetHeight() == height) return reduced;
  return reduced.Scale(width, height, wxIMAGE_QUALITY_HIGH);
}

}  // namespace

void InitImageHandlers() {
  // Exactly the six formats the program reads, each with a real signature. PCX, TGA and
  // PNM accept about one in 250 random files (encrypted ones among them) and may ask for
  // gigabytes; the ANI, CUR, IFF and XPM decoders crash on small hostile files.
  const auto add = [](wxImageHandler* handler) {
    if (wxImage::FindHandler(handler->GetType()) == nullptr) {
      wxImage::AddHandler(handler);
    } else {
      delete handler;
    }
  };
  add(new wxBMPHandler);
  add(new wxPNGHandler);
  add(new wxJPEGHandler);
  add(new wxTIFFHandler);
  add(new wxGIFHandler);
  add(new wxICOHandler);
}

bool ImagingReady() { return wxImage::FindHandler(wxBITMAP_TYPE_PNG) != nullptr; }

namespace {

// Refuses pictures whose header declares a size not worth decoding, reading only the few
// header fields it needs; the stream is left at its start.
bool SizeWorthDecoding(wxInputStream& stream) {
  const wxFileOffset length = stream.GetLength();
  if (length == wxInvalidOffset) return true;
  const bool acceptable = DeclaredSizeAcceptable(
      [&stream](std::uint64_t offset, unsigned char* out, std::size_t size) -> std::size_t {
        if (stream.SeekI(static_cast<wxFileOffset>(offset)) == wxInvalidOffset) return 0;
        return stream.Read(out, size).LastRead();
      },
      static_cast<std::uint64_t>(length));
  stream.Reset();
  return stream.SeekI(0) == 0 && acceptable;
}

ArgbImage DecodeStream(wxInputStream& stream) {
  wxLogNull quiet;  // data that does not decode is not reported
  if (!SizeWorthDecoding(stream)) return {};
  wxImage decoded;
  if (!decoded.LoadFile(stream, wxBITMAP_TYPE_ANY) || !decoded.IsOk()) return {};
  return FromWxImage(decoded);
}

// Opens a regular file without waiting on a pipe or device (the check is made on the
// opened descriptor, so the file cannot be swapped in between).
bool ReadPrefix(const fs::path& path, std::uint64_t limit, std::vector<unsigned char>& out,
                bool whole) {
  base::InputFile file;
  if (!file.Open(path)) return false;
  const std::uint64_t size = file.Size();
  if (whole && size > limit) return false;
  const auto wanted = static_cast<std::size_t>(std::min(size, limit));
  // One byte more than the size fstat gave: a file that grew while read is noticed.
  out.resize(wanted + (whole ? 1 : 0));
  const std::ptrdiff_t got = file.ReadFull(out.data(), out.size());
  if (got < 0) return false;
  if (whole && static_cast<std::size_t>(got) != wanted) return false;  // it changed size
  out.resize(static_cast<std::size_t>(got));
  return true;
}

}  // namespace

std::optional<std::vector<unsigned char>> ReadImageFileBytes(const std::filesystem::path& path,
                                                             std::uint64_t limit) {
  std::vector<unsigned char> bytes;
  if (!ReadPrefix(path, limit, bytes, true)) return std::nullopt;
  return bytes;
}

ArgbImage DecodeImageFile(const std::filesystem::path& path) {
  ImageReader reader;
  ArgbImage image;
  if (!reader.Open(path) || !reader.ReadRest(image)) return {};
  return image;
}

ArgbImage DecodeImageData(const void* data, std::size_t size) {
  ImageReader reader;
  ArgbImage image;
  if (!reader.Open(MemorySource(data, size)) || !reader.ReadRest(image)) return {};
  return image;
}

ArgbImage DecodeImageDataWhole(const void* data, std::size_t size) {
  if (data == nullptr || size == 0) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (IsBmpSignature(bytes, size)) return DecodeBmp(bytes, size);
  wxMemoryInputStream stream(data, size);
  return DecodeStream(stream);
}

bool IsImageFile(const std::filesystem::path& path) {
  std::vector<unsigned char> head;
  if (!ReadPrefix(path, kSignatureBytes, head, false)) return false;
  // The short signatures folders have always been listed by; what the rest of the header
  // does not confirm is listed but does not decode.
  const auto starts = [&head](const char* signature, std::size_t length) {
    return head.size() >= length && std::memcmp(head.data(), signature, length) == 0;
  };
  const bool icon = starts("\0\0\1\0", 4) && head.size() >= 6 && (head[4] | head[5]) != 0;
  return starts("BM", 2) || starts("\x89PNG", 4) || starts("\xFF\xD8", 2) || starts("GIF", 3) ||
         starts("II", 2) || starts("MM", 2) || icon;
}

ArgbImage FromWxImage(const wxImage& image) {
  if (!image.IsOk() || image.GetWidth() < 1 || image.GetHeight() < 1) return {};
  ArgbImage out(image.GetWidth(), image.GetHeight());
  const unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
  const bool masked = alpha == nullptr && image.HasMask();
  const unsigned char mr = masked ? image.GetMaskRed() : 0;
  const unsigned char mg = masked ? image.GetMaskGreen() : 0;
  const unsigned char mb = masked ? image.GetMaskBlue() : 0;
  Argb* dst = out.Data();
  const std::size_t count = out.PixelCount();
  for (std::size_t i = 0; i < count; ++i, rgb += 3) {
    std::uint8_t a = 0xFF;
    if (alpha != nullptr) {
      a = alpha[i];
    } else if (masked && rgb[0] == mr && rgb[1] == mg && rgb[2] == mb) {
      a = 0;
    }
    dst[i] = stego::MakeArgb(a, rgb[0], rgb[1], rgb[2]);
  }
  return out;
}

wxImage ToWxImage(const ArgbImage& image) {
  if (image.Empty()) return wxImage();
  wxImage out(image.Width(), image.Height(), false);
  unsigned char* rgb = out.GetData();
  unsigned char* alpha = nullptr;
  if (AnyTranslucent(image)) {
    out.SetAlpha();
    alpha = out.GetAlpha();
  }
  const Argb* src = image.Data();
  const std::size_t count = image.PixelCount();
  for (std::size_t i = 0; i < count; ++i, rgb += 3) {
    const Argb p = src[i];
    rgb[0] = Red(p);
    rgb[1] = Green(p);
    rgb[2] = Blue(p);
    if (alpha != nullptr) alpha[i] = Alpha(p);
  }
  return out;
}

wxImage ScaleImage(const ArgbImage& source, int width, int height) {
  return Scale(source, width, height, nullptr);
}

wxImage ScaleImageOver(const ArgbImage& source, int width, int height, Argb background) {
  return Scale(source, width, height, &background);
}

}  // namespace veilmark::image
