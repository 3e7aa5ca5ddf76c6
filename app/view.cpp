#include "app/view.h"

#include "app/app_document.h"
#include "app/folders_window.h"
#include "app/overlay_label.h"
#include "app/preview_window.h"
#include "app/window_placement.h"
#include "core/base/wx_text.h"
#include "core/document/settings.h"

#include <wx/filename.h>

#include <algorithm>
#include <thread>

namespace veilmark::app {

namespace {

int WorkerCount() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 4u));
}

wxBitmap BlankThumbnail() {
  wxImage image(kThumbWidth, kThumbHeight);
  image.SetRGB(wxRect(0, 0, kThumbWidth, kThumbHeight), 255, 255, 255);
  return wxBitmap(image);
}
}  // namespace

CLumicraftView::CLumicraftView(wxWindow* parent, AppDocument& doc)
    : ThumbnailGrid(parent, wxSize(kThumbWidth, kThumbHeight)),
      doc_(doc),
      builder_([this](std::function<void()> task) { CallAfter(std::move(task)); }, WorkerCount()) {
  SetName("ListView");
  SetBackgroundColour(kListWhite);
  SetOnSelected([this](int index) { return doc_.OnThumbnailSelected(index); });
}

CLumicraftView::~CLumicraftView() { builder_.Stop(); }

void CLumicraftView::InitialUpdate(SettingsStore& settings,
                                   const std::vector<std::string>& folderRoots) {
  if (initialised_) return;
  initialised_ = true;
  wxWindow* owner = wxGetTopLevelParent(this);
  // The preview first: the tree's first selection may open a folder, which refreshes it.
  m_pPreviewDlg = new CPreviewDlg(owner, doc_);
  m_pPreviewDlg->SetOnEnlarged([owner] { owner->SetFocus(); });
  m_pPreviewDlg->Show();
  m_pFoldersDlg = new CFoldersDlg(
      owner,
      [this](const std::string& path) {
        const bool opened = doc_.OpenFolder(path);
        // The document may keep its folder (a refusal, a cancelled question): the tree
        // shows the folder actually listed.
        if (m_pFoldersDlg) m_pFoldersDlg->ShowFolder(doc_.Folder());
        return opened;
      },
      [this](int id) { doc_.OnCommand(id); }, folderRoots);
  m_pFoldersDlg->Show();

  wxRect rect = m_pFoldersDlg->GetRect();
  ReadRect(settings, "FolderWindowPos", rect);
  m_pFoldersDlg->SetSize(rect);
  rect = m_pPreviewDlg->GetRect();
  ReadRect(settings, "ImgPrevWindowPos", rect);
  m_pPreviewDlg->SetSize(rect);

  m_wndLoading = new OverlayLabel(this, wxPoint(10, 15), 150);
  m_wndLoading->SetText("Loading images ...");
  m_wndLoading->Hide();
  m_wndFolderInfo = new OverlayLabel(this, wxPoint(10, 15), 340);
  m_wndFolderInfo->Hide();

  const std::string folder = settings.GetString("FolderSelected");
  if (!folder.empty() && wxFileName::Exists(FromUtf8(folder))) doc_.OpenFolder(folder);
}

void CLumicraftView::StartThumbnailBuilder() {
  builder_.Stop();
  // A new listing: the tree follows whatever opened it (start, Samples, Refresh, ...).
  if (m_pFoldersDlg) m_pFoldersDlg->ShowFolder(doc_.Folder());
  const std::vector<std::string> names = doc_.ImageNames();
  std::vector<std::string> paths;
  std::vector<wxString> captions;
  paths.reserve(names.size());
  captions.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    paths.push_back(doc_.ImagePath(static_cast<int>(i)));
    captions.push_back(FromUtf8(names[i]));
  }
  SetItems(captions, BlankThumbnail());
  ShowSelection(doc_.SelectedIndex());
  SetFlagged(0);
  done_ = 0;
  total_ = static_cast<int>(names.size());
  UpdateLoadingText();
  if (m_wndLoading) m_wndLoading->Show();
  builder_.Start(
      std::move(paths), doc_.MakeThumbnailMaker(),
      [this](int index, ThumbnailResult result) { OnThumbnail(index, std::move(result)); },
      [this] { OnBuildFinished(); });
}

void CLumicraftView::StopThumbnailBuilder() {
  if (!builder_.IsBuilding()) return;
  builder_.Stop();
  if (m_wndLoading) m_wndLoading->Hide();
  Refresh();
}

void CLumicraftView::OnThumbnail(int index, ThumbnailResult result) {
  if (index < 0 || index >= GetItemCount()) return;
  if (result.thumb.IsOk()) SetThumbnail(index, wxBitmap(result.thumb));
  doc_.SetImageKind(index, result.kind);
  if (result.kind > kKindPlain) SetFlagged(m_nFlagged + 1);
  ++done_;
  UpdateLoadingText();
}

void CLumicraftView::OnBuildFinished() {
  if (m_wndLoading) m_wndLoading->Hide();
  Refresh();
}

void CLumicraftView::UpdateLoadingText() {
  if (!m_wndLoading) return;
  wxString text = "Loading images ...";
  if (total_ > 0) text += wxString::Format(" %d / %d", done_, total_);
  m_wndLoading->SetText(text);
}

void CLumicraftView::SetFlagged(int flagged) {
  const bool changed = (flagged == 0) != (m_nFlagged == 0);
  m_nFlagged = flagged;
  if (!changed && flagged != 0) return;
  SetBackgroundColour(flagged ? kListYellow : kListWhite);
  if (m_wndLoading) m_wndLoading->Refresh();
  if (m_wndFolderInfo) m_wndFolderInfo->Refresh();
  Refresh();
}

void CLumicraftView::OnScrolled() {
  // The labels stay at the top left corner of the visible area.
  if (m_wndLoading) m_wndLoading->Move(10, 15);
  if (m_wndFolderInfo) m_wndFolderInfo->Move(10, 15);
}

void CLumicraftView::ShowFolderInfo(const wxString& text, bool show) {
  if (!m_wndFolderInfo) return;
  if (show) m_wndFolderInfo->SetText(text);
  m_wndFolderInfo->Show(show);
}

}  // namespace veilmark::app
