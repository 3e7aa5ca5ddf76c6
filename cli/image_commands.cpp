// hide, extract, scan, capacity, convert and analyze: the desktop's steganography and saving
// commands on image files named on the command line.
#include "cli/cli.h"
#include "cli/json_output.h"
#include "cli/password_input.h"
#include "cli/progress.h"
#include "cli/stored_passwords.h"
#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/base/timestamp.h"
#include "core/crypto/files.h"
#include "core/document/flows.h"
#include "core/document/folder_scan.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "core/stego/analysis.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"
#include "core/stego/hidden_name.h"
#include "core/stego/kinds.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace veilmark::cli {

namespace {

namespace fs = std::filesystem;

const Option kOutOption{"--out", "PATH", "write the image to PATH instead of the default name"};
const Option kRawOption{"--raw", "", "write a hidden message's bytes as they are"};

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// The image as the desktop lists it: lower-cased, which its output names follow.
std::string ListedName(const fs::path& image) { return AsciiLower(image.filename().u8string()); }

// "tif" and "jpeg" are accepted for "tiff" and "jpg"; empty when not among `allowed`.
std::string FormatName(std::string name, const std::vector<std::string>& allowed) {
  name = AsciiLower(name);
  if (name == "tif") name = "tiff";
  if (name == "jpeg") name = "jpg";
  return std::find(allowed.begin(), allowed.end(), name) != allowed.end() ? name : std::string();
}

std::optional<image::ArgbImage> LoadImage(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    PrintError(Quoted(path) + ": no such file");
    return std::nullopt;
  }
  image::ArgbImage decoded = image::DecodeImageFile(path);
  if (decoded.Empty()) {
    PrintError(Quoted(path) + ": not an image that can be read");
    return std::nullopt;
  }
  return decoded;
}

bool RefuseExisting(const fs::path& output, bool force) {
  if (force || !Exists(output)) return false;
  PrintError(Quoted(output) + " already exists (--force replaces it)");
  return true;
}

// Replaces an existing file only when `replace`: also one that appeared after the check.
bool Save(const image::ArgbImage& image, const fs::path& output, const std::string& format,
          bool replace) {
  if (!image::SaveImage(image, output, image::MimeTypeForExtension(format), replace)) {
    if (!replace && Exists(output))
      PrintError(Quoted(output) + " already exists (--force replaces it)");
    else
      PrintError(Quoted(output) + ": Error saving image file.");
    return false;
  }
  std::cerr << "Image file saved: " << VisibleText(output.u8string()) << std::endl;
  return true;
}

// What `hide` puts into the image: the file's bytes under its name, or a message as the
// desktop's message file holds it.
struct HidePayload {
  std::string bytes;
  std::string name;
  std::string shownPath;  // names the file in the capacity message
  ~HidePayload() { Wipe(bytes); }
};

