#include "app/menus.h"

#include "core/base/wx_text.h"
#include "core/document/command_ids.h"

#include <wx/menu.h>
#include <wx/toolbar.h>

namespace veilmark::app {

const std::vector<MenuDef>& MenuTable() {
  static const std::vector<MenuDef> table = {
      {"&File",
       {{image::ID_FILE_EXTRACT_HIDDEN, "&Extract hidden file",
         "Extract hidden file from Image Preview\nExtract hidden file", 1100},
        {0, nullptr, nullptr, 0},
        {image::ID_FILE_SAVE_PNG, "&Save PNG", "Save image in PNG format\nSave PNG", 0},
        {image::ID_FILE_SAVE_BMP, "Save &BMP", "Save image in BMP format\nSave BMP", 0},
        {image::ID_FILE_SAVE_TIFF, "Save &TIFF", "Save image in TIFF format\nSave TIFF", 0},
        {image::ID_FILE_SAVE_JPG, "Save &JPG", "Save image in JPEG format\nSave JPEG", 0},
        {image::ID_FILE_SAVE_GIF, "Save &GIF", "Save image in GIF format\nSave GIF", 0},
        {0, nullptr, nullptr, 0},
        {image::ID_FILE_PRINT, "&Print ...\tCtrl+P", "Print image\nPrint image", 0},
        {image::ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Print image preview\nPrint image preview",
         0},
        {image::ID_FILE_PRINT_SETUP, "P&rint Setup ...",
         "Change the printer and printing options\nPrint setup", 0},
        {0, nullptr, nullptr, 0},
        {image::ID_APP_EXIT, "E&xit", "Quit Veilmark\nQuit Veilmark", 1117}}},
      {"&Hide",
       {{image::ID_HIDE_SELECT_FILE, "&Select file to hide",
         "Select the file to hide within Image Preview\nSelect file to hide", 1103},
        {image::ID_HIDE_UNSELECT_FILE, "&Unselect file to hide",
         "Unselect file to hide\nUnselect file to hide", 1105},
        {image::ID_HIDE_FILE, "&Hide file within Image Preview",
         "Hide selected file within Image Preview\nHide file within Image Preview", 1101},
        {0, nullptr, nullptr, 0},
        {image::ID_HIDE_FILE_DISPLAY, "<No file to hide selected>",
         "Shows de selected file to hide", 0, true},
        {0, nullptr, nullptr, 0},
        {image::ID_HIDE_ENTER_MESSAGE, "&Enter secret message to hide",
         "Enter message to hide within Image Preview\nEnter message to hide", 1104},
        {image::ID_HIDE_MESSAGE, "Hide secret &message within Image Preview",
         "Hide message within Image Preview\nHide message within Image Preview", 1102},
        {0, nullptr, nullptr, 0},
        {image::ID_HIDE_MESSAGE_DISPLAY, "<No secret message to hide>", "Shows message to hide", 0,
         true},
        {0, nullptr, nullptr, 0},
        {image::ID_HIDE_ANALYSE, "&Analyse image",
         "Show how detectable hidden data in Image Preview would be\nAnalyse image", 1122}}},
      {"&Encrypt",
       {{image::ID_ENCRYPT_FILE, "&Encrypt file", "Selected a file to encrypt\nEncrypt file", 1112},
        {image::ID_DECRYPT_FILE, "&Decrypt file", "Selected a file to decrypt\nDecrypt file", 1113},
        {0, nullptr, nullptr, 0},
        {image::ID_ENCRYPT_FOLDER, "Encrypt &folder",
         "Encrypts all files in a folder\nEncrypt folder files", 1109},
        {image::ID_DECRYPT_FOLDER, "De&crypt folder",
         "Decrypts all files in a folder\nDecrypt folder files", 1110},
        {0, nullptr, nullptr, 0},
        {image::ID_ENCRYPT_MESSAGE, "Encrypt / Decrypt &message",
         "Encrypt and decrypt a message\nEncrypt/Decrypt message", 1114}}},
      {"&Settings",
       {{image::ID_SETTINGS_PASSWORDS, "&Passwords",
         "Set the encryption and decryption passwords\nEncryption/Decryption passwords", 1106}}},
      {"E&dit",
       {{image::ID_EDIT_UNDO, "&Undo", "Undo the last action\nUndo", 1107},
        {image::ID_EDIT_REDO, "&Redo", "Redo the previously undone action\nRedo", 1108},
        {0, nullptr, nullptr, 0},
        {image::ID_EDIT_MIRROR, "Mirror", "Mirror\nMirror", 0},
        {image::ID_EDIT_FLIP, "Flip", "Flip\nFlip", 0},
        {image::ID_EDIT_ROTATE_RIGHT, "Rotate Right 90°", "Rotate 90° to Right\nRotate Right 90°",
         0},
        {image::ID_EDIT_ROTATE_LEFT, "Rotate Left 90°", "Rotate 90° to Left\nRotate Left 90°", 0},
        {0, nullptr, nullptr, 0},
        {image::ID_EDIT_GRAYSCALE, "Grayscale", "Grayscale\nGrayscale", 0},
        {image::ID_EDIT_NEGATIVE, "Negative", "Negative\nNegative", 0},
        {image::ID_EDIT_GAMMA, "Gamma Colors ...", "Gamma Colors\nGamma Colors", 0},
        {image::ID_EDIT_THRESHOLD, "Threshold ...", "Threshold\nThreshold", 0},
        {0, nullptr, nullptr, 0},
        {image::ID_EDIT_LIGHTEN, "Lighten", "Lighten\nLighten", 0},
        {image::ID_EDIT_DARKEN, "Darken", "Darken\nDarken", 0},
        {image::ID_EDIT_CONTRAST, "Contrast", "Contrast\nContrast", 0},
        {image::ID_EDIT_SHARPEN, "Sharpen", "Sharpen\nSharpen", 0}}},
      {"&View",
       {{image::ID_FOLDER_REFRESH, "&Refresh folder",
         "Refresh folder to see changed contents\nRefresh folder", 1115},
        {0, nullptr, nullptr, 0},
        {image::ID_FOLDER_SAMPLES, "S&amples folder", "Go to Samples folder\nGo to Samples folder",
         1116},
        {0, nullptr, nullptr, 0},
        {image::ID_VIEW_TOOLBAR, "&ToolBar", "Show or hide the ToolBar\nToggle ToolBar", 0, true},
        {image::ID_VIEW_STATUS_BAR, "&StatusBar", "Show or hide the StatusBar\nToggle StatusBar", 0,
         true},
        {image::ID_VIEW_FOLDERS, "&Folders window",
         "Show or hide the Folders window\nToggle Folders window", 0, true},
        {image::ID_VIEW_PREVIEW, "&Image Preview window",
         "Show or hide the Image Preview window\nToggle Image Preview", 0, true}}},
      {"Hel&p",
       {{image::ID_HELP_FRAME_COLORS, "&Frame colors of the thumbnails",
         "Frame colors of the thumbnails\nFrame colors of the thumbnails", 1118},
        {image::ID_HELP_WEB_SITE, "&Go to Veilmark Official Web Site",
         "Go to Veilmark Official Web site\nGo to Official Veilmark Web Site", 1119},
        {0, nullptr, nullptr, 0},
        {image::ID_HELP_DISCLAIMER, "&DISCLAIMER", "DISCLAIMER\nDISCLAIMER", 1120},
        {image::ID_HELP_ABOUT, "&About", "About Veilmark application\nAbout Veilmark\n", 1121}}},
  };
  return table;
}

const CommandDef* FindCommand(int id) {
  for (const MenuDef& menu : MenuTable())
    for (const CommandDef& item : menu.items)
      if (item.id == id && id != 0) return &item;
  return nullptr;
}

std::string StatusPrompt(const CommandDef& command) {
  const std::string prompt = command.prompt ? command.prompt : "";
  return prompt.substr(0, prompt.find('\n'));
}

std::string Tooltip(const CommandDef& command) {
  const std::string prompt = command.prompt ? command.prompt : "";
  const auto nl = prompt.find('\n');
  if (nl == std::string::npos) return {};
  const std::string rest = prompt.substr(nl + 1);
  return rest.substr(0, rest.find('\n'));
}

const std::vector<ToolDef>& ToolbarTable() {
  static const std::vector<ToolDef> table = {
      {image::ID_FILE_EXTRACT_HIDDEN, res::Art::Extract},
      {0, res::Art::Blank},
      {image::ID_HIDE_SELECT_FILE, res::Art::SelectFile},
      {image::ID_HIDE_UNSELECT_FILE, res::Art::UnselectFile},
      {image::ID_HIDE_FILE, res::Art::HideFile},
      {0, res::Art::Blank},
      {image::ID_HIDE_ENTER_MESSAGE, res::Art::EnterMessage},
      {image::ID_HIDE_MESSAGE, res::Art::HideMessage},
      {image::ID_HIDE_ANALYSE, res::Art::Analyse},
      {0, res::Art::Blank},
      {image::ID_SETTINGS_PASSWORDS, res::Art::Passwords},
      {0, res::Art::Blank},
      {image::ID_EDIT_UNDO, res::Art::Undo},
      {image::ID_EDIT_REDO, res::Art::Redo},
      {0, res::Art::Blank},
      {image::ID_VIEW_FOLDERS, res::Art::FoldersWindow, true},
      {image::ID_VIEW_PREVIEW, res::Art::PreviewWindow, true},
      {0, res::Art::Blank},
      {image::ID_FOLDER_REFRESH, res::Art::RefreshFolder},
      {0, res::Art::Blank},
      {0, res::Art::Blank},
      {image::ID_APP_EXIT, res::Art::Exit},
  };
  return table;
}

wxMenuBar* BuildMenuBar() {
  auto* bar = new wxMenuBar;
  for (const MenuDef& def : MenuTable()) {
    auto* menu = new wxMenu;
    for (const CommandDef& c : def.items) {
      if (c.id == 0) {
        menu->AppendSeparator();
        continue;
      }
      auto* item =
          new wxMenuItem(menu, ToWxId(c.id), FromUtf8(c.text), FromUtf8(StatusPrompt(c).c_str()),
                         c.check ? wxITEM_CHECK : wxITEM_NORMAL);
      if (c.bitmap) item->SetBitmap(res::ArtBitmap(res::MenuArt(c.bitmap)));
      menu->Append(item);
    }
    bar->Append(menu, FromUtf8(def.title));
  }
  return bar;
}

void FillToolBar(wxToolBar* toolbar) {
  toolbar->SetToolBitmapSize(wxSize(16, 16));
  for (const ToolDef& tool : ToolbarTable()) {
    if (tool.id == 0) {
      toolbar->AddSeparator();
      continue;
    }
    const CommandDef* command = FindCommand(tool.id);
    const wxString tip = command ? FromUtf8(Tooltip(*command).c_str()) : wxString();
    const wxString prompt = command ? FromUtf8(StatusPrompt(*command).c_str()) : wxString();
    toolbar->AddTool(ToWxId(tool.id), tip, res::ArtBitmap(tool.art), wxNullBitmap,
                     tool.check ? wxITEM_CHECK : wxITEM_NORMAL, tip, prompt);
  }
  toolbar->Realize();
}

}  // namespace veilmark::app
