// The real document behind the windows' interface: a folder scan's thumbnails are made on
// several workers at once (run it under ThreadSanitizer too).
#include "app/app_document.h"
#include "app/thumbnail_builder.h"
#include "core/document/document_ui.h"
#include "core/document/settings.h"
#include "gui_test_util.h"
#include "tests/support/null_document_ui.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

namespace veilmark::app {
namespace {

class QuietUi : public test::NullDocumentUi {
 public:
  void SetStatusText(const std::string& text) override { status = text; }
  void StartThumbnailBuilder() override { ++starts; }
  void RunOnUiThread(std::function<void()> task) override { wxTheApp->CallAfter(task); }
  YesNoCancel AskYesNoCancel(const std::string&, const std::string&, MessageIcon) override {
    return YesNoCancel::kNo;
  }

  std::string status;
  int starts = 0;
};

TEST(DocumentAdapter, ScansAFolderAndMakesItsThumbnailsOnSeveralWorkers) {
  wxString dir = wxFileName::CreateTempFileName("vmdoc");
  wxRemoveFile(dir);
  wxFileName::Mkdir(dir);
  for (int i = 0; i < 6; ++i) {
    wxImage image(120 + i * 40, 90);
    image.SetRGB(wxRect(0, 0, image.GetWidth(), image.GetHeight()), 40 * i, 120, 200);
    ASSERT_TRUE(image.SaveFile(wxString::Format("%s/Picture%d.png", dir, i), wxBITMAP_TYPE_PNG));
  }
  QuietUi ui;
  MemorySettingsStore settings;
  auto doc = CreateDocument(ui, settings, "");
  doc->OpenFolder(dir.utf8_string());
  EXPECT_EQ(ui.starts, 1);
  EXPECT_EQ(ui.status, "Files: 6 (Images: 6  Encrypted: 0)");
  const std::vector<std::string> names = doc->ImageNames();
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ(names[0], "picture0.png");

  std::vector<std::string> paths;
  for (std::size_t i = 0; i < names.size(); ++i)
    paths.push_back(doc->ImagePath(static_cast<int>(i)));
  ThumbnailBuilder builder([](std::function<void()> task) { wxTheApp->CallAfter(task); }, 3);
  std::vector<ThumbnailResult> results(paths.size());
  bool finished = false;
  builder.Start(
      paths, doc->MakeThumbnailMaker(),
      [&](int i, ThumbnailResult r) { results[static_cast<std::size_t>(i)] = std::move(r); },
      [&] { finished = true; });
  ASSERT_TRUE(test::PumpUntil([&] { return finished; }, 20000));
  for (const ThumbnailResult& r : results) {
    EXPECT_EQ(r.kind, kKindPlain);
    ASSERT_TRUE(r.thumb.IsOk());
    EXPECT_EQ(r.thumb.GetSize(), wxSize(150, 135));
  }
  doc.reset();
  wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
}

}  // namespace
}  // namespace veilmark::app