// 0 when the payload is ready, else the exit code (the message is printed). A file to hide
// is measured against `capacity` before it is read, a message file while it is read.
int MakePayload(const Invocation& inv, const std::string& listedName, std::uint32_t capacity,
                HidePayload& payload) {
  if (const std::string* file = inv.Value("--file")) {
    const fs::path path = fs::u8path(*file);
    if (!Exists(path)) {
      PrintError(Quoted(path) + ": The selected file to hide does not exist.");
      return kExitFailed;
    }
    base::InputFile in;
    const bool opened = in.Open(path);
    // Sized on the opened file: one that the image cannot hold is never loaded, however
    // large it is.
    if (opened) {
      const HideCheck check = CheckHide(capacity, in.Size(), path.filename().u8string());
      if (check.refusal == HideRefusal::kNotEnoughCapacity) {
        PrintError(stego::FormatCapacityMessage(*file, check.need));
        return kExitFailed;
      }
    }
    std::string bytes;
    if (!opened || !in.ReadAll(bytes)) {
      PrintError(Quoted(path) + ": The selected file to hide cannot be read.");
      return kExitFailed;
    }
    payload.bytes = std::move(bytes);
    payload.name = path.filename().u8string();
    payload.shownPath = *file;
    return kExitOk;
  }
  std::string text;
  if (const std::string* message = inv.Value("--message")) {
    text = *message;
  } else if (const std::string* messageFile = inv.Value("--message-file")) {
    const fs::path path = fs::u8path(*messageFile);
    base::InputFile in;
    if (!in.Open(path)) {
      PrintError(Quoted(path) + ": cannot read the message file");
      return kExitFailed;
    }
    // Read in pieces and given up once the text alone outgrows the image, so that a huge
    // file is never loaded. Line ends as typed in the desktop's dialog (LF), without the
    // final one every editor adds.
    char piece[1 << 16];
    for (;;) {
      const std::ptrdiff_t n = in.ReadFull(piece, sizeof piece);
      if (n < 0) {
        Wipe(text);
        PrintError(Quoted(path) + ": cannot read the message file");
        return kExitFailed;
      }
      for (std::ptrdiff_t i = 0; i < n; ++i)
        if (piece[i] != '\r') text += piece[i];
      std::fill(piece, piece + sizeof piece, '\0');
      // Every byte kept stays in the hidden file: this is a lower bound of the need.
      const std::int64_t least = stego::RequiredCapacity(text.size());
      if (std::int64_t{capacity} < least) {
        Wipe(text);
        PrintError(stego::FormatCapacityMessage(MessageFileName(listedName), least));
        return kExitFailed;
      }
      if (n < static_cast<std::ptrdiff_t>(sizeof piece)) break;
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
  }
  if (text.empty()) {
    PrintError("The text message to hide is not defined.");
    return kExitFailed;
  }
  payload.bytes = MessageFileBytes(text);
  Wipe(text);
  payload.name = MessageFileName(listedName);
  payload.shownPath = payload.name;
  return kExitOk;
}

int RunHide(const Invocation& inv) {
  const int sources = (inv.Value("--file") ? 1 : 0) + (inv.Value("--message") ? 1 : 0) +
                      (inv.Value("--message-file") ? 1 : 0);
  if (sources != 1)
    return UsageError(inv.command, "give one of --file, --message and --message-file");
  if (const std::string* message = inv.Value("--message"); message && message->empty())
    return UsageError(inv.command, "The text message to hide is not defined.");
  const std::vector<std::string> lossless{"png", "bmp", "tiff"};
  const std::string* out = inv.Value(kOutOption.name);
  std::string format = "png";
  if (const std::string* given = inv.Value("--format")) {
    format = FormatName(*given, lossless);
    if (format.empty())
      return UsageError(inv.command,
                        "--format takes png, bmp or tiff: formats that keep every pixel");
  } else if (out) {
    // Without --format, an output name ending in .bmp or .tif(f) chooses that format.
    const std::string extension = fs::u8path(*out).extension().u8string();
    if (extension.size() > 1) {
      const std::string fromName = FormatName(extension.substr(1), lossless);
      if (!fromName.empty()) format = fromName;
    }
  }
  const bool force = inv.Has(ForceOption().name);

  const fs::path imagePath = fs::u8path(inv.operands[0]);
  std::optional<image::ArgbImage> carrier = LoadImage(imagePath);
  if (!carrier) return kExitFailed;
  const std::string listedName = ListedName(imagePath);
  const fs::path output =
      out ? fs::u8path(*out)
          : image::SaveOutputPath(imagePath.parent_path(), listedName, true, format);
  if (RefuseExisting(output, force)) return kExitFailed;

  HidePayload payload;
  if (const int code = MakePayload(inv, listedName, stego::StorageCapacity(*carrier), payload);
      code != kExitOk)
    return code;
  // Refusals that need no password come before it is asked for.
  const HideCheck check =
      CheckHide(stego::StorageCapacity(*carrier), payload.bytes.size(), payload.name);
  const std::int64_t need = check.need;
  switch (check.refusal) {
    case HideRefusal::kNone:
      break;
    case HideRefusal::kNotEnoughCapacity:
      PrintError(stego::FormatCapacityMessage(payload.shownPath, need));
      return kExitFailed;
    case HideRefusal::kTooLarge:
      PrintError(kTooLargeToHideText);
      return kExitFailed;
    case HideRefusal::kInvalidName:
      PrintError(Quoted(payload.name) + ": the name of the file to hide must have 1 to 80 bytes");
      return kExitFailed;
  }

  int exitCode = kExitOk;
  int slot = 1;
  const std::optional<std::string> encryption = GetEncryptionPassword(inv, exitCode, &slot);
  if (!encryption) return exitCode;
  const std::string& password = *encryption;
  stego::EmbedResult result;
  {
    // Key and channel seed come from the password's bytes in the system's narrow code page.
    std::string narrow = crypto::NarrowPassword(password);
    const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(narrow);
    result = stego::EmbedPayload(*carrier, keys, narrow, payload.bytes, payload.name,
                                 base::CurrentTimestamp(), {}, stego::kEmbedProgressInterval,
                                 crypto::FailureSink::Silent());
    std::fill(narrow.begin(), narrow.end(), '\0');
  }
  switch (result.status) {
    case stego::EmbedStatus::kEmbedded:
      break;
    case stego::EmbedStatus::kNotEnoughCapacity:
      PrintError(stego::FormatCapacityMessage(payload.shownPath, need));
      return kExitFailed;
    case stego::EmbedStatus::kEncryptionError:
      PrintError("Error encrypting file.");
      return kExitFailed;
    default:
      PrintError(Quoted(payload.shownPath) + ": cannot be hidden");
      return kExitFailed;
  }
  if (!Save(*carrier, output, format, force)) return kExitFailed;
  // The report names the slot: standard output may well be a terminal or a log.
  std::cout << stego::FormatEmbedReport(SlotName(slot), result.stats) << "\n";
  return std::cout.flush() ? kExitOk : kExitFailed;
}

// Writes a new file, never over the carrier and over another file only when forced.
int WriteExtracted(const fs::path& target, const fs::path& carrier, const std::string& bytes,
                   bool force) {
  const std::string name = VisibleText(target.filename().u8string());
  const ExtractTarget existing = ClassifyExtractTarget(target, carrier);
  if (existing == ExtractTarget::kIsCarrier) {
    PrintError(CarrierNameClashText(target));
    return kExitFailed;
  }
  const std::string exists =
      Format("The file %s already exists in the folder. (--force replaces it)", name.c_str());
  if (!force && existing == ExtractTarget::kExists) {
    PrintError(exists);
    return kExitFailed;
  }
  switch (WriteExtractedFile(target, bytes, force)) {
    case base::CommitResult::kOk:
      std::cerr << Quoted(target) << ": File successfully extracted" << std::endl;
      return kExitOk;
    case base::CommitResult::kTargetExists:
      PrintError(exists);
      return kExitFailed;
    case base::CommitResult::kFailed:
      break;
  }
  PrintError("cannot write " + Quoted(target));
  return kExitFailed;
}

int RunExtract(const Invocation& inv) {
  const fs::path imagePath = fs::u8path(inv.operands[0]);
  std::optional<image::ArgbImage> carrier = LoadImage(imagePath);
  if (!carrier) return kExitFailed;
  int exitCode = kExitOk;
  const auto keyring = GetKeyring(inv, PasswordUse::kDecrypt, false, exitCode);
  if (!keyring) return exitCode;

  std::optional<stego::HiddenHeader> header;
  std::optional<std::string> content;
  header = stego::DetectHiddenPayload(*carrier, *keyring);
  if (header) content = stego::ReadHiddenContent(*carrier, *keyring, *header);
  if (!header) {
    PrintError(Quoted(imagePath) + ": nothing hidden found with these passwords");
    return kExitFailed;
  }
  if (!content) {
    PrintError(Quoted(imagePath) +
               ": the hidden content cannot be read back (the image was "
               "changed after hiding)");
    return kExitFailed;
  }
  if (header->kind == stego::KIND_HIDDEN_MESSAGE) {
    std::string text = stego::HiddenMessageText(header->timestamp, *content);
    // The message comes from the image: on its way to a terminal it may break lines but
    // never send escape sequences or reorder the text.
    if (!inv.Has(kRawOption.name)) {
      std::string visible = VisibleText(text, true);
      Wipe(text);
      text.swap(visible);
    }
    std::cout << text;
    if (text.back() != '\n') std::cout << "\n";
    Wipe(text);
    Wipe(*content);
    return std::cout.flush() ? kExitOk : kExitFailed;
  }
  fs::path folder = imagePath.parent_path();
  if (const std::string* to = inv.Value("--to")) folder = fs::u8path(*to);
  if (folder.empty()) folder = ".";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    PrintError(Quoted(folder) + ": folder not found");
    return kExitFailed;
  }
  const fs::path target = ExtractTargetPath(folder, header->name);
  const int code = WriteExtracted(target, imagePath, *content, inv.Has(ForceOption().name));
  Wipe(*content);
  return code;
}

