// Detection on selection and extraction of hidden files.
#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/document/document.h"
#include "core/image/argb_image.h"
#include "core/stego/detect.h"
#include "core/stego/hidden_name.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

using stego::KIND_HIDDEN_IMAGE;
using stego::KIND_PLAIN;

// Asks before a file the user already has is replaced; never replaces the carrier image.
bool CLumicraftDoc::ConfirmReplace(const std::string& target) {
  const fs::path carrier = HasValidSelection() ? fs::u8path(ImagePath(m_nCurrent)) : fs::path();
  switch (ClassifyExtractTarget(fs::u8path(target), carrier)) {
    case ExtractTarget::kFree:
      return true;
    case ExtractTarget::kIsCarrier:
      m_ui.ShowMessage(CarrierNameClashText(fs::u8path(target)), "File not extracted",
                       MessageIcon::Exclamation);
      return false;
    case ExtractTarget::kExists:
      break;
  }
  return AskReplaceExisting(target);
}

bool CLumicraftDoc::AskReplaceExisting(const std::string& target) {
  return m_ui.AskYesNo(Format("The file %s already exists in the folder.\n\n"
                              "Do you want to replace it?",
                              VisibleText(FileNameFromPath(target)).c_str()),
                       "File exists", MessageIcon::Question);
}

int CLumicraftDoc::ReadHiddenPayload(const stego::PixelGrid& image, bool detectOnly, int mode,
                                     std::string& outName, std::string& outMessage) {
  const crypto::SlotKeyring keyring(m_crypto.m_arrPasswords);
  const auto header = stego::DetectHiddenPayload(image, keyring);
  if (!header) return KIND_PLAIN;
  // The name is the image's to choose: only a sanitised one reaches paths and texts.
  outName = stego::SanitizeHiddenName(header->name);
  if (detectOnly) return header->kind;

  const auto content = stego::ReadHiddenContent(image, keyring, *header);
  if (!content) return KIND_PLAIN;
  if (mode == DEST_MESSAGE) {
    outMessage = stego::HiddenMessageText(header->timestamp, *content);
    return header->kind;
  }
  if (mode == DEST_FOLDER) {
    const fs::path target = ExtractTargetPath(fs::u8path(m_folder.m_strFolder), header->name);
    if (!ConfirmReplace(target.u8string())) return KIND_PLAIN;
    return WriteExtractedFile(target, *content, true) == base::CommitResult::kOk ? header->kind
                                                                                 : KIND_PLAIN;
  }
  // Shown instead of its carrier: a private folder of this process holds it.
  const fs::path target = ExtractTargetPath(fs::u8path(PrivateTempFolder()), header->name);
  return WriteExtractedFile(target, *content, true) == base::CommitResult::kOk ? header->kind
                                                                               : KIND_PLAIN;
}

void CLumicraftDoc::OnExtractHiddenFile() {
  bool extracted = false;
  if (CurrentKind() == KIND_HIDDEN_IMAGE && !m_strTempImagePath.empty()) {
    const std::string target = JoinPath(m_folder.m_strFolder, FileNameFromPath(m_strTempImagePath));
    if (ConfirmReplace(target)) {
      base::InputFile in;
      std::string bytes;
      extracted = in.Open(fs::u8path(m_strTempImagePath)) && in.ReadAll(bytes) &&
                  WriteExtractedFile(fs::u8path(target), bytes, true) == base::CommitResult::kOk;
    }
  } else if (m_pImage) {
    std::string name, message;
    BusyScope busy(*this);
    extracted = ReadHiddenPayload(*m_pImage, false, DEST_FOLDER, name, message) != KIND_PLAIN;
  }
  if (extracted) RefreshCurrentFolder("File successfully extracted");
}

}  // namespace veilmark
