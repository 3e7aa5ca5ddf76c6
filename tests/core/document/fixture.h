// A document on a fake user interface, in-memory settings and a temporary folder.
#pragma once

#include "core/document/document.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "tests/core/document/fake_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace veilmark::test {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("veilmark-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string str() const { return path_.u8string(); }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

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