const char* KindName(int kind) {
  switch (kind) {
    case stego::KIND_HIDDEN_IMAGE:
      return "hidden image";
    case stego::KIND_HIDDEN_MESSAGE:
      return "hidden message";
    case stego::KIND_HIDDEN_FILE:
      return "hidden file";
    default:
      return "plain";
  }
}

struct ScanEntry {
  std::string listedName;
  std::string diskName;
  image::ScannedImage scan;
};

int RunScan(const Invocation& inv) {
  const fs::path folder = fs::u8path(inv.operands[0]);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    PrintError(Quoted(folder) + ": folder not found");
    return kExitFailed;
  }
  const FolderListing listing = ListImageFolder(folder, ec);
  if (ec) {
    PrintError(Quoted(folder) + ": cannot list the folder: " + ec.message());
    return kExitFailed;
  }
  const int fileCount = listing.fileCount, cryCount = listing.cryCount;
  std::vector<ScanEntry> images;
  for (std::size_t i = 0; i < listing.imageNames.size(); ++i)
    images.push_back({listing.imageNames[i], listing.diskNames[i], {}});

  const bool json = inv.Has("--json");
  std::unique_ptr<crypto::SlotKeyring> keyring;
  if (!images.empty()) {
    int exitCode = kExitOk;
    keyring = GetKeyring(inv, PasswordUse::kDecrypt, false, exitCode);
    if (!keyring) return exitCode;
  }
  std::vector<fs::path> paths;
  for (const ScanEntry& entry : images) paths.push_back(folder / fs::u8path(entry.diskName));
  // Standard error keeps its plain lines off a terminal: only the terminal shows progress.
  std::optional<ProgressLine> progress;
  if (StderrIsTerminal()) progress.emplace(paths);
  image::ScanBuffers buffers;
  for (ScanEntry& entry : images) {
    if (progress)
      progress->Next(static_cast<std::size_t>(&entry - images.data()), images.size(),
                     entry.diskName);
    entry.scan =
        image::ScanImageFile(folder / fs::u8path(entry.diskName), *keyring, false, buffers);
    if (json) continue;
    if (progress) progress->Clear();
    std::cout << VisibleText(entry.listedName) << ": " << KindName(entry.scan.kind);
    if (!entry.scan.hiddenName.empty()) std::cout << ": " << VisibleText(entry.scan.hiddenName);
    std::cout << std::endl;
  }
  progress.reset();
  const std::string statistics = FolderStatisticsText(fileCount, listing.ImageCount(), cryCount);
  if (!json) {
    std::cout << statistics << "\n";
    return std::cout.flush() ? kExitOk : kExitFailed;
  }
  nlohmann::ordered_json listed = nlohmann::ordered_json::array();
  for (const ScanEntry& e : images) {
    listed.push_back(
        {{"name", e.listedName},
         {"file", e.diskName},
         {"kind", KindName(e.scan.kind)},
         {"hiddenName", e.scan.hiddenName.empty() ? nlohmann::ordered_json()
                                                  : nlohmann::ordered_json(e.scan.hiddenName)},
         {"width", e.scan.width},
         {"height", e.scan.height}});
  }
  std::cout << WriteJson({{"folder", folder.u8string()},
                          {"images", listed},
                          {"files", fileCount},
                          {"imageCount", images.size()},
                          {"encrypted", cryCount},
                          {"statistics", statistics}});
  return std::cout.flush() ? kExitOk : kExitFailed;
}

