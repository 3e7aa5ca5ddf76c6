// CMainFrame: the main window with the menus, the toolbar, the status line and the
// thumbnail view. Commands go to the document; the frame keeps only the View toggles and
// printing for itself.
#pragma once

#include "core/document/document_ui.h"

#include <wx/cmndata.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veilmark {
class SettingsStore;
}

namespace veilmark::app {

class AppDocument;
class CLumicraftView;

class CMainFrame : public wxFrame {
 public:
  CMainFrame(AppDocument& doc, SettingsStore& settings);
  ~CMainFrame() override;

  // The view's initial update: tool windows, their positions, the stored folder.
  void InitialUpdate(const std::vector<std::string>& folderRoots);
  // Shows the window the first time, maximised when it was maximised at the last close.
  void ShowFirstTime();

  CLumicraftView* View() const { return view_; }
  const AppDocument& Document() const { return doc_; }
  bool IsFoldersVisible() const;
  bool IsPreviewVisible() const;
  void SetFoldersVisible(bool show);
  void SetPreviewVisible(bool show);
  // The tool windows float above every other window: a dialog or frame of ours hides the
  // visible ones while it is open and shows them again when it closes.
  ToolWindowState HideToolWindows();
  void RestoreToolWindows(ToolWindowState state);
  // Pane 0 of the status bar.
  void SetStatus(const wxString& text);
  // Text and check mark of a menu item; the text is shown literally.
  void SetMenuItem(int commandId, const wxString& text, bool checked);

  void PrintImage();
  void PrintPreview();
  void PrintSetup();

 protected:
  void DoGiveHelp(const wxString& text, bool show) override;

 private:
  void OnCommand(wxCommandEvent& event);
  void OnUpdateUI(wxUpdateUIEvent& event);
  void OnMenuOpen(wxMenuEvent& event);
  void OnClose(wxCloseEvent& event);
  void TrackNormalRect();
  void SaveWindowPlacement();

  AppDocument& doc_;
  SettingsStore& settings_;
  CLumicraftView* view_ = nullptr;
  wxRect normalRect_;
  bool maximizeOnShow_ = false;
  wxPrintDialogData printData_;
  wxTimer placeTimer_;
  std::vector<std::pair<wxTopLevelWindow*, wxRect>> placements_;
};

}  // namespace veilmark::app
