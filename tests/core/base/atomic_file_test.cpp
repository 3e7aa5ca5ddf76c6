// Atomic file writing: a target that appears meanwhile, and the temporary files left by
// killed writers (which ones a later run removes).
#include "core/base/atomic_file.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <chrono>

namespace veilmark::base {
namespace {

using testutil::ReadFile;
using testutil::WriteFile;
namespace fs = std::filesystem;

class TemporaryFilesTest : public testutil::TempFolder {
 protected:
  // Dates the file back as if its writer had stopped `age` ago.
  void Age(const fs::path& path, std::chrono::seconds age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
  }
};

// The target may appear while the output is being written: it is still not replaced.
TEST_F(TemporaryFilesTest, TargetAppearingDuringWriteIsKept) {
  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace);
    AtomicFileWriter writer(Path("target"));
    ASSERT_TRUE(writer.Create());
    ASSERT_TRUE(writer.Write("new", 3));
    WriteFile(Path("target"), "appeared meanwhile");
    EXPECT_EQ(writer.Commit(replace, 0644),
              replace ? CommitResult::kOk : CommitResult::kTargetExists);
    EXPECT_EQ(ReadFile(Path("target")), replace ? "new" : "appeared meanwhile");
    EXPECT_EQ(Names(), std::vector<std::string>{"target"});
    fs::remove(Path("target"));
  }
}

TEST(TemporaryFileNames, OnlyTheWritersPattern) {
  const struct {
    const char* name;
    bool ours;
  } cases[] = {
      {".aB3dE5gH7jK9.vmtmp", true},      {".000000000000.vmtmp", true},
      {"aB3dE5gH7jK9.vmtmp", false},    // no leading dot
      {".aB3dE5gH7jK.vmtmp", false},    // 11 characters
      {".aB3dE5gH7jK9x.vmtmp", false},  // 13 characters
      {".aB3dE5-H7jK9.vmtmp", false},   // not a letter or digit
      {".aB3dE5gH7jK9.vmtmp.txt", false}, {".aB3dE5gH7jK9.VMTMP", false},
      {".aB3dE5gH7jK9.tmp", false},       {"holiday.jpg", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(base::IsTemporaryFileName(fs::u8path(c.name)), c.ours) << c.name;
}

#ifndef _WIN32
TEST_F(TemporaryFilesTest, RemovesOnlyOldUnlockedFilesOfThePattern) {
  using std::chrono::seconds;
  const seconds old{base::kStaleTemporaryAge + seconds(60)};
  WriteFile(Path("user.txt"), "the user's file");
  const struct {
    const char* name;
    seconds age;
    bool removed;
  } cases[] = {
      {".staleAAAAAAA.vmtmp", old, true},
      {".freshAAAAAAA.vmtmp", seconds(0), false},  // its writer may just be starting
      {".almostAAAAAA.vmtmp", base::kStaleTemporaryAge / 2, false},
      {"staleAAAAAAAA.vmtmp", old, false},  // not our name
      {".staleAAAAAAA.vmtmp.bak", old, false},
  };
  for (const auto& c : cases) {
    WriteFile(Path(c.name), "plaintext");
    Age(Path(c.name), c.age);
  }
  // A folder and a link by our name are not our files; the link's target stays too.
  fs::create_directory(Path(".folderAAAAAA.vmtmp"));
  fs::create_symlink(Path("user.txt"), Path(".linkAAAAAAAA.vmtmp"));
  Age(Path("user.txt"), old);
  // Locked by a live writer (another open file, as in another process): kept at any age.
  const int held = ::open(Path(".heldAAAAAAAA.vmtmp").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  Age(Path(".heldAAAAAAAA.vmtmp"), old);

  EXPECT_EQ(base::RemoveStaleTemporaryFiles(dir_), 1);
  for (const auto& c : cases) EXPECT_EQ(fs::exists(Path(c.name)), !c.removed) << c.name;
  EXPECT_TRUE(fs::is_directory(Path(".folderAAAAAA.vmtmp")));
  EXPECT_TRUE(fs::is_symlink(Path(".linkAAAAAAAA.vmtmp")));
  EXPECT_EQ(ReadFile(Path("user.txt")), "the user's file");
  EXPECT_TRUE(fs::exists(Path(".heldAAAAAAAA.vmtmp")));

  ::close(held);  // its writer died: the lock is gone
  EXPECT_EQ(base::RemoveStaleTemporaryFiles(dir_), 1);
  EXPECT_FALSE(fs::exists(Path(".heldAAAAAAAA.vmtmp")));
}
#else
TEST_F(TemporaryFilesTest, RemovesOnlyOldUnlockedFilesOfThePattern) {
  GTEST_SKIP() << "the other writer is played with flock and the link with a symlink: POSIX only";
}
#endif

// The writer holds its lock from creation until its file has its final name, so a clean-up
// at any point in between leaves it alone, however long the writer pauses.
TEST_F(TemporaryFilesTest, LiveWriterIsNeverDisturbed) {
  base::AtomicFileWriter writer(Path("target"));
  ASSERT_TRUE(writer.Create());
  ASSERT_TRUE(writer.Write("secret", 6));
  Age(writer.TemporaryPath(), base::kStaleTemporaryAge * 10);
  EXPECT_EQ(base::RemoveStaleTemporaryFiles(dir_), 0);
  ASSERT_TRUE(fs::exists(writer.TemporaryPath()));
  EXPECT_EQ(writer.Commit(false, 0600), base::CommitResult::kOk);
  EXPECT_EQ(ReadFile(Path("target")), "secret");
  EXPECT_EQ(Names(), std::vector<std::string>{"target"});
}

}  // namespace
}  // namespace veilmark::base
