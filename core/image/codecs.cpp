// Codec lists, saving by MIME type, output names and file-dialog filter strings.
#include "core/image/imaging.h"

#include "core/base/atomic_file.h"
#include "core/base/wx_text.h"

#include <wx/imagbmp.h>
#include <wx/imagjpeg.h>
#include <wx/imagpng.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/palette.h>
#include <wx/quantize.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <system_error>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

CodecInfo InfoOf(const wxImageHandler& handler) {
  CodecInfo info;
  info.mimeType = Lower(ToUtf8(handler.GetMimeType()));
  // wx names the BMP type "image/x-bmp"; the registered name is "image/bmp".
  if (info.mimeType == "image/x-bmp") info.mimeType = "image/bmp";
  // The short format name ("PNG", "JPEG", "ICO") is the MIME subtype.
  std::string subtype = info.mimeType.substr(info.mimeType.find('/') + 1);
  if (subtype.rfind("x-", 0) == 0) subtype.erase(0, 2);
  info.description = Upper(subtype);
  info.extensions = "*." + ToUtf8(handler.GetExtension());
  for (const wxString& alternative : handler.GetAltExtensions()) {
    info.extensions += ";*." + ToUtf8(alternative);
  }
  info.extensions = Lower(info.extensions);
  info.type = handler.GetType();
  return info;
}

bool IsEncoderMime(const std::string& mime) {
  static constexpr const char* kWritable[] = {"image/png", "image/bmp", "image/tiff", "image/jpeg",
                                              "image/gif"};
  return std::find(std::begin(kWritable), std::end(kWritable), mime) != std::end(kWritable);
}

// GIF holds at most 256 colours: the image is quantised and carries its palette. GIF
// keeps no alpha, so the colours are written as they are.
bool PrepareGif(wxImage& image) {
  if (image.HasAlpha()) image.ClearAlpha();
  wxImage reduced;
  wxPalette* palette = nullptr;
  if (!wxQuantize::Quantize(image, reduced, &palette, 256, nullptr,
                            wxQUANTIZE_FILL_DESTINATION_IMAGE)) {
    delete palette;
    return false;
  }
  std::unique_ptr<wxPalette> owned(palette);
  if (!owned) return false;
  reduced.SetPalette(*owned);
  image = reduced;
  return true;
}

bool Encode(const ArgbImage& source, wxBitmapType type, wxMemoryOutputStream& out) {
  wxImage image = ToWxImage(source);
  if (!image.IsOk()) return false;
  switch (type) {
    case wxBITMAP_TYPE_JPEG:
      image.SetOption(wxIMAGE_OPTION_QUALITY, 100);
      break;
    case wxBITMAP_TYPE_PNG:
      image.SetOption(wxIMAGE_OPTION_PNG_FORMAT, wxPNG_TYPE_COLOUR);
      // A carrier's low bits are noise that no zlib level squeezes: level 3 writes a
      // 4000 x 3000 photo about 3 times faster than the default 6, for files ~4% larger.
      image.SetOption(wxIMAGE_OPTION_PNG_COMPRESSION_LEVEL, 3);
      break;
    case wxBITMAP_TYPE_BMP:
      image.SetOption(wxIMAGE_OPTION_BMP_FORMAT, wxBMP_24BPP);
      break;
    case wxBITMAP_TYPE_GIF:
      if (!PrepareGif(image)) return false;
      break;
    default:
      break;
  }
  return image.SaveFile(out, type);
}

}  // namespace

std::vector<CodecInfo> ImageDecoders() {
  std::vector<CodecInfo> decoders;
  for (auto node = wxImage::GetHandlers().GetFirst(); node != nullptr; node = node->GetNext()) {
    decoders.push_back(InfoOf(*static_cast<const wxImageHandler*>(node->GetData())));
  }
  return decoders;
}

std::vector<CodecInfo> ImageEncoders() {
  std::vector<CodecInfo> encoders;
  for (CodecInfo& info : ImageDecoders()) {
    if (IsEncoderMime(info.mimeType)) encoders.push_back(std::move(info));
  }
  return encoders;
}

std::string MimeTypeForExtension(const std::string& extension) {
  return extension == "jpg" ? "image/jpeg" : "image/" + extension;
}

std::filesystem::path SaveOutputPath(const std::filesystem::path& folder,
                                     const std::string& imageName, bool payloadJustEmbedded,
                                     const std::string& extension) {
  // Only the file name is cut at its last ".": a "." in a folder name must stay.
  const std::string stem = imageName.substr(0, imageName.rfind('.'));
  return folder / (stem + (payloadJustEmbedded ? "_steg" : "_conv") + "." + extension);
}

bool SaveImage(const ArgbImage& image, const std::filesystem::path& path,
               const std::string& mimeType, bool replaceExisting) {
  if (image.Empty() || path.filename().empty()) return false;
  const std::vector<CodecInfo> encoders = ImageEncoders();
  const auto encoder = std::find_if(encoders.begin(), encoders.end(),
                                    [&](const CodecInfo& c) { return c.mimeType == mimeType; });
  if (encoder == encoders.end()) return false;

  wxLogNull quiet;
  wxMemoryOutputStream encoded;
  if (!Encode(image, encoder->type, encoded) || !encoded.IsOk()) return false;
  const wxStreamBuffer* buffer = encoded.GetOutputStreamBuffer();
  const std::size_t size = static_cast<std::size_t>(encoded.GetSize());
  if (buffer == nullptr || size == 0) return false;

  // Complete and on disk before it takes the target's name: a failed or interrupted save
  // never leaves a half-written image in place of an existing one.
  base::AtomicFileWriter writer(path);
  return writer.Create() && writer.Write(buffer->GetBufferStart(), size) &&
         writer.Commit(replaceExisting, 0644) == base::CommitResult::kOk;
}

std::string BuildImageFilter(const std::vector<CodecInfo>& decoders) {
  std::string all = "All Image Files|";
  std::string each;
  for (std::size_t i = 0; i < decoders.size(); ++i) {
    const std::string patterns = Lower(decoders[i].extensions);
    each += decoders[i].description + " files(" + patterns + ")|" + patterns + "|";
    all += patterns;
    if (i + 1 < decoders.size()) all += ";";
  }
  return all + "|All Files (*.*)|*.*|" + each + "|";
}

std::string BuildAllFilesFilter() { return "All Files (*.*)|*.*|"; }

std::string BuildFileToHideFilter(const std::vector<CodecInfo>& decoders) {
  std::string images = BuildImageFilter(decoders);
  const std::string all = BuildAllFilesFilter();
  if (const auto at = images.find(all); at != std::string::npos) images.erase(at, all.size());
  return all + images;
}

std::string BuildEncryptedFilter() { return "Encrypted Files (*.cry)|*.cry|"; }

}  // namespace veilmark::image
