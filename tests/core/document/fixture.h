// A document on a fake user interface, in-memory settings and a temporary folder.
#pragma once

#include "core/document/document.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "tests/core/document/fake_ui.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace veilmark::test {

namespace fs = std::filesystem;

using TempFolder = testutil::ScratchFolder;

using testutil::ReadFile;
using testutil::WriteFile;

// A noisy opaque image, so that hiding changes some pixels and not others.
inline image::ArgbImage NoiseImage(int width, int height, unsigned seed = 7) {
  image::ArgbImage img(width, height);
  std::mt19937 gen(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) img.SetPixel(x, y, 0xFF000000u | (gen() & 0xFFFFFFu));
  return img;
}

inline void WritePng(const fs::path& path, int width, int height, unsigned seed = 7) {
  ASSERT_TRUE(image::SaveImage(NoiseImage(width, height, seed), path, "image/png"));
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.WriteInt("VeilmarkData", 0);  // not the first run
    settings.WriteString("PasswordCry01", "quintus4072");
    doc = std::make_unique<CLumicraftDoc>(ui, settings, (folder / "Samples").u8string());
  }

  // Opens the temporary folder and selects the image listed as `name`.
  void OpenAndSelect(const std::string& name) {
    doc->OpenFolder(folder.str());
    const auto it = std::find(doc->ImageNames().begin(), doc->ImageNames().end(), name);
    ASSERT_NE(it, doc->ImageNames().end()) << name;
    doc->OnThumbnailSelected(static_cast<int>(it - doc->ImageNames().begin()));
    ASSERT_NE(doc->WorkingImage(), nullptr);
  }

  // What the thumbnail builder would find for every listed image.
  void DetectAll() {
    for (int i = 0; i < static_cast<int>(doc->ImageNames().size()); ++i) {
      const image::ArgbImage img = image::DecodeImageFile(fs::u8path(doc->ImagePath(i)));
      std::string name, message;
      doc->SetImageKind(i, doc->ReadHiddenPayload(img, true, DEST_MESSAGE, name, message));
    }
  }

  TempFolder folder;
  FakeUi ui;
  MemorySettingsStore settings;
  std::unique_ptr<CLumicraftDoc> doc;
};

}  // namespace veilmark::test
