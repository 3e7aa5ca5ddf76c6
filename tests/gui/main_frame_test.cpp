// The main window over a scripted document: menus and toolbar, routing, enabling, the View
// toggles, the thumbnail view, and window positions kept across a restart.
#include "app/main_frame.h"
#include "app/folders_window.h"
#include "app/menus.h"
#include "app/overlay_label.h"
#include "app/preview_window.h"
#include "app/view.h"
#include "core/document/command_ids.h"
#include "core/document/settings.h"
#include "gui_test_util.h"

#include <gtest/gtest.h>
#include <wx/accel.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <memory>

namespace veilmark::app {
namespace {

using namespace image;  // command ids
using test::PumpUntil;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = wxFileName::CreateTempFileName("vmgui");
    wxRemoveFile(root);
    wxFileName::Mkdir(root);
    frame = Start();
  }
  void TearDown() override {
    if (frame) Close(true);
    wxFileName::Rmdir(root, wxPATH_RMDIR_RECURSIVE);
  }

  CMainFrame* Start() {
    auto* f = new CMainFrame(doc, settings);
    f->InitialUpdate({root.utf8_string()});
    return f;
  }
  // Closes the frame the way the user does; true when it was destroyed.
  bool Close(bool force = false) {
    frame->Close(force);
    if (!wxPendingDelete.Member(frame)) return false;
    wxTheApp->ProcessIdle();  // destroys the windows
    frame = nullptr;
    return true;
  }
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    frame->ProcessWindowEvent(event);
  }
  wxUpdateUIEvent UpdateUI(int id, wxObject* object = nullptr) {
    wxUpdateUIEvent event(ToWxId(id));
    event.SetEventObject(object);
    frame->ProcessWindowEvent(event);
    return event;
  }

  wxString root;
  // A folder under `root`, "/" between names, with the system's separators as the tree shows it.
  wxString Sub(const wxString& relative) const {
    wxString path = root + "/" + relative;
    path.Replace("/", wxString(wxFILE_SEP_PATH));
    return path;
  }
  test::FakeDocument doc;
  MemorySettingsStore settings;
  CMainFrame* frame = nullptr;
};

