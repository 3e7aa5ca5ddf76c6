// The folders window: a tool window above all others with a tree of the file system's
// folders, filled level by level as the user opens them.
#pragma once

#include <wx/frame.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

namespace veilmark::app {

class CFoldersTreeCtrl : public wxTreeCtrl {
 public:
  explicit CFoldersTreeCtrl(wxWindow* parent);

  // The first level: the home folder and the file system's root(s).
  void FillRoot(const std::vector<std::string>& roots);
  // Brings the item's children in line with the visible subfolders on disk: folders
  // created since are added, vanished ones removed, the others kept as they are.
  void FillChildren(const wxTreeItemId& item);
  std::string PathOf(const wxTreeItemId& item) const;
  // The item of `path` among the items filled so far, or an invalid id.
  wxTreeItemId FindFilled(const std::string& path) const;
};

class CFoldersDlg : public wxFrame {
 public:
  // Returns false when the folder may not be opened now; the tree then keeps the current one.
  using OnFolder = std::function<bool(const std::string& path)>;
  using OnCommand = std::function<void(int commandId)>;

  CFoldersDlg(wxWindow* owner, OnFolder onFolder, OnCommand onCommand,
              const std::vector<std::string>& roots);

  CFoldersTreeCtrl* Tree() const { return tree_; }
  // Expands to and selects `path` (the document's current folder) without opening it again;
  // clears the selection when the tree cannot reach it.
  void ShowFolder(const std::string& path);
  // The menu the tree shows on a right click.
  static wxMenu* BuildContextMenu();

 private:
  void OnSelChanged(wxTreeEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);

  CFoldersTreeCtrl* tree_ = nullptr;
  OnFolder onFolder_;
  OnCommand onCommand_;
  std::string selected_;
  bool showing_ = false;            // ShowFolder moves the selection: not the user's choice
  bool changingSelection_ = false;  // inside the tree's notice of a selection change
};

// The default first level of the tree on this platform.
std::vector<std::string> DefaultFolderRoots();

}  // namespace veilmark::app
