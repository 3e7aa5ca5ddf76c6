// Hiding a file or a typed message in the working image.
#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/base/timestamp.h"
#include "core/crypto/passwords.h"
#include "core/document/dialog_logic.h"
#include "core/document/document.h"
#include "core/document/flows.h"
#include "core/image/argb_image.h"
#include "core/stego/analysis.h"
#include "core/stego/embed.h"
#include "core/stego/payload.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

namespace {
// Appended to the hide report: the figures above it cannot tell how detectable the result is.
constexpr char kAnalysisHint[] = "Check how detectable this image is: Hide ▸ Analyse image";
constexpr char kFileNotFoundText[] = "File not found.\r\nThe selected file to hide doesn't exist.";
}  // namespace

double CLumicraftDoc::MeasureImageEntropy() {
  if (!m_pImage) return 0.0;
  const stego::ColourHistogram histogram = stego::ComputeColourHistogram(*m_pImage);
  if (m_bHistogramIsReference) {
    m_aRefHistogram = histogram;
    m_bHistogramIsReference = false;
  } else {
    m_nHistogramDelta = stego::HistogramDelta(m_aRefHistogram, histogram);
    m_bHistogramIsReference = true;
  }
  return stego::HistogramEntropy(histogram, stego::EntropyPixelCount(*m_pImage));
}

bool CLumicraftDoc::EmbedFile(const std::string& filePath, const std::string& password) {
  if (filePath.empty() || password.empty()) return false;
  if (!m_pImage) {
    m_ui.ShowMessage("Not selected container image.", "Not selected image", MessageIcon::Error);
    return false;
  }
  if (!PathExists(filePath)) {
    m_ui.ShowMessage(kFileNotFoundText, "File not found", MessageIcon::Error);
    return false;
  }
  // Sized on the file that is then read, so that a file swapped for a larger one after the
  // check is never loaded either.
  base::InputFile in;
  const bool opened = in.Open(fs::u8path(filePath));
  const long long size = opened ? static_cast<long long>(in.Size()) : FileSizeOf(filePath);
  const std::string name = FileNameFromPath(filePath);
  const HideCheck check = CheckHide(stego::StorageCapacity(*m_pImage),
                                    static_cast<std::uint64_t>(size < 0 ? 0 : size), name);
  const std::int64_t need = check.need;
  switch (check.refusal) {
    case HideRefusal::kNone:
      break;
    case HideRefusal::kNotEnoughCapacity:
      m_ui.ShowMessage(stego::FormatCapacityMessage(filePath, need), {}, MessageIcon::Question);
      return false;
    case HideRefusal::kTooLarge:
      m_ui.ShowMessage(kTooLargeToHideText, "File too large", MessageIcon::Error);
      return false;
    case HideRefusal::kInvalidName:
      m_ui.ShowMessage(kFileNotFoundText, "File not found", MessageIcon::Error);
      return false;
  }
  std::string bytes;
  if (!opened || !in.ReadAll(bytes)) {
    m_ui.ShowMessage("The selected file to hide cannot be read.", "File not readable",
                     MessageIcon::Error);
    return false;
  }

  // Key and channel seed come from the password's bytes in the system's narrow code page.
  std::string narrow = crypto::NarrowPassword(password);
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(narrow);
  // The state before the hide becomes an undo step only once the hide has changed pixels.
  auto snapshot = std::make_unique<image::ArgbImage>(m_pImage->Clone());
  stego::EmbedResult result;
  {
    BusyScope busy(*this);
    const auto total = static_cast<int>(8 * stego::DataBlockLength(bytes.size()) / 1024);
    m_ui.BeginProgress("Hiding", "Hiding " + name + " ...", total);
    result = stego::EmbedPayload(*m_pImage, keys, narrow, bytes, name, base::CurrentTimestamp(),
                                 [this](std::uint32_t done, std::uint32_t) {
                                   m_ui.UpdateProgress(static_cast<int>(done / 1024), {});
                                 });
    m_ui.EndProgress();
  }
  std::fill(narrow.begin(), narrow.end(), '\0');

  switch (result.status) {
    case stego::EmbedStatus::kEmbedded:
      break;
    case stego::EmbedStatus::kNotEnoughCapacity:
      m_ui.ShowMessage(stego::FormatCapacityMessage(filePath, need), {}, MessageIcon::Question);
      return false;
    case stego::EmbedStatus::kPayloadTooLarge:
      m_ui.ShowMessage(kTooLargeToHideText, "File too large", MessageIcon::Error);
      return false;
    case stego::EmbedStatus::kEncryptionError:
      m_ui.ShowMessage("Error encrypting file.", "Encryption error", MessageIcon::Error);
      return false;
    case stego::EmbedStatus::kInvalidName:
    case stego::EmbedStatus::kInvalidTimestamp:
      m_ui.ShowMessage(kFileNotFoundText, "File not found", MessageIcon::Error);
      return false;
  }

  m_undo.Commit(std::move(snapshot));
  m_bModified = true;
  m_aRefHistogram = result.stats.before;
  m_nHistogramDelta = result.stats.histogramDelta;
  m_bHistogramIsReference = true;
  m_ui.RefreshPreview();
  m_bPayloadJustEmbedded = true;
  m_ui.ShowMessage(stego::FormatEmbedReport(password, result.stats) + "\n\n" + kAnalysisHint, {},
                   MessageIcon::Question);
  return true;
}

void CLumicraftDoc::OnHideFile() {
  if (m_hide.m_strFileToHide.empty()) return;
  if (!PathExists(m_hide.m_strFileToHide)) {
    m_ui.ShowMessage("The selected file to hide does not exist.", "File not found",
                     MessageIcon::Error);
    return;
  }
  const std::string* password = EncryptionPasswordOrWarn();
  if (!password) return;
  EmbedFile(m_hide.m_strFileToHide, *password);
}

void CLumicraftDoc::OnHideMessage() {
  if (!m_pImage) {
    m_ui.ShowMessage("Not selected container image.", "No base image", MessageIcon::Error);
    return;
  }
  if (!HasValidSelection()) return;
  if (m_hide.m_strMessageToHide.empty()) {
    m_ui.ShowMessage(
        "The text message to hide is not defined.\nUse option 'Hide/Enter message to hide'", {},
        MessageIcon::None);
    return;
  }
  const std::string* password = EncryptionPasswordOrWarn();
  if (!password) return;
  // In a private folder: never over a file of the user's that happens to have this name.
  const std::string path =
      JoinPath(PrivateTempFolder(),
               MessageFileName(m_folder.m_arrImageNames[static_cast<std::size_t>(m_nCurrent)]));
  {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    const std::string bytes = MessageFileBytes(m_hide.m_strMessageToHide);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  EmbedFile(path, *password);
  std::error_code ec;
  fs::remove(fs::u8path(path), ec);
}

void CLumicraftDoc::OnAnalyseImage() {
  if (!m_pImage) return;
  stego::ImageAnalysis analysis;
  {
    // Well under a second even for large pictures: a busy cursor is enough.
    BusyScope busy(*this);
    analysis = stego::AnalyseImage(*m_pImage);
  }
  std::string name;
  if (!m_strTempImagePath.empty())
    name = fs::u8path(m_strTempImagePath).filename().u8string();
  else if (m_nCurrent >= 0 &&
           static_cast<std::size_t>(m_nCurrent) < m_folder.m_arrImageNames.size())
    name = m_folder.m_arrImageNames[static_cast<std::size_t>(m_nCurrent)];
  ScopedToolWindowsHidden hidden(m_ui);
  m_ui.ShowAnalysis(analysis, name);
}

}  // namespace veilmark