TEST_F(FrameTest, EveryDocumentCommandHasAMenuItemAndTheToolbarKeepsItsOrder) {
  EXPECT_EQ(frame->GetTitle(), "Veilmark");
  wxMenuBar* bar = frame->GetMenuBar();
  for (int id : {ID_FILE_EXTRACT_HIDDEN,
                 ID_FILE_SAVE_PNG,
                 ID_FILE_SAVE_BMP,
                 ID_FILE_SAVE_TIFF,
                 ID_FILE_SAVE_JPG,
                 ID_FILE_SAVE_GIF,
                 ID_FILE_PRINT,
                 ID_FILE_PRINT_PREVIEW,
                 ID_FILE_PRINT_SETUP,
                 ID_APP_EXIT,
                 ID_HIDE_SELECT_FILE,
                 ID_HIDE_UNSELECT_FILE,
                 ID_HIDE_FILE,
                 ID_HIDE_FILE_DISPLAY,
                 ID_HIDE_ENTER_MESSAGE,
                 ID_HIDE_MESSAGE,
                 ID_HIDE_MESSAGE_DISPLAY,
                 ID_HIDE_ANALYSE,
                 ID_ENCRYPT_FILE,
                 ID_DECRYPT_FILE,
                 ID_ENCRYPT_FOLDER,
                 ID_DECRYPT_FOLDER,
                 ID_ENCRYPT_MESSAGE,
                 ID_SETTINGS_PASSWORDS,
                 ID_EDIT_UNDO,
                 ID_EDIT_REDO,
                 ID_EDIT_MIRROR,
                 ID_EDIT_FLIP,
                 ID_EDIT_ROTATE_RIGHT,
                 ID_EDIT_ROTATE_LEFT,
                 ID_EDIT_GRAYSCALE,
                 ID_EDIT_NEGATIVE,
                 ID_EDIT_GAMMA,
                 ID_EDIT_THRESHOLD,
                 ID_EDIT_LIGHTEN,
                 ID_EDIT_DARKEN,
                 ID_EDIT_CONTRAST,
                 ID_EDIT_SHARPEN,
                 ID_FOLDER_REFRESH,
                 ID_FOLDER_SAMPLES,
                 ID_VIEW_TOOLBAR,
                 ID_VIEW_STATUS_BAR,
                 ID_VIEW_FOLDERS,
                 ID_VIEW_PREVIEW,
                 ID_HELP_FRAME_COLORS,
                 ID_HELP_WEB_SITE,
                 ID_HELP_DISCLAIMER,
                 ID_HELP_ABOUT}) {
    wxMenuItem* item = bar->FindItem(ToWxId(id));
    ASSERT_NE(item, nullptr) << id;
    EXPECT_FALSE(item->GetHelp().empty()) << id;
  }
  EXPECT_EQ(bar->GetMenuCount(), 7u);
  EXPECT_EQ(bar->GetMenuLabel(6), "Hel&p");
  EXPECT_EQ(bar->FindItem(ToWxId(ID_FILE_PRINT))->GetItemLabel(), "&Print ...\tCtrl+P");
  EXPECT_EQ(bar->FindItem(ToWxId(ID_EDIT_ROTATE_RIGHT))->GetItemLabelText(),
            wxString::FromUTF8("Rotate Right 90°"));

  wxToolBar* tools = frame->GetToolBar();
  std::vector<int> ids;
  for (size_t i = 0; i < tools->GetToolsCount(); ++i) {
    const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
    if (!tool || tool->IsSeparator()) continue;
    ids.push_back(ToCommandId(tool->GetId()));
    EXPECT_FALSE(tool->GetShortHelp().empty()) << tool->GetId();
  }
  EXPECT_EQ(ids,
            (std::vector<int>{ID_FILE_EXTRACT_HIDDEN, ID_HIDE_SELECT_FILE, ID_HIDE_UNSELECT_FILE,
                              ID_HIDE_FILE, ID_HIDE_ENTER_MESSAGE, ID_HIDE_MESSAGE, ID_HIDE_ANALYSE,
                              ID_SETTINGS_PASSWORDS, ID_EDIT_UNDO, ID_EDIT_REDO, ID_VIEW_FOLDERS,
                              ID_VIEW_PREVIEW, ID_FOLDER_REFRESH, ID_APP_EXIT}));
  EXPECT_EQ(tools->GetToolShortHelp(ToWxId(ID_SETTINGS_PASSWORDS)),
            "Encryption/Decryption passwords");
  EXPECT_EQ(tools->GetToolLongHelp(ToWxId(ID_SETTINGS_PASSWORDS)),
            "Set the encryption and decryption passwords");
}

TEST_F(FrameTest, CommandsGoToTheDocumentAndFollowItsEnablingRules) {
  Command(ID_HIDE_SELECT_FILE);
  Command(ID_EDIT_MIRROR);
  Command(ID_VIEW_FOLDERS);  // the frame's own
  EXPECT_EQ(doc.commands, (std::vector<int>{ID_HIDE_SELECT_FILE, ID_EDIT_MIRROR}));

  doc.enabled = {ID_EDIT_MIRROR};
  EXPECT_TRUE(UpdateUI(ID_EDIT_MIRROR).GetEnabled());
  EXPECT_FALSE(UpdateUI(ID_EDIT_FLIP).GetEnabled());

  doc.undoText = "&Undo (3)";
  wxMenu* edit = frame->GetMenuBar()->FindItem(ToWxId(ID_EDIT_UNDO))->GetMenu();
  const wxUpdateUIEvent undo = UpdateUI(ID_EDIT_UNDO, edit);
  EXPECT_FALSE(undo.GetEnabled());
  EXPECT_EQ(undo.GetText(), "&Undo (3)");

  // Printing needs an image and no running image operation.
  EXPECT_FALSE(UpdateUI(ID_FILE_PRINT).GetEnabled());
  doc.image = wxImage(10, 10);
  EXPECT_TRUE(UpdateUI(ID_FILE_PRINT).GetEnabled());
  doc.busy = true;
  EXPECT_FALSE(UpdateUI(ID_FILE_PRINT_PREVIEW).GetEnabled());
}

