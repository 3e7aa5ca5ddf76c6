// The program's own artwork: icon, toolbar and menu images, and the pictures of the
// frame-colours legend. Everything is drawn with wxGraphicsContext at run time.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/image.h>

#include <vector>

namespace veilmark::res {

enum class Art {
  Extract,
  HideFile,
  HideMessage,
  Analyse,
  SelectFile,
  EnterMessage,
  UnselectFile,
  Passwords,
  Undo,
  Redo,
  EncryptFolder,
  DecryptFolder,
  OpenFolder,
  EncryptFile,
  DecryptFile,
  EncryptMessage,
  RefreshFolder,
  SamplesFolder,
  Exit,
  FrameColors,
  WebSite,
  Disclaimer,
  About,
  FoldersWindow,
  PreviewWindow,
  Folder,
  Home,
  Drive,
  Blank,
};

// One image of `size` x `size` pixels with alpha.
wxImage ArtImage(Art art, int size = 16);
wxBitmap ArtBitmap(Art art, int size = 16);

// The images beside menu items, by their resource number 1100..1122.
Art MenuArt(int resourceId);
// The toolbar strip: 18 images in button order (13 buttons, then spares).
std::vector<Art> ToolbarStrip();

// The program icon at any size; the window uses 16, 32, 48, 64 and 128 pixels.
wxImage ProgramIconImage(int size);
wxIconBundle ProgramIcons();

// Pictures of the frame-colours legend, resource numbers 1130..1135 (24-bit, no alpha).
wxImage LegendPicture(int resourceId);

}  // namespace veilmark::res
