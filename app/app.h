// CLumicraftApp: the application object. It opens the user's settings, builds the document,
// the main window and the tool windows, in that order, and shows the main window.
#pragma once

#include <wx/app.h>

#include <memory>
#include <string>

namespace veilmark {
class SettingsStore;
}

namespace veilmark::app {

class AppDocument;
class WxDocumentUi;

// The Samples folder: beside the executable, else <prefix>/share/veilmark/Samples when the
// executable lies in <prefix>/bin; the first when neither exists.
std::string FindSamplesFolder(const wxString& executablePath);

class CLumicraftApp : public wxApp {
 public:
  CLumicraftApp();
  ~CLumicraftApp() override;
  bool OnInit() override;
  int OnExit() override;

 private:
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<WxDocumentUi> ui_;
  std::unique_ptr<AppDocument> doc_;
};

}  // namespace veilmark::app