int RunCapacity(const Invocation& inv) {
  std::optional<image::ArgbImage> image = LoadImage(fs::u8path(inv.operands[0]));
  if (!image) return kExitFailed;
  const std::uint32_t capacity = stego::StorageCapacity(*image);
  std::cout << CapacityText(image->Width(), image->Height()) << "\n";
  const std::int64_t largest = stego::LargestHiddenFile(capacity);
  if (largest < 0)
    std::cout << "No file fits in this image.\n";
  else
    std::cout << "Largest file to hide: " << largest << " bytes\n";
  return std::cout.flush() ? kExitOk : kExitFailed;
}

// Whether the image carries something a JPEG or GIF copy would lose, found with the
// passwords given or stored; never asks on the terminal (a conversion needs no password).
// 0 when the conversion may go ahead, else the exit code (the reason is printed).
int CheckLossyCopy(const Invocation& inv, const fs::path& imagePath, const image::ArgbImage& image,
                   const std::string& format) {
  if (inv.Has(ForceOption().name)) return kExitOk;
  const char* formatName = format == "jpg" ? "JPEG" : "GIF";
  if (!inv.Value(PasswordFileOption().name) && !inv.Has(PasswordStdinOption().name)) {
    StoredPasswords stored = LoadStoredPasswords();
    const bool any = crypto::AnyPasswordDefined(stored.slots);
    WipeSlots(stored.slots);
    if (!any) {
      std::cerr << Quoted(imagePath) << ": not checked for hidden data (no passwords given or "
                << "stored); a " << formatName << " copy keeps none" << std::endl;
      return kExitOk;
    }
  }
  int exitCode = kExitOk;
  const auto keyring = GetKeyring(inv, PasswordUse::kDecrypt, false, exitCode);
  if (!keyring) return exitCode;
  const std::optional<stego::HiddenHeader> header = stego::DetectHiddenPayload(image, *keyring);
  if (!header) return kExitOk;
  PrintError(
      Format("%s carries hidden data (%s); a %s copy would not keep it (--force writes "
             "it anyway)",
             Quoted(imagePath).c_str(), KindName(header->kind), formatName));
  return kExitFailed;
}

