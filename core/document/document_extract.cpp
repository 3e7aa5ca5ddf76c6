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

namespace {
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

bool WriteNewFile(const fs::path& target, const std::string& bytes, bool replaceExisting) {
  base::AtomicFileWriter writer(target);
  return writer.Create() && writer.Write(bytes.data(), bytes.size()) &&
         writer.Commit(replaceExisting, 0644) == base::CommitResult::kOk;
}
}  // namespace

// Asks before a file the user already has is replaced; never replaces the carrier image.
bool CLumicraftDoc::ConfirmReplace(const std::string& target) {
  if (!PathExists(target)) return true;
  if (HasValidSelection() && SameFile(fs::u8path(target), fs::u8path(ImagePath(m_nCurrent)))) {
    m_ui.ShowMessage(Format("The hidden file has the name of the image that carries it:\n%s\n\n"
                            "It was not extracted.",
                            VisibleText(FileNameFromPath(target)).c_str()),
                     "File not extracted", MessageIcon::Exclamation);
    return false;
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
  const crypto::SlotKeyring keyring(m_arrPasswords);
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
    const std::string target = JoinPath(m_strFolder, outName);
    if (!ConfirmReplace(target)) return KIND_PLAIN;
    return WriteNewFile(fs::u8path(target), *content, true) ? header->kind : KIND_PLAIN;
  }
  // Shown instead of its carrier: a private folder of this process holds it.
  const std::string target = JoinPath(PrivateTempFolder(), outName);
  return WriteNewFile(fs::u8path(target), *content, true) ? header->kind : KIND_PLAIN;
}

void CLumicraftDoc::OnExtractHiddenFile() {
  bool extracted = false;
  if (CurrentKind() == KIND_HIDDEN_IMAGE && !m_strTempImagePath.empty()) {
    const std::string target = JoinPath(m_strFolder, FileNameFromPath(m_strTempImagePath));
    if (ConfirmReplace(target)) {
      base::InputFile in;
      std::string bytes;
      if (in.Open(fs::u8path(m_strTempImagePath))) {
        bytes.resize(static_cast<std::size_t>(in.Size()));
        extracted =
            in.ReadFull(bytes.data(), bytes.size()) == static_cast<std::ptrdiff_t>(bytes.size()) &&
            WriteNewFile(fs::u8path(target), bytes, true);
      }
    }
  } else if (m_pImage) {
    std::string name, message;
    BusyScope busy(*this);
    extracted = ReadHiddenPayload(*m_pImage, false, DEST_FOLDER, name, message) != KIND_PLAIN;
  }
  if (extracted) RefreshCurrentFolder("File successfully extracted");
}

}  // namespace veilmark
