#include "core/image/decoder.h"

#include "core/base/atomic_file.h"
#include "core/image/bmp_reader.h"
#include "core/image/imaging.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace veilmark::image {
namespace {

class FileSource final : public ByteSource {
 public:
  bool Open(const std::filesystem::path& path, std::uint64_t limit) {
    return file_.Open(path) && file_.Size() <= limit;
  }
  std::uint64_t Size() const override { return file_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, unsigned char* out, std::size_t size) override {
    // Never past the size the file had when opened: a file that grows meanwhile is read as
    // it was.
    if (offset >= file_.Size()) return 0;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, file_.Size() - offset));
    return file_.ReadAt(offset, out, n) ? n : 0;
  }

 private:
  base::InputFile file_;
};

class BytesSource final : public ByteSource {
 public:
  BytesSource(const void* data, std::size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(data == nullptr ? 0 : size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, unsigned char* out, std::size_t size) override {
    if (offset >= size_) return 0;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
    std::memcpy(out, data_ + offset, n);
    return n;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
};

class WholeDecoder final : public FormatDecoder {
 public:
  bool Open(ByteSource& source) override {
    const std::uint64_t size = source.Size();
    if (size == 0 || size > kMaxImageFileBytes) return false;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    if (source.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) return false;
    image_ = DecodeImageDataWhole(bytes.data(), bytes.size());
    return !image_.Empty();
  }
  int Width() const override { return image_.Width(); }
  int Height() const override { return image_.Height(); }
  int ReadRows(Argb* out, int count) override {
    const int rows = std::max(0, std::min(count, image_.Height() - next_));
    if (rows == 0) return 0;
    std::copy_n(image_.Row(next_), static_cast<std::size_t>(rows) * image_.Width(), out);
    next_ += rows;
    return rows;
  }
  bool Failed() const override { return false; }

 private:
  ArgbImage image_;
  int next_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path, std::uint64_t limit) {
  auto source = std::make_unique<FileSource>();
  if (!source->Open(path, limit)) return nullptr;
  return source;
}

std::unique_ptr<ByteSource> MemorySource(const void* data, std::size_t size) {
  return std::make_unique<BytesSource>(data, size);
}

ImageFormat SniffFormat(const unsigned char* head, std::size_t size) {
  const auto starts = [&](const char* signature, std::size_t length) {
    return size >= length && std::memcmp(head, signature, length) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n", 8)) return ImageFormat::kPng;
  if (starts("\xFF\xD8", 2)) return ImageFormat::kJpeg;
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return ImageFormat::kGif;
  // Classic TIFF and BigTIFF.
  if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4)) {
    return ImageFormat::kTiff;
  }
  if (starts("BM", 2)) return ImageFormat::kBmp;
  if (starts("\0\0\1\0", 4) || starts("\0\0\2\0", 4)) return ImageFormat::kIco;
  return ImageFormat::kUnknown;
}

std::unique_ptr<FormatDecoder> MakeWholeDecoder() { return std::make_unique<WholeDecoder>(); }

ImageReader::ImageReader() = default;
ImageReader::~ImageReader() = default;

bool ImageReader::Open(std::unique_ptr<ByteSource> source) {
  source_ = std::move(source);
  decoder_.reset();
  format_ = ImageFormat::kUnknown;
  rowsRead_ = 0;
  if (!source_) return false;
  unsigned char head[16] = {};
  const std::size_t got = source_->ReadAt(0, head, sizeof head);
  const ImageFormat format = SniffFormat(head, got);
  switch (format) {
    case ImageFormat::kJpeg:
      decoder_ = MakeJpegDecoder();
      break;
    case ImageFormat::kPng:
      decoder_ = MakePngDecoder();
      break;
    case ImageFormat::kGif:
      decoder_ = MakeGifDecoder();
      break;
    case ImageFormat::kTiff:
      decoder_ = MakeTiffDecoder();
      break;
    case ImageFormat::kBmp:
      decoder_ = MakeBmpDecoder();
      break;
    case ImageFormat::kIco:
    case ImageFormat::kUnknown:
      break;
  }
  if (format == ImageFormat::kUnknown) return false;
  if (!decoder_) decoder_ = MakeWholeDecoder();
  if (!decoder_->Open(*source_) || decoder_->Width() < 1 || decoder_->Height() < 1) {
    decoder_.reset();
    return false;
  }
  format_ = format;
  return true;
}

bool ImageReader::Open(const std::filesystem::path& path) { return Open(OpenFileSource(path)); }

int ImageReader::Width() const { return decoder_ ? decoder_->Width() : 0; }
int ImageReader::Height() const { return decoder_ ? decoder_->Height() : 0; }

int ImageReader::ReduceFor(int boxWidth, int boxHeight) {
  if (!decoder_ || rowsRead_ > 0) return 1;
  return decoder_->ReduceFor(boxWidth, boxHeight);
}

int ImageReader::ReadRows(Argb* out, int count) {
  if (!decoder_ || count <= 0) return 0;
  const int rows = decoder_->ReadRows(out, std::min(count, Height() - rowsRead_));
  rowsRead_ += rows;
  return rows;
}

bool ImageReader::Failed() const { return !decoder_ || decoder_->Failed(); }

bool ImageReader::ReadRest(ArgbImage& image) {
  const int rows = Height() - rowsRead_;
  if (!decoder_ || rows <= 0) {
    image.Resize(0, 0);
    return false;
  }
  image.Resize(Width(), rows);
  if (ReadRows(image.Data(), rows) != rows || Failed()) {
    image.Resize(0, 0);
    return false;
  }
  return true;
}

ArgbImage DecodeFirstPixels(const std::filesystem::path& path, std::uint64_t pixels, int& width,
                            int& height) {
  width = height = 0;
  ImageReader reader;
  if (!reader.Open(path)) return {};
  const auto w = static_cast<std::uint64_t>(reader.Width());
  const int rows = static_cast<int>(
      std::min<std::uint64_t>(reader.Height(), std::max<std::uint64_t>(1, (pixels + w - 1) / w)));
  ArgbImage image(reader.Width(), rows);
  if (reader.ReadRows(image.Data(), rows) != rows || reader.Failed()) return {};
  width = reader.Width();
  height = reader.Height();
  return image;
}

}  // namespace veilmark::image
