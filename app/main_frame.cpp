#include "app/main_frame.h"

#include "app/app_document.h"
#include "app/folders_window.h"
#include "app/menus.h"
#include "app/preview_window.h"
#include "app/printing.h"
#include "app/view.h"
#include "app/window_placement.h"
#include "core/base/wx_text.h"
#include "core/document/command_ids.h"
#include "core/document/settings.h"
#include "res/art.h"

#include <wx/accel.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/printdlg.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

namespace veilmark::app {

namespace {

// Commands of the folders window's context menu, which reach the frame too.
bool IsContextCommand(int id) {
  return id == image::ID_ENCRYPT_FOLDER || id == image::ID_DECRYPT_FOLDER ||
         id == image::ID_FOLDER_OPEN_IN_BROWSER;
}
}  // namespace

CMainFrame::CMainFrame(AppDocument& doc, SettingsStore& settings)
    : wxFrame(nullptr, wxID_ANY, "Veilmark", wxPoint(320, 10), wxSize(460, 740)),
      doc_(doc),
      settings_(settings) {
  SetIcons(res::ProgramIcons());
  SetMenuBar(BuildMenuBar());
  FillToolBar(CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_DOCKABLE));
  CreateStatusBar(1);
  GetStatusBar()->SetMinHeight(20);
  SetStatusText(kIdleStatusText);

  wxAcceleratorEntry keys[] = {{wxACCEL_CTRL, 'Z', ToWxId(image::ID_EDIT_UNDO)},
                               {wxACCEL_ALT, WXK_BACK, ToWxId(image::ID_EDIT_UNDO)},
                               {wxACCEL_CTRL, 'P', ToWxId(image::ID_FILE_PRINT)},
                               {wxACCEL_CTRL, 'Y', ToWxId(image::ID_EDIT_REDO)},
                               {wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', ToWxId(image::ID_EDIT_REDO)},
                               {wxACCEL_NORMAL, WXK_F5, ToWxId(image::ID_FOLDER_REFRESH)}};
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));

  view_ = new CLumicraftView(this, doc_);

  wxRect stored;
  if (ReadRect(settings_, "MainWindowPos", stored)) {
    SetSize(stored);
    maximizeOnShow_ = settings_.GetInt("MainWindowMax", 0) != 0;
  }
  normalRect_ = GetRect();

  Bind(wxEVT_MENU, &CMainFrame::OnCommand, this);
  Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateUI, this);
  Bind(wxEVT_MENU_OPEN, &CMainFrame::OnMenuOpen, this);
  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    TrackNormalRect();
  });
  Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
    event.Skip();
    TrackNormalRect();
  });
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::InitialUpdate(const std::vector<std::string>& folderRoots) {
  view_->InitialUpdate(settings_, folderRoots);
}

void CMainFrame::ShowFirstTime() {
  // Some window managers place new windows themselves and only follow a move of a window
  // that is already on screen: the three windows are placed again a moment after showing.
  placements_ = {{this, normalRect_}};
  if (view_->m_pFoldersDlg)
    placements_.push_back({view_->m_pFoldersDlg, view_->m_pFoldersDlg->GetRect()});
  if (view_->m_pPreviewDlg)
    placements_.push_back({view_->m_pPreviewDlg, view_->m_pPreviewDlg->GetRect()});
  Show();
  if (maximizeOnShow_) Maximize();
  placeTimer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    for (const auto& [window, rect] : placements_)
      if (!window->IsMaximized() && window->GetRect() != rect) window->SetSize(rect);
    placements_.clear();
  });
  placeTimer_.StartOnce(300);
}

bool CMainFrame::IsFoldersVisible() const {
  return view_->m_pFoldersDlg && view_->m_pFoldersDlg->IsShown();
}
bool CMainFrame::IsPreviewVisible() const {
  return view_->m_pPreviewDlg && view_->m_pPreviewDlg->IsShown();
}
void CMainFrame::SetFoldersVisible(bool show) {
  if (view_->m_pFoldersDlg) view_->m_pFoldersDlg->Show(show);
}
void CMainFrame::SetPreviewVisible(bool show) {
  if (view_->m_pPreviewDlg) view_->m_pPreviewDlg->Show(show);
}