int RunConvert(const Invocation& inv) {
  const std::string* to = inv.Value("--to");
  if (!to) return UsageError(inv.command, "--to FORMAT is needed");
  const std::string format = FormatName(*to, {"png", "bmp", "tiff", "jpg", "gif"});
  if (format.empty()) return UsageError(inv.command, "--to takes png, bmp, tiff, jpg or gif");
  const fs::path imagePath = fs::u8path(inv.operands[0]);
  std::optional<image::ArgbImage> image = LoadImage(imagePath);
  if (!image) return kExitFailed;
  const std::string* out = inv.Value(kOutOption.name);
  const fs::path output =
      out ? fs::u8path(*out)
          : image::SaveOutputPath(imagePath.parent_path(), ListedName(imagePath), false, format);
  const bool force = inv.Has(ForceOption().name);
  if (RefuseExisting(output, force)) return kExitFailed;
  if (format == "jpg" || format == "gif") {
    if (const int code = CheckLossyCopy(inv, imagePath, *image, format); code != kExitOk)
      return code;
  }
  return Save(*image, output, format, force) ? kExitOk : kExitFailed;
}

// Four decimals are plenty for an estimate and keep the JSON readable.
double Rounded(double value) { return std::round(value * 1e4) / 1e4; }

std::string Percent(double share) { return Format("%.1f %%", share * 100); }

