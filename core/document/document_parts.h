// The parts the document is made of. Each holds one concern of its state; only the document
// holds them, and callers reach them through the document's methods.
#pragma once

#include "core/crypto/passwords.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace veilmark {

namespace image {
class ArgbImage;
}
class SettingsStore;

// Earlier states of the working image for Undo, and the undone ones for Redo.
class UndoHistory {
 public:
  static constexpr int kUndoSteps = 10;

  UndoHistory();
  ~UndoHistory();
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  // Makes `snapshot` (the state before a change) the newest step; the undone steps go, and
  // the oldest one when all are taken.
  void Commit(std::unique_ptr<image::ArgbImage> snapshot);
  void Clear();
  // Steps that Undo can go back.
  int Position() const { return m_nUndoPos; }
  bool CanUndo() const { return m_nUndoPos > 0; }
  bool CanRedo() const;
  // Swap `current` with the step before it, or with the one Undo left; false when there is none.
  bool Undo(std::unique_ptr<image::ArgbImage>& current);
  bool Redo(std::unique_ptr<image::ArgbImage>& current);

 private:
  std::array<std::unique_ptr<image::ArgbImage>, kUndoSteps> m_apUndo;
  int m_nUndoPos = 0;
};

// The current folder as listed: its images with their kinds, and its file counts.
struct FolderImages {
  std::string m_strFolder;
  std::vector<std::string> m_arrImageNames;  // lower-cased, as listed
  std::vector<std::string> m_arrDiskNames;   // the same files by the names found on disk
  std::vector<int> m_arrKinds;               // all plain until detected
  int m_nFileCount = 0;
  int m_nCryCount = 0;
  int m_nImageCount = 0;

  // Lists m_strFolder again.
  void Relist();
  bool IsListed(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_arrImageNames.size();
  }
};

// What Hide puts into the image: the selected file, or the typed message.
struct HideTargets {
  std::string m_strFileToHide;
  std::string m_strMessageToHide;
  int m_bSaveMessage = 1;
};

// The password slots and the message dialog's texts, with whether each is kept on disk.
struct CryptoSettings {
  crypto::PasswordSlots m_arrPasswords;
  int m_nPasswordIndex = 0;
  int m_bSavePasswords = 1;
  std::string m_strCryMessageIn;
  std::string m_strCryMessageOut;
  int m_bSaveCryMessages = 1;
};

// Which settings value holds which field; a value whose save flag is off is written empty.
namespace settings_mapping {
void Load(SettingsStore& store, CryptoSettings& values, HideTargets& hide);
void Save(SettingsStore& store, const CryptoSettings& values, const HideTargets& hide);
}  // namespace settings_mapping

}  // namespace veilmark
