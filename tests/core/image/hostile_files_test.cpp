// Files that must never hang or crash the listing, the decoder or the folder scan.
#include "core/crypto/passwords.h"
#include "core/document/folder_scan.h"
#include "core/image/imaging.h"
#include "tests/core/image/test_support.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;
using testing::NoiseImage;
using testing::ScratchDir;
using Clock = std::chrono::steady_clock;

const fs::path kHostile = fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures/hostile-images";

std::string ReadAll(const fs::path& path) {
  std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
  std::ifstream(path, std::ios::binary)
      .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

TEST(ImageHandlers, ExactlyTheSixFormatsAreRegistered) {
  InitImageHandlers();  // a second call adds nothing
  std::multiset<wxBitmapType> types;
  for (const CodecInfo& c : ImageDecoders()) types.insert(c.type);
  EXPECT_EQ(types, (std::multiset<wxBitmapType>{wxBITMAP_TYPE_BMP, wxBITMAP_TYPE_PNG,
                                                wxBITMAP_TYPE_JPEG, wxBITMAP_TYPE_TIFF,
                                                wxBITMAP_TYPE_GIF, wxBITMAP_TYPE_ICO}));
}

// The reproducers that crashed a decoder; the four that only cost time and memory at the
// size limit are left to the measured scan of the whole folder.
TEST(HostileImages, ScanCrashesNothingAndFindsNothing) {
  const crypto::SlotKeyring keyring({"quintus4072", "", "", "", ""});
  const struct {
    const char* name;
    bool decodes;
  } cases[] = {
      {"count1_noicon.ani", false}, {"ilbm24.iff", false},         {"m0159_ilbm_rle.iff", false},
      {"bmp_rle4_odd.bmp", true},   {"m0163_rle4_real.bmp", true}, {"m0368_rle4_real.bmp", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = kHostile / c.name;
    ASSERT_TRUE(fs::exists(path));
    const auto start = Clock::now();
    const ScannedImage scanned = ScanImageFile(path, keyring, true);
    EXPECT_EQ(scanned.kind, 10);
    EXPECT_TRUE(scanned.thumbnail.IsOk());
    EXPECT_EQ(scanned.width != 0, c.decodes);
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(DecodeImageData(bytes.data(), bytes.size()).Empty(), !c.decodes);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  }
  // Formats dropped from the registered ones are not listed at all.
  for (const char* name : {"count1_noicon.ani", "ilbm24.iff"}) {
    EXPECT_FALSE(IsImageFile(kHostile / name)) << name;
  }
}

// wx's icon decoder shares the BMP loader's RLE path; icons never use RLE.
TEST(HostileImages, IconWithRleBitmapIsRefused) {
  std::string icon(
      "\0\0\1\0\1\0"  // icon, one image
      "\x10\x10\x10\0\1\0\4\0"
      "\0\0\0\0\x16\0\0\0",  // size filled below, data at 22
      22);
  std::string dib(40, '\0');
  dib[0] = 40;
  dib[4] = 16;                   // width
  dib[8] = 32;                   // height: image and mask
  dib[12] = 1;                   // planes
  dib[14] = 4;                   // bits
  dib[16] = 2;                   // RLE4
  dib += std::string(64, '\0');  // palette
  dib += std::string("\xFF\x12\xFF\x34\xFF\x56\0\1", 8);
  icon += dib;
  icon[14] = static_cast<char>(dib.size());
  EXPECT_TRUE(DecodeImageData(icon.data(), icon.size()).Empty());
}

TEST(ImageFiles, OnlyRegularFilesAreOpened) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes, devices and symbolic links of the file system: POSIX only";
#else
  ScratchDir dir;
  ASSERT_TRUE(SaveImage(NoiseImage(4, 4, false), dir / "real.png", "image/png"));
  // A pipe named like an image: opening it for reading would wait for a writer forever.
  ASSERT_EQ(::mkfifo((dir / "a.png").c_str(), 0600), 0);
  fs::create_directory(dir / "folder.png");
  fs::create_symlink(dir / "a.png", dir / "link.png");
  fs::create_symlink(dir / "real.png", dir / "good-link.png");
  const auto start = Clock::now();
  for (const fs::path& path : {dir / "a.png", dir / "folder.png", dir / "link.png",
                               fs::path("/dev/zero"), fs::path("/dev/null")}) {
    SCOPED_TRACE(path.string());
    EXPECT_FALSE(IsImageFile(path));
    EXPECT_TRUE(DecodeImageFile(path).Empty());
    EXPECT_FALSE(ReadImageFileBytes(path).has_value());
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(IsImageFile(dir / "good-link.png"));
  EXPECT_EQ(DecodeImageFile(dir / "good-link.png").Width(), 4);

  // Files above the limit are not read at all.
  const auto size = fs::file_size(dir / "real.png");
  EXPECT_TRUE(ReadImageFileBytes(dir / "real.png", size).has_value());
  EXPECT_FALSE(ReadImageFileBytes(dir / "real.png", size - 1).has_value());
#endif
}

// A file rewritten while it is decoded gives some picture or none, never a crash.
TEST(ImageFiles, FileRewrittenWhileDecodedNeverCrashes) {
  ScratchDir dir;
  const fs::path path = dir / "moving.tif";
  ASSERT_TRUE(SaveImage(NoiseImage(300, 200, false), path, "image/tiff"));
  const std::string full = ReadAll(path);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (std::size_t round = 0; !stop; ++round) {
      // Rewritten in place: shorter, longer, with its directory moved about.
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      const std::size_t cut = (round * 7919) % full.size();
      out.write(full.data(), static_cast<std::streamsize>(round % 2 ? cut : full.size()));
      if (round % 3 == 0) out << std::string(cut % 4096, '\x55');
    }
  });
  const auto end = Clock::now() + std::chrono::milliseconds(600);
  int decoded = 0;
  while (Clock::now() < end) {
    const ArgbImage image = DecodeImageFile(path);
    if (!image.Empty()) ++decoded;
    IsImageFile(path);
  }
  stop = true;
  writer.join();
  SUCCEED() << decoded << " complete decodes";
}

}  // namespace
}  // namespace veilmark::image
