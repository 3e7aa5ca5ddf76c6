#include "app/app.h"

#include "app/app_document.h"
#include "app/folders_window.h"
#include "app/main_frame.h"
#include "app/wx_document_ui.h"
#include "core/document/settings.h"
#include "core/image/imaging.h"

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/stdpaths.h>

#ifdef __WXGTK3__
#include <dlfcn.h>
#endif

namespace veilmark::app {

namespace {
// GTK 3 hides the images beside menu items unless its "gtk-menu-images" setting is on; the
// menus here rely on them. The functions are looked up at run time because the program is
// built against wxWidgets alone, without GTK's headers.
void ShowMenuImages() {
#ifdef __WXGTK3__
  using GetDefault = void* (*)();
  using SetProperty = void (*)(void*, const char*, ...);
  auto getDefault = reinterpret_cast<GetDefault>(dlsym(RTLD_DEFAULT, "gtk_settings_get_default"));
  auto set = reinterpret_cast<SetProperty>(dlsym(RTLD_DEFAULT, "g_object_set"));
  if (!getDefault || !set) return;
  if (void* settings = getDefault()) set(settings, "gtk-menu-images", 1, nullptr);
#endif
}

// GTK themes pad toolbar buttons to twice the width of their 16-pixel images, so that the
// thirteen buttons no longer fit the main window's default width and four of them end up
// behind an overflow arrow. Padding like a classic toolbar's keeps them all in view.
void CompactToolbarButtons() {
#ifdef __WXGTK3__
  using NewProvider = void* (*)();
  using LoadData = int (*)(void*, const char*, long, void**);
  using DefaultScreen = void* (*)();
  using AddProvider = void (*)(void*, void*, unsigned);
  using Unref = void (*)(void*);
  auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
  auto load = reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
  auto screen = reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
  auto add = reinterpret_cast<AddProvider>(
      dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
  auto unref = reinterpret_cast<Unref>(dlsym(RTLD_DEFAULT, "g_object_unref"));
  if (!newProvider || !load || !screen || !add || !unref || !screen()) return;
  static const char css[] =
      "toolbar { padding: 1px 2px; }"
      "toolbar button { padding: 3px; min-width: 0; min-height: 0; }"
      "toolbar separator { margin-left: 3px; margin-right: 3px; }";
  void* provider = newProvider();
  constexpr unsigned kApplicationPriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
  if (load(provider, css, -1, nullptr)) add(screen(), provider, kApplicationPriority);
  unref(provider);
#endif
}
}  // namespace

std::string FindSamplesFolder(const wxString& executablePath) {
  // Beside the executable in the build tree, in the data folder once installed.
  wxFileName samples(executablePath);
  samples.AppendDir("Samples");
  if (!samples.DirExists()) {
    wxFileName installed(executablePath);
    installed.AppendDir("..");
    for (const char* dir : {"share", "veilmark", "Samples"}) installed.AppendDir(dir);
    installed.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    if (installed.DirExists()) samples = installed;
  }
  return samples.GetPath().utf8_string();
}

CLumicraftApp::CLumicraftApp() = default;
CLumicraftApp::~CLumicraftApp() = default;

bool CLumicraftApp::OnInit() {
  // A hostile image may trip a check inside wx's decoders during a folder scan; a release
  // build must not stop the user with an assertion dialog for it.
  wxDISABLE_ASSERTS_IN_RELEASE_BUILD();
  SetAppName("Veilmark");
  SetVendorName("Veilmark");
  SetAppDisplayName("Veilmark");
  image::InitImageHandlers();
  ShowMenuImages();
  CompactToolbarButtons();

  settings_ = OpenUserSettings();
  ui_ = std::make_unique<WxDocumentUi>();
  // The document reads the settings first; on the very first run it may show the
  // disclaimer before any window exists.
  doc_ = CreateDocument(*ui_, *settings_,
                        FindSamplesFolder(wxStandardPaths::Get().GetExecutablePath()));

  auto* frame = new CMainFrame(*doc_, *settings_);
  ui_->Attach(frame);
  SetTopWindow(frame);
  frame->InitialUpdate(DefaultFolderRoots());
  frame->ShowFirstTime();
  return true;
}

int CLumicraftApp::OnExit() {
  // The windows are gone; the document goes before the port it talks through.
  ui_->Attach(nullptr);
  doc_.reset();
  ui_.reset();
  settings_.reset();
  return wxApp::OnExit();
}

}  // namespace veilmark::app