TEST_F(FrameTest, ViewTogglesShowAndHideWithCheckMarks) {
  frame->ShowFirstTime();
  for (int id : {ID_VIEW_FOLDERS, ID_VIEW_PREVIEW, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR})
    EXPECT_TRUE(UpdateUI(id).GetChecked()) << id;
  Command(ID_VIEW_FOLDERS);
  EXPECT_FALSE(frame->View()->m_pFoldersDlg->IsShown());
  EXPECT_FALSE(UpdateUI(ID_VIEW_FOLDERS).GetChecked());
  EXPECT_TRUE(frame->View()->m_pPreviewDlg->IsShown());
  Command(ID_VIEW_PREVIEW);
  Command(ID_VIEW_TOOLBAR);
  EXPECT_FALSE(UpdateUI(ID_VIEW_PREVIEW).GetChecked());
  EXPECT_FALSE(frame->GetToolBar()->IsShown());
  EXPECT_FALSE(UpdateUI(ID_VIEW_TOOLBAR).GetChecked());
  Command(ID_VIEW_FOLDERS);
  EXPECT_TRUE(frame->View()->m_pFoldersDlg->IsShown());
  EXPECT_TRUE(UpdateUI(ID_VIEW_FOLDERS).GetChecked());
}

TEST_F(FrameTest, StatusTextAndMenuDisplayItems) {
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Veilmark v1.1c");
  frame->SetStatus("Files: 3 (Images: 2  Encrypted: 1)");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(), "Files: 3 (Images: 2  Encrypted: 1)");
  frame->SetMenuItem(ID_HIDE_FILE_DISPLAY, "(4 Ks) R&D notes.pdf", true);
  wxMenuItem* item = frame->GetMenuBar()->FindItem(ToWxId(ID_HIDE_FILE_DISPLAY));
  EXPECT_EQ(item->GetItemLabelText(), "(4 Ks) R&D notes.pdf");
  EXPECT_TRUE(item->IsChecked());
}

TEST_F(FrameTest, StartOpensTheFirstTreeFolderThenTheStoredOne) {
  EXPECT_EQ(doc.opened, std::vector<std::string>{root.utf8_string()});
  Close(true);
  settings.WriteString("FolderSelected", root.utf8_string());
  doc.opened.clear();
  frame = Start();
  EXPECT_EQ(doc.opened, (std::vector<std::string>{root.utf8_string(), root.utf8_string()}));

  // A stored folder that is gone is not opened.
  Close(true);
  settings.WriteString("FolderSelected", (Sub("gone")).utf8_string());
  doc.opened.clear();
  frame = Start();
  EXPECT_EQ(doc.opened.size(), 1u);
}

TEST_F(FrameTest, WindowPositionsAndFolderSurviveARestart) {
  frame->ShowFirstTime();
  const wxRect mainRect(300, 40, 500, 600), foldersRect(10, 20, 250, 280),
      previewRect(820, 30, 640, 480);
  frame->SetSize(mainRect);
  frame->View()->m_pFoldersDlg->SetSize(foldersRect);
  frame->View()->m_pPreviewDlg->SetSize(previewRect);
  Command(ID_VIEW_FOLDERS);  // hidden windows keep their rectangle
  doc.folder = root.utf8_string();
  ASSERT_TRUE(Close());

  EXPECT_EQ(settings.GetString("FolderSelected"), root.utf8_string());
  EXPECT_EQ(settings.GetInt("MainWindowMax", -1), 0);
  EXPECT_EQ(settings.ReadBinary("MainWindowPos")->size(), 16u);
  EXPECT_EQ(doc.releases, 1);

  frame = Start();
  EXPECT_EQ(frame->GetRect(), mainRect);
  EXPECT_EQ(frame->View()->m_pFoldersDlg->GetRect(), foldersRect);
  EXPECT_EQ(frame->View()->m_pPreviewDlg->GetRect(), previewRect);
  EXPECT_TRUE(frame->View()->m_pFoldersDlg->IsShown()) << "every start shows both";
}

