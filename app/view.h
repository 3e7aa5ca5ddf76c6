// CLumicraftView: the thumbnails of the current folder, in the main window's client area,
// with two labels over its top left corner. It also creates and owns the two tool windows.
#pragma once

#include "app/thumbnail_builder.h"
#include "app/thumbnail_grid.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace veilmark {
class SettingsStore;
}

namespace veilmark::app {

class AppDocument;
class CFoldersDlg;
class CPreviewDlg;
class OverlayLabel;

inline constexpr int kThumbWidth = 150;
inline constexpr int kThumbHeight = 135;
inline const wxColour kListWhite(255, 255, 255);
inline const wxColour kListYellow(255, 240, 189);

class CLumicraftView : public ThumbnailGrid {
 public:
  CLumicraftView(wxWindow* parent, AppDocument& doc);
  ~CLumicraftView() override;

  // Creates the preview window, then the folders window, restores their stored positions
  // and opens the stored folder. Runs once; later calls do nothing.
  void InitialUpdate(SettingsStore& settings, const std::vector<std::string>& folderRoots);

  void StartThumbnailBuilder();
  void StopThumbnailBuilder();
  bool IsBuilding() const { return builder_.IsBuilding(); }
  void ShowFolderInfo(const wxString& text, bool show);

  int FlaggedCount() const { return m_nFlagged; }
  int ThumbnailsDone() const { return done_; }
  OverlayLabel* LoadingLabel() const { return m_wndLoading; }
  OverlayLabel* FolderInfoLabel() const { return m_wndFolderInfo; }

  CFoldersDlg* m_pFoldersDlg = nullptr;
  CPreviewDlg* m_pPreviewDlg = nullptr;

 protected:
  void OnScrolled() override;

 private:
  void OnThumbnail(int index, ThumbnailResult result);
  void OnBuildFinished();
  void UpdateLoadingText();
  void SetFlagged(int flagged);

  AppDocument& doc_;
  OverlayLabel* m_wndLoading = nullptr;
  OverlayLabel* m_wndFolderInfo = nullptr;
  ThumbnailBuilder builder_;
  int m_nFlagged = 0;
  int done_ = 0;
  int total_ = 0;
  bool initialised_ = false;
};

}  // namespace veilmark::app