ToolWindowState CMainFrame::HideToolWindows() {
  ToolWindowState state;
  state.folders = IsFoldersVisible();
  state.preview = IsPreviewVisible();
  if (state.preview) SetPreviewVisible(false);
  if (state.folders) SetFoldersVisible(false);
  return state;
}

void CMainFrame::RestoreToolWindows(ToolWindowState state) {
  if (state.preview) SetPreviewVisible(true);
  if (state.folders) SetFoldersVisible(true);
}

void CMainFrame::SetStatus(const wxString& text) {
  if (GetStatusBar()) SetStatusText(text);
}

void CMainFrame::SetMenuItem(int commandId, const wxString& text, bool checked) {
  wxMenuBar* bar = GetMenuBar();
  if (!bar) return;
  wxMenuItem* item = bar->FindItem(ToWxId(commandId));
  if (!item) return;
  wxString label = text;
  label.Replace("&", "&&");
  label.Replace("\t", " ");
  item->SetItemLabel(label);
  if (item->IsCheckable()) item->Check(checked);
}

void CMainFrame::DoGiveHelp(const wxString& text, bool show) {
  // A command's prompt while the pointer rests on it, the idle text otherwise.
  if (!GetStatusBar()) return;
  SetStatusText(show && !text.empty() ? text : wxString(kIdleStatusText));
}

void CMainFrame::OnCommand(wxCommandEvent& event) {
  const int id = ToCommandId(event.GetId());
  if (!FindCommand(id) && !IsContextCommand(id)) {
    event.Skip();
    return;
  }
  switch (id) {
    case image::ID_VIEW_TOOLBAR:
      GetToolBar()->Show(!GetToolBar()->IsShown());
      SendSizeEvent();
      break;
    case image::ID_VIEW_STATUS_BAR:
      GetStatusBar()->Show(!GetStatusBar()->IsShown());
      SendSizeEvent();
      break;
    case image::ID_VIEW_FOLDERS:
      SetFoldersVisible(!IsFoldersVisible());
      break;
    case image::ID_VIEW_PREVIEW:
      SetPreviewVisible(!IsPreviewVisible());
      break;
    case image::ID_FILE_PRINT:
      if (doc_.HasImage() && !doc_.IsBusy()) PrintImage();
      break;
    case image::ID_FILE_PRINT_PREVIEW:
      if (doc_.HasImage() && !doc_.IsBusy()) PrintPreview();
      break;
    case image::ID_FILE_PRINT_SETUP:
      PrintSetup();
      break;
    case image::ID_APP_EXIT:
      if (doc_.IsCommandEnabled(image::ID_APP_EXIT)) Close();
      break;
    default:
      if (!doc_.OnCommand(id)) event.Skip();
      break;
  }
}

void CMainFrame::OnUpdateUI(wxUpdateUIEvent& event) {
  const int id = ToCommandId(event.GetId());
  if (!FindCommand(id)) {
    event.Skip();
    return;
  }
  switch (id) {
    case image::ID_VIEW_TOOLBAR:
      event.Check(GetToolBar() && GetToolBar()->IsShown());
      break;
    case image::ID_VIEW_STATUS_BAR:
      event.Check(GetStatusBar() && GetStatusBar()->IsShown());
      break;
    case image::ID_VIEW_FOLDERS:
      event.Check(IsFoldersVisible());
      break;
    case image::ID_VIEW_PREVIEW:
      event.Check(IsPreviewVisible());
      break;
    case image::ID_FILE_PRINT:
    case image::ID_FILE_PRINT_PREVIEW:
      event.Enable(doc_.HasImage() && !doc_.IsBusy());
      break;
    case image::ID_FILE_PRINT_SETUP:
    case image::ID_HIDE_FILE_DISPLAY:
    case image::ID_HIDE_MESSAGE_DISPLAY:
      event.Enable(true);
      break;
    case image::ID_EDIT_UNDO:
      event.Enable(doc_.IsCommandEnabled(id));
      if (dynamic_cast<wxMenu*>(event.GetEventObject()))
        event.SetText(FromUtf8(doc_.UndoMenuText()));
      break;
    default:
      event.Enable(doc_.IsCommandEnabled(id));
      break;
  }
}