TEST_F(FrameTest, ClosingWhileThumbnailsAreBuiltOnlyStopsTheBuild) {
  doc.names = {"a.png", "b.png", "c.png"};
  doc.maker = [](const std::string&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return ThumbnailResult{wxImage(150, 135), kKindPlain};
  };
  frame->View()->StartThumbnailBuilder();
  ASSERT_TRUE(frame->View()->IsBuilding());
  EXPECT_FALSE(Close());
  EXPECT_FALSE(frame->View()->IsBuilding());
  EXPECT_FALSE(settings.Has("MainWindowPos"));
  EXPECT_TRUE(Close());
  EXPECT_TRUE(settings.Has("MainWindowPos"));
}

TEST_F(FrameTest, ClosingWhileAnImageOperationRunsIsRefused) {
  doc.busy = true;
  EXPECT_FALSE(Close());
  doc.busy = false;
  EXPECT_TRUE(Close());
}

TEST_F(FrameTest, ThumbnailsCarryCaptionsKindsAndTheBackgroundColour) {
  doc.names = {"holiday.jpg", "secret.png", "plain.bmp"};
  doc.maker = [](const std::string& path) {
    const bool hidden = path.find("secret") != std::string::npos;
    return ThumbnailResult{wxImage(150, 135), hidden ? 30 : kKindPlain};
  };
  CLumicraftView* view = frame->View();
  view->StartThumbnailBuilder();
  EXPECT_TRUE(view->LoadingLabel()->IsShown());
  EXPECT_EQ(view->LoadingLabel()->Text(), "Loading images ... 0 / 3");
  ASSERT_TRUE(PumpUntil([&] { return !view->IsBuilding(); }));
  EXPECT_FALSE(view->LoadingLabel()->IsShown());
  EXPECT_EQ(view->GetItemCount(), 3);
  EXPECT_EQ(view->GetItemText(0), "holiday.jpg");
  EXPECT_EQ(view->GetThumbnail(1).GetSize(), wxSize(150, 135));
  EXPECT_EQ(view->FlaggedCount(), 1);
  EXPECT_EQ(view->GetBackgroundColour(), kListYellow);
  std::sort(doc.kinds.begin(), doc.kinds.end());
  EXPECT_EQ(doc.kinds, (std::vector<std::pair<int, int>>{{0, 10}, {1, 30}, {2, 10}}));

  view->Select(2);
  view->Select(2);  // selecting the selected item again does nothing
  EXPECT_EQ(doc.selected, std::vector<int>{2});

  // A folder without hidden content turns the list white again.
  doc.names = {"plain.bmp"};
  view->StartThumbnailBuilder();
  ASSERT_TRUE(PumpUntil([&] { return !view->IsBuilding(); }));
  EXPECT_EQ(view->GetBackgroundColour(), kListWhite);
  EXPECT_EQ(view->GetItemCount(), 1);

  view->ShowFolderInfo("Files: 3 (Images: 0  Encrypted: 3)", true);
  EXPECT_TRUE(view->FolderInfoLabel()->IsShown());
  EXPECT_EQ(view->FolderInfoLabel()->Text(), "Files: 3 (Images: 0  Encrypted: 3)");
}

TEST_F(FrameTest, FoldersContextMenuCommandsGoToTheDocument) {
  std::unique_ptr<wxMenu> menu(CFoldersDlg::BuildContextMenu());
  ASSERT_EQ(menu->GetMenuItemCount(), 4u);
  EXPECT_EQ(ToCommandId(menu->FindItemByPosition(0)->GetId()), ID_ENCRYPT_FOLDER);
  EXPECT_EQ(ToCommandId(menu->FindItemByPosition(1)->GetId()), ID_DECRYPT_FOLDER);
  EXPECT_TRUE(menu->FindItemByPosition(2)->IsSeparator());
  EXPECT_EQ(menu->FindItemByPosition(3)->GetItemLabelText(), "Open folder");
  for (size_t i : {0u, 1u, 3u}) EXPECT_TRUE(menu->FindItemByPosition(i)->GetBitmap().IsOk());

  wxCommandEvent event(wxEVT_MENU, ToWxId(ID_FOLDER_OPEN_IN_BROWSER));
  frame->View()->m_pFoldersDlg->ProcessWindowEvent(event);
  EXPECT_EQ(doc.commands, std::vector<int>{ID_FOLDER_OPEN_IN_BROWSER});
}

