// Everything the program does with images, over wxImage: decoding, probing, the image
// operations, scaling, the codec lists, saving, and the file-dialog filter strings.
// Works without a display; wxWidgets must be initialised (wxApp or wxInitializer) and
// InitImageHandlers() called once on the main thread before any other thread uses images.
#pragma once

#include "core/image/argb_image.h"
#include "core/image/decoder.h"
#include "core/image/image_ops.h"

#include <wx/image.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace veilmark::image {

// Registers the image formats the program reads, and only those: BMP, PNG, JPEG, TIFF,
// GIF and ICO. Every program of the project calls this rather than
// wxInitAllImageHandlers, whose extra decoders crash on hostile files or list random
// files as images. Harmless when repeated, but not thread-safe: call it at start-up.
void InitImageHandlers();

// True once InitImageHandlers() has run (the file dialogs refuse to open before that).
bool ImagingReady();

// The whole content of a regular file, read into memory. Nothing for a missing file, a
// folder, a pipe or a device (never waited on), a file above `limit` bytes, and a file
// whose size changes while it is read.
std::optional<std::vector<unsigned char>> ReadImageFileBytes(
    const std::filesystem::path& path, std::uint64_t limit = kMaxImageFileBytes);

// Decodes a file into 32-bit ARGB, from a copy read with ReadImageFileBytes. Formats without alpha
// read alpha 255; palette, grey and masked images are expanded (a mask colour becomes alpha 0). A
// file that cannot be decoded gives an image of 0 x 0. Nothing is logged.
ArgbImage DecodeImageFile(const std::filesystem::path& path);
// The same for a file's bytes held in memory.
ArgbImage DecodeImageData(const void* data, std::size_t size);
// The older whole-picture path (our BMP reader, wx's decoders behind the declared-size
// guard), for the formats that have no row decoder.
ArgbImage DecodeImageDataWhole(const void* data, std::size_t size);

// True when some decoder recognises the header of a regular file. Reads the first bytes
// only; a pipe or device is never waited on.
bool IsImageFile(const std::filesystem::path& path);

// Conversions. wxImage keeps RGB and alpha apart; ToWxImage adds an alpha channel only
// when some pixel is not opaque.
ArgbImage FromWxImage(const wxImage& image);
wxImage ToWxImage(const ArgbImage& image);

// RotateFlipImage and ApplyImageOperation: core/image/image_ops.h.

// High-quality resampling to width x height (box average when shrinking, bicubic when
// enlarging). ScaleImage keeps alpha when the source has any; ScaleImageOver composites
// over an opaque background colour (0xRRGGBB; the alpha byte is ignored) and gives RGB.
// An empty source or a size below 1 gives an invalid wxImage.
wxImage ScaleImage(const ArgbImage& source, int width, int height);
wxImage ScaleImageOver(const ArgbImage& source, int width, int height, Argb background);

// One codec of the image library.
struct CodecInfo {
  std::string description;  // e.g. "PNG"
  std::string extensions;   // lower-cased patterns, e.g. "*.jpg;*.jpeg;*.jpe"
  std::string mimeType;     // e.g. "image/png"
  wxBitmapType type = wxBITMAP_TYPE_INVALID;
};

// Every format that can be read, in the library's order.
std::vector<CodecInfo> ImageDecoders();
// The writable formats among "image/png", "image/bmp", "image/tiff", "image/jpeg" and
// "image/gif".
std::vector<CodecInfo> ImageEncoders();

// "jpg" gives "image/jpeg", anything else "image/" + extension.
std::string MimeTypeForExtension(const std::string& extension);

// Where a save of the image `imageName` of `folder` goes: the name up to its last ".",
// "_steg" after a hide ("_conv" otherwise), "." and the extension, in the same folder.
std::filesystem::path SaveOutputPath(const std::filesystem::path& folder,
                                     const std::string& imageName, bool payloadJustEmbedded,
                                     const std::string& extension);

// Writes the image with the encoder of the MIME type (exact, case-sensitive match). JPEG
// is written at quality 100; PNG, BMP and TIFF keep every R, G and B value (PNG and TIFF
// keep alpha too, BMP is 24-bit); GIF is reduced to a 256-colour palette; JPEG and GIF
// drop alpha and write the colour values as they are. The file is written beside the
// target and renamed over it only when complete, so a failed save leaves any existing
// file untouched. Without `replaceExisting` an existing target, also one that appears while
// the image is written, is never replaced and the save fails. False on any failure.
bool SaveImage(const ArgbImage& image, const std::filesystem::path& path,
               const std::string& mimeType, bool replaceExisting = true);

// File-dialog filter strings in the "description|pattern|...|" form.
std::string BuildImageFilter(const std::vector<CodecInfo>& decoders);
std::string BuildAllFilesFilter();
// The file to hide may be of any type: all files first, then the image entries.
std::string BuildFileToHideFilter(const std::vector<CodecInfo>& decoders);
std::string BuildEncryptedFilter();

}  // namespace veilmark::image