void CMainFrame::OnMenuOpen(wxMenuEvent& event) {
  event.Skip();
  wxMenuBar* bar = GetMenuBar();
  wxMenuItem* item = bar ? bar->FindItem(ToWxId(image::ID_HIDE_MESSAGE_DISPLAY)) : nullptr;
  if (item && event.GetMenu() == item->GetMenu()) doc_.UpdateMessageMenuItem();
}

void CMainFrame::TrackNormalRect() {
  if (IsShown() && !IsMaximized() && !IsIconized() && !IsFullScreen()) normalRect_ = GetRect();
}

void CMainFrame::OnClose(wxCloseEvent& event) {
  // A running thumbnail build only stops; the next close request closes the window.
  if (view_->IsBuilding() && event.CanVeto()) {
    view_->StopThumbnailBuilder();
    event.Veto();
    return;
  }
  // An image operation owns the working image until it ends: refuse to close meanwhile.
  if (doc_.IsBusy() && event.CanVeto()) {
    event.Veto();
    return;
  }
  // Unsaved changes: the user saves, discards or stays.
  if (event.CanVeto() && !doc_.MayReplaceWorkingImage()) {
    event.Veto();
    return;
  }
  view_->StopThumbnailBuilder();
  doc_.ReleaseImage();
  SaveWindowPlacement();
  const std::string folder = doc_.Folder();
  if (!folder.empty() && wxFileName::DirExists(FromUtf8(folder)))
    settings_.WriteString("FolderSelected", folder);
  settings_.Flush();
  Destroy();
}

void CMainFrame::SaveWindowPlacement() {
  TrackNormalRect();
  WriteRect(settings_, "MainWindowPos", normalRect_);
  settings_.WriteInt("MainWindowMax", IsMaximized() ? 1 : 0);
  if (view_->m_pFoldersDlg)
    WriteRect(settings_, "FolderWindowPos", view_->m_pFoldersDlg->GetRect());
  if (view_->m_pPreviewDlg)
    WriteRect(settings_, "ImgPrevWindowPos", view_->m_pPreviewDlg->GetRect());
}

void CMainFrame::PrintImage() {
  const auto image = doc_.WorkingImage();
  if (!image) return;
  wxPrinter printer(&printData_);
  CImagePrintout printout(*image);
  const ToolWindowState hidden = HideToolWindows();
  const bool printed = printer.Print(this, &printout, true);
  RestoreToolWindows(hidden);
  if (printed) printData_ = printer.GetPrintDialogData();
}

void CMainFrame::PrintPreview() {
  const auto image = doc_.WorkingImage();
  if (!image) return;
  auto* preview =
      new wxPrintPreview(new CImagePrintout(*image), new CImagePrintout(*image), &printData_);
  if (!preview->IsOk()) {
    delete preview;
    return;
  }
  auto* frame =
      new wxPreviewFrame(preview, this, "Print Preview", wxDefaultPosition, wxSize(800, 700));
  frame->Centre();
  frame->Initialize();
  // Not modal, but it disables our other windows while it is open: the tool windows stay
  // hidden until it closes, so that they cannot cover its buttons.
  const ToolWindowState hidden = HideToolWindows();
  frame->Bind(wxEVT_CLOSE_WINDOW, [this, hidden](wxCloseEvent& event) {
    event.Skip();
    RestoreToolWindows(hidden);
  });
  frame->Show();
}

void CMainFrame::PrintSetup() {
  wxPageSetupDialogData data(printData_.GetPrintData());
  wxPageSetupDialog dialog(this, &data);
  const ToolWindowState hidden = HideToolWindows();
  const int answer = dialog.ShowModal();
  RestoreToolWindows(hidden);
  if (answer == wxID_OK) printData_.SetPrintData(dialog.GetPageSetupData().GetPrintData());
}

}  // namespace veilmark::app
