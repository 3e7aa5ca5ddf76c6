#include "app/folders_window.h"

#include "app/menus.h"
#include "app/window_placement.h"
#include "core/base/wx_text.h"
#include "core/document/command_ids.h"
#include "res/art.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/imaglist.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/utils.h>
#ifdef __WINDOWS__
#include <wx/volume.h>
#endif

#include <algorithm>
#include <memory>
#include <set>

namespace veilmark::app {

namespace {

enum { kIconFolder, kIconFolderOpen, kIconHome, kIconDrive };

class FolderData : public wxTreeItemData {
 public:
  explicit FolderData(std::string p) : path(std::move(p)) {}
  std::string path;
};

// `path` split into the folder names below `base`; false when it does not lie below it.
bool RelativeParts(const std::string& base, const std::string& path, wxArrayString& parts) {
  wxFileName target = wxFileName::DirName(FromUtf8(path));
  const wxFileName root = wxFileName::DirName(FromUtf8(base));
  target.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
  const wxArrayString targetDirs = target.GetDirs();
  const wxArrayString rootDirs = root.GetDirs();
  if (target.GetVolume() != root.GetVolume() || targetDirs.size() < rootDirs.size()) return false;
  for (std::size_t i = 0; i < rootDirs.size(); ++i)
    if (targetDirs[i] != rootDirs[i]) return false;
  parts.clear();
  for (std::size_t i = rootDirs.size(); i < targetDirs.size(); ++i) parts.push_back(targetDirs[i]);
  return true;
}

// Visible subfolders by name, in the file browser's order (case-insensitive).
std::vector<wxString> Subfolders(const wxString& path) {
  wxLogNull quiet;  // unreadable folders simply show no children
  std::vector<wxString> names;
  wxDir dir(path);
  if (!dir.IsOpened()) return names;
  wxString name;
  for (bool more = dir.GetFirst(&name, wxString(), wxDIR_DIRS); more; more = dir.GetNext(&name))
    names.push_back(name);
  std::sort(names.begin(), names.end(), [](const wxString& a, const wxString& b) {
    const int c = a.CmpNoCase(b);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

bool HasSubfolders(const wxString& path) {
  wxLogNull quiet;
  wxDir dir(path);
  wxString name;
  return dir.IsOpened() && dir.GetFirst(&name, wxString(), wxDIR_DIRS);
}

}  // namespace

std::vector<std::string> DefaultFolderRoots() {
  std::vector<std::string> roots{ToUtf8(wxGetHomeDir())};
#ifdef __WINDOWS__
  for (const wxString& volume : wxFSVolume::GetVolumes()) roots.push_back(ToUtf8(volume));
#else
  roots.push_back("/");
#endif
  return roots;
}

CFoldersTreeCtrl::CFoldersTreeCtrl(wxWindow* parent)
    : wxTreeCtrl(parent, 1000, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE) {
  auto* images = new wxImageList(16, 16, false, 4);
  for (res::Art art : {res::Art::Folder, res::Art::OpenFolder, res::Art::Home, res::Art::Drive})
    images->Add(res::ArtBitmap(art));
  AssignImageList(images);
  Bind(wxEVT_TREE_ITEM_EXPANDING, [this](wxTreeEvent& event) { FillChildren(event.GetItem()); });
}

void CFoldersTreeCtrl::FillRoot(const std::vector<std::string>& roots) {
  DeleteAllItems();
  const wxTreeItemId root = AddRoot(wxString());
  for (std::size_t i = 0; i < roots.size(); ++i) {
    const wxString path = FromUtf8(roots[i]);
    const wxFileName name = wxFileName::DirName(path);
    wxString label = i == 0 ? name.GetDirs().empty() ? path : name.GetDirs().Last() : path;
    const int icon = i == 0 ? kIconHome : kIconDrive;
    const wxTreeItemId item = AppendItem(root, label, icon, icon, new FolderData(roots[i]));
    SetItemHasChildren(item, HasSubfolders(path));
  }
}

void CFoldersTreeCtrl::FillChildren(const wxTreeItemId& item) {
  const auto* data = dynamic_cast<const FolderData*>(GetItemData(item));
  if (!data) return;
  const wxFileName base = wxFileName::DirName(FromUtf8(data->path));
  const std::vector<wxString> names = Subfolders(base.GetPath());
  const std::set<wxString> present(names.begin(), names.end());

  // The items are in the order of `names`: one merge pass keeps the items (and their
  // opened subtrees) of folders that are still there.
  std::vector<wxTreeItemId> gone;
  wxTreeItemIdValue cookie;
  wxTreeItemId child = GetFirstChild(item, cookie);
  wxTreeItemId previous;
  for (const wxString& name : names) {
    while (child.IsOk() && GetItemText(child) != name && !present.count(GetItemText(child))) {
      gone.push_back(child);
      child = GetNextChild(item, cookie);
    }
    if (child.IsOk() && GetItemText(child) == name) {
      previous = child;
      child = GetNextChild(item, cookie);
      continue;
    }
    wxFileName sub(base);
    sub.AppendDir(name);
    const wxString path = sub.GetPath();
    auto* record = new FolderData(ToUtf8(path));
    previous = previous.IsOk()
                   ? InsertItem(item, previous, name, kIconFolder, kIconFolderOpen, record)
                   : PrependItem(item, name, kIconFolder, kIconFolderOpen, record);
    SetItemHasChildren(previous, HasSubfolders(path));
  }
  for (; child.IsOk(); child = GetNextChild(item, cookie)) gone.push_back(child);
  for (const wxTreeItemId& old : gone) Delete(old);
  SetItemHasChildren(item, GetChildrenCount(item, false) != 0);
}

std::string CFoldersTreeCtrl::PathOf(const wxTreeItemId& item) const {
  if (!item.IsOk()) return {};
  const auto* data = dynamic_cast<const FolderData*>(GetItemData(item));
  return data ? data->path : std::string();
}

wxTreeItemId CFoldersTreeCtrl::FindFilled(const std::string& path) const {
  std::vector<wxTreeItemId> pending{GetRootItem()};
  while (!pending.empty()) {
    const wxTreeItemId item = pending.back();
    pending.pop_back();
    if (item != GetRootItem() && PathOf(item) == path) return item;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = GetFirstChild(item, cookie); c.IsOk(); c = GetNextChild(item, cookie))
      pending.push_back(c);
  }
  return wxTreeItemId();
}

CFoldersDlg::CFoldersDlg(wxWindow* owner, OnFolder onFolder, OnCommand onCommand,
                         const std::vector<std::string>& roots)
    : wxFrame(owner, wxID_ANY, " Folders", wxPoint(20, 10), wxSize(300, 300),
              wxCAPTION | wxRESIZE_BORDER | wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP |
                  wxFRAME_FLOAT_ON_PARENT),
      onFolder_(std::move(onFolder)),
      onCommand_(std::move(onCommand)) {
  tree_ = new CFoldersTreeCtrl(this);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(tree_, 1, wxEXPAND);
  SetSizer(sizer);

  tree_->Bind(wxEVT_TREE_SEL_CHANGED, &CFoldersDlg::OnSelChanged, this);
  tree_->Bind(wxEVT_CONTEXT_MENU, &CFoldersDlg::OnContextMenu, this);
  // The window takes its stored size after the first selection was scrolled into view:
  // a resize that would cut the current folder off scrolls it back in.
  tree_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    CallAfter([this] {
      const wxTreeItemId selection = tree_->GetSelection();
      if (selection.IsOk()) tree_->EnsureVisible(selection);
    });
  });
  Bind(wxEVT_MENU, [this](wxCommandEvent& event) { onCommand_(ToCommandId(event.GetId())); });
  HideOnClose(*this);

