// Reading pictures row by row through the decoder made for each format: the whole picture,
// only its first rows (all that detection needs), or reduced while decoding for a thumbnail
// (JPEG decodes at 1/2, 1/4 or 1/8 of its size). Files are read in pieces as the decoder
// asks, never mapped. Input is hostile: sizes are checked before anything is allocated, and
// broken data gives a failed read, never a crash.
#pragma once

#include "core/image/argb_image.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace veilmark::image {

// The largest image file read: a picture of kMaxDeclaredPixels at 8 bytes per pixel
// (16-bit RGBA TIFF) fits.
inline constexpr std::uint64_t kMaxImageFileBytes = std::uint64_t{1} << 30;

// Where a decoder's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Up to `size` bytes at `offset` into `out`; how many were read (fewer only at the end of
  // the data or on a read error).
  virtual std::size_t ReadAt(std::uint64_t offset, unsigned char* out, std::size_t size) = 0;
};

// A regular file, opened without waiting on a pipe or device (checked on the opened
// descriptor); nullptr for anything else and for a file above `limit` bytes.
std::unique_ptr<ByteSource> OpenFileSource(const std::filesystem::path& path,
                                           std::uint64_t limit = kMaxImageFileBytes);
// Bytes held by the caller, who keeps them alive while the source is in use.
std::unique_ptr<ByteSource> MemorySource(const void* data, std::size_t size);

enum class ImageFormat { kUnknown, kBmp, kPng, kJpeg, kGif, kTiff, kIco };

// The format whose signature begins `head` (the first bytes of a file; 16 are enough).
ImageFormat SniffFormat(const unsigned char* head, std::size_t size);

// One format's decoder, used through ImageReader.
class FormatDecoder {
 public:
  virtual ~FormatDecoder() = default;
  // Reads the header. False when it is broken or declares a size PictureSizeAcceptable
  // refuses; nothing sized by the picture is allocated before that check.
  virtual bool Open(ByteSource& source) = 0;
  // Asks for the picture reduced while decoding, as little as the format allows while it
  // still covers a box of boxWidth x boxHeight when fitted into it; Width() and Height()
  // then give the reduced size. Only before the first ReadRows. Returns the reduction
  // (1: none, which a format without such a decode always gives).
  virtual int ReduceFor(int boxWidth, int boxHeight) {
    (void)boxWidth;
    (void)boxHeight;
    return 1;
  }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Decodes the next `count` rows into `out` (Width() pixels a row, rows packed) and returns
  // how many it wrote: fewer only at the end of the picture or when the data is broken
  // (then Failed() is true and the picture counts as unreadable).
  virtual int ReadRows(Argb* out, int count) = 0;
  virtual bool Failed() const = 0;
};

// Picks the decoder by the file's signature and reads through it. Not copyable; one reader
// per picture and thread.
class ImageReader {
 public:
  ImageReader();
  ~ImageReader();
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  // False for an unknown format, a broken header or a refused size.
  bool Open(std::unique_ptr<ByteSource> source);
  bool Open(const std::filesystem::path& path);

  ImageFormat Format() const { return format_; }
  int Width() const;
  int Height() const;
  int ReduceFor(int boxWidth, int boxHeight);
  int ReadRows(Argb* out, int count);
  bool Failed() const;
  int RowsRead() const { return rowsRead_; }

  // The remaining rows into `image`, whose buffer is reused when it is large enough. False
  // (and `image` empty) when the data is broken.
  bool ReadRest(ArgbImage& image);

 private:
  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<FormatDecoder> decoder_;
  ImageFormat format_ = ImageFormat::kUnknown;
  int rowsRead_ = 0;
};

// The first rows of a picture, enough to hold its first `pixels` pixels in reading order
// (all rows when it has fewer), as an image of the full width; `width` and `height` receive
// the whole picture's size. These pixels equal the same pixels of DecodeImageFile. An empty
// image (and 0 x 0) when the file cannot be read.
ArgbImage DecodeFirstPixels(const std::filesystem::path& path, std::uint64_t pixels, int& width,
                            int& height);

// Decoders of the formats, for ImageReader; each returns nullptr where it is not built yet.
std::unique_ptr<FormatDecoder> MakeJpegDecoder();
std::unique_ptr<FormatDecoder> MakePngDecoder();
std::unique_ptr<FormatDecoder> MakeGifDecoder();
std::unique_ptr<FormatDecoder> MakeTiffDecoder();
// Decodes the whole picture with the older in-memory path and hands out its rows: the
// decoder of the formats without a row decoder of their own.
std::unique_ptr<FormatDecoder> MakeWholeDecoder();

}  // namespace veilmark::image
