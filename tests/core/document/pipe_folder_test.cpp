// Opening a folder never waits on a pipe or a device that looks like an image.
#include "tests/core/document/fixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>

namespace veilmark::test {
namespace {

TEST_F(DocumentTest, OpenFolderSkipsPipesWithoutWaiting) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes and symbolic links of the file system: POSIX only";
#else
  WritePng(folder / "b.png", 40, 30);
  ASSERT_EQ(::mkfifo((folder / "a.png").c_str(), 0600), 0);
  fs::create_symlink(folder / "a.png", folder / "c.png");
  const auto start = std::chrono::steady_clock::now();
  doc->OpenFolder(folder.str());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(doc->ImageNames(), (std::vector<std::string>{"b.png"}));
  doc->OnThumbnailSelected(0);
  ASSERT_NE(doc->WorkingImage(), nullptr);
  EXPECT_EQ(doc->WorkingImage()->Width(), 40);
#endif
}

}  // namespace
}  // namespace veilmark::test
