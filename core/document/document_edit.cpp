// Saving the working image and running the image operations on a worker thread.
#include "core/base/text_util.h"
#include "core/document/command_ids.h"
#include "core/document/document.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "core/stego/kinds.h"

namespace veilmark {

namespace {
// Mid-grey: the cut between dark and light, where the level is first offered.
constexpr int kThresholdStartLevel = 128;
}  // namespace

bool CLumicraftDoc::SaveImageAs(const std::string& extension) {
  if (m_pImage && HasValidSelection()) {
    const auto path =
        image::SaveOutputPath(std::filesystem::u8path(m_folder.m_strFolder),
                              m_folder.m_arrImageNames[static_cast<std::size_t>(m_nCurrent)],
                              m_bPayloadJustEmbedded, extension);
    // Declining either question writes nothing and reports nothing.
    if (!ConfirmLossyCopy(extension)) return false;
    const bool exists = PathExists(path.u8string());
    if (exists && !AskReplaceExisting(path.u8string())) return false;
    bool saved = false;
    {
      BusyScope busy(*this);
      // Only the file the user agreed to replace: one that appeared meanwhile stays.
      saved = image::SaveImage(*m_pImage, path, image::MimeTypeForExtension(extension), exists);
    }
    if (saved) {
      m_bModified = false;
      m_ui.SetStatusText(Format("Image file saved: %s", path.filename().u8string().c_str()));
      return true;
    }
  }
  m_ui.ShowMessage("Error saving image file.", {}, MessageIcon::Question);
  return false;
}

bool CLumicraftDoc::ConfirmLossyCopy(const std::string& extension) {
  if (extension != "jpg" && extension != "gif") return true;
  // The working image is the hidden image itself while one is shown instead of its carrier.
  const bool showsHiddenImage =
      CurrentKind() == stego::KIND_HIDDEN_IMAGE && !m_strTempImagePath.empty();
  bool carries = m_bPayloadJustEmbedded || (CurrentKind() > stego::KIND_PLAIN && !showsHiddenImage);
  if (!carries) {
    // The list may not be classified yet: the working image itself has the last word.
    std::string name, message;
    BusyScope busy(*this);
    carries = ReadHiddenPayload(*m_pImage, true, DEST_MESSAGE, name, message) > stego::KIND_PLAIN;
  }
  if (!carries) return true;
  return m_ui.AskYesNo(Format("This image carries hidden data. Saving it as %s will destroy it.\n\n"
                              "Save anyway?",
                              extension == "jpg" ? "JPEG" : "GIF"),
                       "Hidden data", MessageIcon::Exclamation);
}

// The Save commands: the new file is listed at once, as the user expects to see it.
void CLumicraftDoc::SaveAndRefresh(const std::string& extension) {
  if (!m_pImage || !HasValidSelection()) {
    SaveImageAs(extension);
    return;
  }
  const auto path =
      image::SaveOutputPath(std::filesystem::u8path(m_folder.m_strFolder),
                            m_folder.m_arrImageNames[static_cast<std::size_t>(m_nCurrent)],
                            m_bPayloadJustEmbedded, extension);
  if (SaveImageAs(extension) && IsInCurrentFolder(path.u8string()))
    RefreshCurrentFolder(Format("Image file saved: %s", path.filename().u8string().c_str()));
}

void CLumicraftDoc::OnImageOperationCommand(int commandId) {
  if (commandId == image::ID_EDIT_GAMMA) {
    if (!m_pImage) return;
    std::optional<float> gamma;
    {
      ScopedToolWindowsHidden hidden(m_ui);
      gamma = m_ui.AskGamma(0.5f);
    }
    if (gamma) StartImageOperation(commandId, static_cast<std::int32_t>(*gamma * 1000.0f));
  } else if (commandId == image::ID_EDIT_THRESHOLD) {
    if (!m_pImage) return;
    std::optional<int> level;
    {
      ScopedToolWindowsHidden hidden(m_ui);
      level = m_ui.AskThreshold(kThresholdStartLevel);
    }
    if (level) StartImageOperation(commandId, *level);
  } else {
    StartImageOperation(commandId, 0);
  }
}

void CLumicraftDoc::StartImageOperation(int commandId, std::int64_t param) {
  const std::optional<image::ImageOp> op = image::ImageOpForCommand(commandId);
  if (!op || !m_pImage || IsBusy()) return;
  m_nOperation = commandId;
  m_nOperationParam = param;
  // The snapshot is taken here, on the UI thread, so the worker touches nothing but the
  // image it works on.
  PushUndo();
  m_bPayloadJustEmbedded = false;
  // The worker owns the image until it hands it back on the UI thread, so nothing done
  // meanwhile (a selection, a folder, closing) can free it under the worker.
  auto working = std::make_shared<std::unique_ptr<image::ArgbImage>>(std::move(m_pImage));
  std::weak_ptr<bool> alive = m_alive;
  m_hWorker = std::thread([this, working, op = *op, param, alive] {
    image::ApplyImageOperation(**working, op, param);
    m_ui.RunOnUiThread([this, working, alive] {
      if (!alive.expired()) FinishImageOperation(std::move(*working));
    });
  });
}

void CLumicraftDoc::FinishImageOperation(std::unique_ptr<image::ArgbImage> result) {
  if (m_hWorker.joinable()) m_hWorker.join();
  m_pImage = std::move(result);
  m_bModified = true;
  m_ui.RefreshPreview();
}

}  // namespace veilmark