  tree_->FillRoot(roots);
  // The first root item is opened and selected at once, which makes it the current folder.
  wxTreeItemIdValue cookie;
  const wxTreeItemId first = tree_->GetFirstChild(tree_->GetRootItem(), cookie);
  if (first.IsOk()) {
    tree_->Expand(first);
    tree_->SelectItem(first);
  }
}

void CFoldersDlg::OnSelChanged(wxTreeEvent& event) {
  if (showing_) return;
  const std::string path = tree_->PathOf(event.GetItem());
  if (path.empty() || path == selected_) return;
  // Opening a not yet opened folder fills its children, so that they are there to choose.
  if (!tree_->IsExpanded(event.GetItem())) tree_->FillChildren(event.GetItem());
  // Refused: the view has put the highlight back on the folder still listed.
  changingSelection_ = true;
  const bool opened = onFolder_(path);
  changingSelection_ = false;
  if (!opened) return;
  selected_ = path;
}

void CFoldersDlg::ShowFolder(const std::string& path) {
  if (path.empty()) return;
#ifdef __WXMSW__
  // Windows' tree control cannot change its selection from within the notice of a change:
  // the highlight goes back right after it.
  if (changingSelection_) {
    CallAfter([this, path] { ShowFolder(path); });
    return;
  }
#endif
  const wxTreeItemId current = tree_->GetSelection();
  if (current.IsOk() && tree_->PathOf(current) == path) {
    selected_ = path;
    return;
  }
  // The root whose folder holds `path` most closely: home before "/".
  wxTreeItemId item;
  wxArrayString parts;
  std::size_t best = 0;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId root = tree_->GetFirstChild(tree_->GetRootItem(), cookie); root.IsOk();
       root = tree_->GetNextChild(tree_->GetRootItem(), cookie)) {
    wxArrayString rootParts;
    const std::string rootPath = tree_->PathOf(root);
    if (RelativeParts(rootPath, path, rootParts) && (!item.IsOk() || rootPath.size() > best)) {
      item = root;
      best = rootPath.size();
      parts = rootParts;
    }
  }
  for (std::size_t i = 0; item.IsOk() && i < parts.size(); ++i) {
    tree_->FillChildren(item);
    wxTreeItemIdValue childCookie;
    wxTreeItemId next;
    for (wxTreeItemId c = tree_->GetFirstChild(item, childCookie); c.IsOk();
         c = tree_->GetNextChild(item, childCookie))
      if (tree_->GetItemText(c) == parts[i]) next = c;
    if (next.IsOk()) tree_->Expand(item);
    item = next;
  }
  showing_ = true;
  if (item.IsOk()) {
    tree_->SelectItem(item);
    tree_->EnsureVisible(item);
  } else {
    tree_->Unselect();
  }
  showing_ = false;
  selected_ = path;
}

wxMenu* CFoldersDlg::BuildContextMenu() {
  auto* menu = new wxMenu;
  struct Entry {
    int id;
    const char* text;
    int bitmap;
  };
  for (const Entry& e :
       {Entry{image::ID_ENCRYPT_FOLDER, kEncryptFolderText, 1109},
        Entry{image::ID_DECRYPT_FOLDER, kDecryptFolderText, 1110}, Entry{0, nullptr, 0},
        Entry{image::ID_FOLDER_OPEN_IN_BROWSER, kOpenFolderText, 1111}}) {
    if (e.id == 0) {
      menu->AppendSeparator();
      continue;
    }
    auto* item = new wxMenuItem(menu, ToWxId(e.id), e.text);
    item->SetBitmap(res::ArtBitmap(res::MenuArt(e.bitmap)));
    menu->Append(item);
  }
  return menu;
}

void CFoldersDlg::OnContextMenu(wxContextMenuEvent& event) {
  std::unique_ptr<wxMenu> menu(BuildContextMenu());
  wxPoint pos = event.GetPosition();
  pos = pos == wxDefaultPosition ? wxDefaultPosition : ScreenToClient(pos);
  PopupMenu(menu.get(), pos);
}

}  // namespace veilmark::app