nlohmann::ordered_json AnalysisJson(const std::string& file, const stego::ImageAnalysis& a) {
  static constexpr const char* kChannels[3] = {"red", "green", "blue"};
  nlohmann::ordered_json channels = nlohmann::ordered_json::object();
  for (std::size_t ch = 0; ch < 3; ++ch) {
    const stego::ChannelAnalysis& c = a.channels[ch];
    channels[kChannels[ch]] = {{"rs_rate", Rounded(c.rsRate)},
                               {"spa_rate", Rounded(c.spaRate)},
                               {"chi_square_prefix", Rounded(c.chiSquarePrefix)}};
  }
  return {{"file", file},
          {"estimated_rate", Rounded(a.estimatedRate)},
          {"suspicious", a.verdict == stego::Verdict::kLikelyCarriesData},
          {"verdict", stego::VerdictText(a.verdict)},
          {"leading_rate", Rounded(a.leadingRate)},
          {"leading_share", Rounded(a.leadingShare)},
          {"channels", channels}};
}

// "name: rate 12.3 %, likely carries hidden data, chi-square high over the first 40.0 %".
std::string AnalysisLine(const std::string& name, const stego::ImageAnalysis& a) {
  if (a.verdict == stego::Verdict::kTooSmall)
    return VisibleText(name) + ": " + stego::VerdictText(a.verdict);
  double prefix = 0;
  for (const stego::ChannelAnalysis& c : a.channels) prefix = std::max(prefix, c.chiSquarePrefix);
  return VisibleText(name) + ": estimated rate " + Percent(a.estimatedRate) + ", " +
         stego::VerdictText(a.verdict) + ", chi-square high over the first " + Percent(prefix);
}

int RunAnalyze(const Invocation& inv) {
  const fs::path target = fs::u8path(inv.operands[0]);
  const bool json = inv.Has("--json");
  std::vector<std::pair<std::string, fs::path>> images;  // shown name, path
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    const FolderListing listing = ListImageFolder(target, ec);
    if (ec) {
      PrintError(Quoted(target) + ": cannot list the folder: " + ec.message());
      return kExitFailed;
    }
    for (const std::string& disk : listing.diskNames)
      images.emplace_back((target / fs::u8path(disk)).u8string(), target / fs::u8path(disk));
  } else {
    images.emplace_back(target.u8string(), target);
  }
  int exitCode = kExitOk;
  nlohmann::ordered_json listed = nlohmann::ordered_json::array();
  for (const auto& [name, path] : images) {
    const std::optional<image::ArgbImage> image = LoadImage(path);
    if (!image) {
      exitCode = kExitFailed;
      continue;
    }
    const stego::ImageAnalysis analysis = stego::AnalyseImage(*image);
    if (json)
      listed.push_back(AnalysisJson(name, analysis));
    else
      std::cout << AnalysisLine(name, analysis) << std::endl;
  }
  if (json) std::cout << WriteJson({{"images", listed}});
  return std::cout.flush() ? exitCode : kExitFailed;
}

}  // namespace

void AddImageCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"hide",
       "IMAGE",
       "Hide a file or a message in an image",
       "Hides a file, or a text message, encrypted with the encryption password in the\n"
       "pixels of IMAGE, prints the statistics report and saves the result as a new\n"
       "image: by default beside IMAGE, named after it (lower-cased) with \"_steg\" and\n"
       "the format's extension. IMAGE itself is not changed. A message is hidden as the\n"
       "desktop program hides it: as a file named after the image with \".txt\", which\n"
       "makes readers show it as a message. An existing output is replaced only with\n"
       "--force.\n\n" +
           std::string(kPasswordNote),
       {{"--file", "FILE", "hide FILE under its own name"},
        {"--message", "TEXT", "hide the message TEXT"},
        {"--message-file", "FILE", "hide the text of FILE as a message"},
        {"--format", "FORMAT", "png (the default), bmp or tiff"},
        kOutOption,
        ForceOption(),
        PasswordFileOption(),
        PasswordStdinOption()},
       1,
       1,
       RunHide});
  commands.push_back(
      {"extract",
       "IMAGE",
       "Get back what an image hides",
       "Looks for hidden content in IMAGE with every password. A hidden message is\n"
       "written to standard output: the time it was hidden, an empty line and the\n"
       "message, its control and bidirectional characters shown as \\xNN and <U+NNNN>\n"
       "(--raw: as they are). A hidden file or image is written into the image's\n"
       "folder (or DIR) under its hidden name, made safe; an existing file is replaced\n"
       "only with --force, and the image itself never. Exit status 1 when nothing is\n"
       "found.\n\n" +
           std::string(kPasswordNote),
       {{"--to", "DIR", "write a hidden file into DIR"},
        kRawOption,
        ForceOption(),
        PasswordFileOption(),
        PasswordStdinOption()},
       1,
       1,
       RunExtract});
  commands.push_back(
      {"scan",
       "DIR",
       "List the images of a folder and what they hide",
       "Lists every image directly in DIR as the desktop program does (lower-cased,\n"
       "sorted by name), each with its kind: plain, hidden image, hidden message or\n"
       "hidden file, and the hidden name; then the folder's file counts. Every password\n"
       "is tried on every image.\n\n" +
           std::string(kPasswordNote),
       {{"--json", "", "print one JSON object instead"},
        PasswordFileOption(),
        PasswordStdinOption()},
       1,
       1,
       RunScan});
  commands.push_back({"capacity",
                      "IMAGE",
                      "Show how much an image can hide",
                      "Prints the size of IMAGE, its storage capacity and the size of the\n"
                      "largest file that can be hidden in it.\n",
                      {},
                      1,
                      1,
                      RunCapacity});
  commands.push_back(
      {"convert",
       "IMAGE",
       "Save an image in another format",
       "Saves IMAGE in FORMAT: by default beside it, named after it (lower-cased) with\n"
       "\"_conv\" and the format's extension. JPEG is written at the highest quality; GIF\n"
       "has 256 colours. An existing output is replaced only with --force.\n\n"
       "Neither JPEG nor GIF keeps hidden data: an image found to carry some with the\n"
       "passwords (given, or stored by the desktop program; the terminal never asks)\n"
       "is converted to them only with --force. Without any password the image cannot\n"
       "be checked; the conversion goes ahead with a note.\n",
       {{"--to", "FORMAT", "png, bmp, tiff, jpg or gif"},
        kOutOption,
        {ForceOption().name, "", "replace an existing output; convert a carrier anyway"},
        PasswordFileOption(),
        PasswordStdinOption()},
       1,
       1,
       RunConvert});
  commands.push_back(
      {"analyze",
       "IMAGE|DIR",
       "Tell how detectable hidden data in an image is",
       "Runs the blind attacks someone without the password could run on IMAGE, or on\n"
       "every image directly in DIR: RS and sample pairs analysis estimate the share of\n"
       "pixels whose low bit carries data (the largest colour channel is printed), and\n"
       "the sequential chi-square attack tells over how much of the picture, from its\n"
       "first pixel, the low bits look overwritten. The verdict is \"looks clean\" or\n"
       "\"likely carries hidden data\" (\"too small to analyse\" below 1024 visible\n"
       "pixels). Needs no password.\n",
       {{"--json", "", "print one JSON object instead"}},
       1,
       1,
       RunAnalyze});
}

}  // namespace veilmark::cli