TEST_F(FrameTest, FolderTreeFillsLazilySkipsHiddenFoldersAndOpensASelectionOnce) {
  wxFileName::Mkdir(Sub("Beta/inner"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  wxFileName::Mkdir(Sub("alpha"));
  wxFileName::Mkdir(Sub(".hidden"));
  Close(true);
  frame = Start();
  CFoldersTreeCtrl tree(frame->View()->m_pFoldersDlg);
  tree.FillRoot({root.utf8_string()});
  wxTreeItemIdValue cookie;
  const wxTreeItemId top = tree.GetFirstChild(tree.GetRootItem(), cookie);
  EXPECT_TRUE(tree.ItemHasChildren(top));
  EXPECT_EQ(tree.GetChildrenCount(top), 0u) << "children are filled on expanding";
  tree.Expand(top);
  ASSERT_EQ(tree.GetChildrenCount(top, false), 2u);
  const wxTreeItemId first = tree.GetFirstChild(top, cookie);
  const wxTreeItemId second = tree.GetNextChild(top, cookie);
  EXPECT_EQ(tree.GetItemText(first), "alpha");
  EXPECT_EQ(tree.GetItemText(second), "Beta");
  EXPECT_FALSE(tree.ItemHasChildren(first));
  EXPECT_TRUE(tree.ItemHasChildren(second));

  // Selecting in the real folders window opens the folder; the same one again does not.
  CFoldersDlg* folders = frame->View()->m_pFoldersDlg;
  const wxTreeItemId beta = folders->Tree()->FindFilled((Sub("Beta")).utf8_string());
  ASSERT_TRUE(beta.IsOk());
  doc.opened.clear();
  folders->Tree()->SelectItem(beta);
  folders->Tree()->SelectItem(beta);
  EXPECT_EQ(doc.opened, std::vector<std::string>{(Sub("Beta")).utf8_string()});
}

// The tree shows where the list is, whoever opened the folder, and never opens it again.
TEST_F(FrameTest, FolderTreeSelectsTheCurrentFolderWithoutOpeningItAgain) {
  wxFileName::Mkdir(Sub("Beta/inner"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  wxFileName::Mkdir(Sub("alpha"));
  wxFileName::Mkdir(Sub(".hidden"));
  Close(true);
  frame = Start();
  CFoldersTreeCtrl* tree = frame->View()->m_pFoldersDlg->Tree();
  EXPECT_EQ(tree->PathOf(tree->GetSelection()), root.utf8_string());

  const struct {
    wxString folder;
    bool reachable;
  } cases[] = {
      {Sub("Beta/inner"), true},  // a stored folder, Samples, ...
      {Sub("alpha"), true},
      {Sub(".hidden"), false},  // the tree does not show it: nothing is selected
      {root, true},
  };
  for (const auto& c : cases) {
    doc.folder = c.folder.utf8_string();
    doc.opened.clear();
    frame->View()->StartThumbnailBuilder();  // what the document does after opening one
    const wxTreeItemId selected = tree->GetSelection();
    if (c.reachable) {
      EXPECT_EQ(tree->PathOf(selected), doc.folder);
      for (wxTreeItemId up = tree->GetItemParent(selected); up != tree->GetRootItem();
           up = tree->GetItemParent(up))
        EXPECT_TRUE(tree->IsExpanded(up)) << c.folder;
    } else {
      EXPECT_FALSE(selected.IsOk()) << c.folder;
    }
    EXPECT_TRUE(doc.opened.empty()) << c.folder;
  }

  // A folder the document refuses to open is not shown as the current one.
  doc.refuseOpen = true;
  tree->SelectItem(tree->FindFilled((Sub("alpha")).utf8_string()));
  wxTheApp->ProcessPendingEvents();  // Windows puts the highlight back after the tree's notice
  EXPECT_EQ(doc.opened, std::vector<std::string>{(Sub("alpha")).utf8_string()});
  EXPECT_EQ(tree->PathOf(tree->GetSelection()), root.utf8_string());
}

// The window takes its stored size after the current folder was scrolled into view.
TEST_F(FrameTest, TheCurrentFolderStaysInViewWhenTheTreeIsResized) {
  for (int i = 0; i < 40; ++i) wxFileName::Mkdir(root + wxString::Format("/f%02d", i));
  Close(true);
  frame = Start();
  CFoldersDlg* folders = frame->View()->m_pFoldersDlg;
  CFoldersTreeCtrl* tree = folders->Tree();
  const auto inView = [tree] {
    wxRect rect;
    return tree->GetBoundingRect(tree->GetSelection(), rect) && rect.GetTop() >= 0 &&
           rect.GetBottom() < tree->GetClientSize().y;
  };
  folders->SetSize(300, 700);
  doc.folder = (Sub("f39")).utf8_string();
  frame->View()->StartThumbnailBuilder();
  ASSERT_EQ(tree->PathOf(tree->GetSelection()), doc.folder);
  EXPECT_TRUE(PumpUntil(inView));
  folders->SetSize(300, 200);
  EXPECT_TRUE(PumpUntil([&] { return tree->GetClientSize().y <= 200 && inView(); }));
}

TEST_F(FrameTest, ExpandingAFolderReadsItsSubfoldersAgain) {
  wxFileName::Mkdir(Sub("Beta/inner"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  wxFileName::Mkdir(Sub("alpha"));
  Close(true);
  frame = Start();
  CFoldersTreeCtrl* tree = frame->View()->m_pFoldersDlg->Tree();
  const wxTreeItemId top = tree->FindFilled(root.utf8_string());
  ASSERT_TRUE(top.IsOk());
  tree->Expand(top);
  const wxTreeItemId beta = tree->FindFilled((Sub("Beta")).utf8_string());
  ASSERT_TRUE(beta.IsOk());
  tree->Expand(beta);

  wxFileName::Mkdir(Sub("Gamma"));
  wxFileName::Mkdir(Sub("Beta/new"));
  wxFileName::Rmdir(Sub("alpha"));
  auto children = [&](const wxTreeItemId& item) {
    std::vector<wxString> names;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk();
         c = tree->GetNextChild(item, cookie))
      names.push_back(tree->GetItemText(c));
    return names;
  };
  tree->Collapse(top);
  tree->Expand(top);
  EXPECT_EQ(children(top), (std::vector<wxString>{"Beta", "Gamma"}));
  EXPECT_EQ(tree->FindFilled((Sub("Beta")).utf8_string()), beta) << "kept, not rebuilt";
  tree->Collapse(beta);
  tree->Expand(beta);
  EXPECT_EQ(children(beta), (std::vector<wxString>{"inner", "new"}));

  // The last subfolder gone: no expand button any more.
  wxFileName::Rmdir(Sub("Beta/inner"));
  wxFileName::Rmdir(Sub("Beta/new"));
  tree->Collapse(beta);
  tree->Expand(beta);
  EXPECT_TRUE(children(beta).empty());
  EXPECT_FALSE(tree->ItemHasChildren(beta));
}

TEST_F(FrameTest, KeysForRefreshRedoUndoAndPrint) {
#ifdef __WXMSW__
  GTEST_SKIP() << "a Windows accelerator table cannot be asked which command a key gives";
#else
  const wxAcceleratorTable* keys = frame->GetAcceleratorTable();
  const struct {
    int key;
    int modifiers;
    int command;
  } cases[] = {
      {WXK_F5, wxMOD_NONE, ID_FOLDER_REFRESH},
      {'Y', wxMOD_CONTROL, ID_EDIT_REDO},
      {'Z', wxMOD_CONTROL | wxMOD_SHIFT, ID_EDIT_REDO},
      {'Z', wxMOD_CONTROL, ID_EDIT_UNDO},
      {WXK_BACK, wxMOD_ALT, ID_EDIT_UNDO},
      {'P', wxMOD_CONTROL, ID_FILE_PRINT},
  };
  for (const auto& c : cases) {
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = c.key;
    key.SetControlDown((c.modifiers & wxMOD_CONTROL) != 0);
    key.SetShiftDown((c.modifiers & wxMOD_SHIFT) != 0);
    key.SetAltDown((c.modifiers & wxMOD_ALT) != 0);
    EXPECT_EQ(ToCommandId(keys->GetCommand(key)), c.command) << c.key << " " << c.modifiers;
  }
#endif
}

}  // namespace
}  // namespace veilmark::app
