// The folder loops: finishing an encryption that was stopped before its source was
// deleted, and saying why a file was not done.
#include "core/crypto/folder_crypt.h"

#include "core/crypto/files.h"
#include "tests/core/crypto/test_files.h"

#include <gtest/gtest.h>

#include <map>

namespace veilmark::crypto {
namespace {

using testutil::PatternBytes;
using testutil::ReadFile;
using testutil::WriteFile;
namespace fs = std::filesystem;

constexpr std::size_t kMiB = std::size_t{1} << 20;

class FolderCryptTest : public testutil::TempFolder {
 protected:
  const KeyAndIV keys_ = DeriveKeyAndIV("quintus4072");
};

// Sizes around the block size and the 1 MiB chunk; the mismatch hides in the last byte,
// the last padding byte, or the lengths.
TEST_F(FolderCryptTest, DecryptsToSameBytesComparesEveryByte) {
  const KeyAndIV other = DeriveKeyAndIV("another-password");
  for (const std::size_t size : {std::size_t{0}, std::size_t{15}, std::size_t{16}, kMiB + 5}) {
    SCOPED_TRACE(size);
    const std::string plain = PatternBytes(size, 3);
    WriteFile(Path("plain"), plain);
    WriteFile(Path("good.cry"), EncryptBytes(keys_, plain));
    EXPECT_TRUE(DecryptsToSameBytes(Path("good.cry"), Path("plain"), keys_));
    EXPECT_FALSE(DecryptsToSameBytes(Path("good.cry"), Path("plain"), other));
    EXPECT_FALSE(DecryptsToSameBytes(Path("good.cry"), Path("good.cry"), keys_));

    std::string changed = plain + "x";
    changed.back() ^= 1;
    WriteFile(Path("longer.cry"), EncryptBytes(keys_, plain + "x"));
    WriteFile(Path("changed.cry"), EncryptBytes(keys_, changed));
    WriteFile(Path("longer"), plain + "x");
    EXPECT_FALSE(DecryptsToSameBytes(Path("longer.cry"), Path("plain"), keys_));
    EXPECT_FALSE(DecryptsToSameBytes(Path("good.cry"), Path("longer"), keys_));
    EXPECT_FALSE(DecryptsToSameBytes(Path("changed.cry"), Path("longer"), keys_));

    // All the data right, the padding bytes not: CBC without the final block gives it.
    const std::string raw = EncryptBytes(keys_, plain + std::string(16 - size % 16, '\x01'));
    WriteFile(Path("badpad.cry"), raw.substr(0, raw.size() - 16));
    if (size % 16 != 15) {  // there 0x01 is the right padding
      EXPECT_FALSE(DecryptsToSameBytes(Path("badpad.cry"), Path("plain"), keys_));
    }
  }
}

// A run killed between writing a .cry file and deleting its source leaves both. The next
// run finishes the job only when the .cry file is exactly that file under this password.
TEST_F(FolderCryptTest, BothPresentIsFinishedOnlyOnExactMatch) {
  const std::string big = PatternBytes(kMiB + 100, 9);
  const struct {
    const char* name;
    std::string plain;
    std::string cry;  // what the existing .cry file holds
    bool finished;
  } cases[] = {
      {"done.txt", "finished text", EncryptBytes(keys_, "finished text"), true},
      {"big.bin", big, EncryptBytes(keys_, big), true},
      {"other.txt", "the user's text", EncryptBytes(keys_, "another text"), false},
      {"password.txt", "same text", EncryptBytes(DeriveKeyAndIV("not-this-one"), "same text"),
       false},
      {"garbage.txt", "some text", PatternBytes(32), false},
      {"cut.bin", big, EncryptBytes(keys_, big).substr(0, kMiB), false},
  };
  std::vector<fs::path> files;
  for (const auto& c : cases) {
    WriteFile(Path(c.name), c.plain);
    WriteFile(Path(std::string(c.name) + ".cry"), c.cry);
    files.push_back(Path(c.name));
  }
  std::map<std::string, std::string> reports;
  const FolderCryptResult result =
      EncryptFolderFiles(files, keys_, {}, [&](const fs::path& file, const std::string& what) {
        reports[file.filename().string()] = what;
      });
  EXPECT_EQ(result.done, 2);
  EXPECT_EQ(result.skipped, 4);
  EXPECT_EQ(result.failed, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ReadFile(Path(std::string(c.name) + ".cry")) == c.cry);
    EXPECT_EQ(fs::exists(Path(c.name)), !c.finished);
    if (c.finished) {
      EXPECT_EQ(reports.count(c.name), 0u);
    } else {
      EXPECT_TRUE(ReadFile(Path(c.name)) == c.plain);
      EXPECT_EQ(reports[c.name], "Not encrypted: " + std::string(c.name) +
                                     ".cry already exists and is not this file encrypted with "
                                     "this password; both files are kept.");
    }
  }
}

TEST(FolderStatus, DecryptionSaysWhyNothingWasDone) {
  const struct {
    FolderCryptResult result;
    const char* text;
  } cases[] = {
      {{0, 0, 3, false, 0, 0}, "No files have been decrypted, wrong password"},
      {{0, 1, 0, false, 0, 0},
       "No files have been decrypted, wrong password (1 file skipped: its output already "
       "exists)"},
      {{0, 0, 3, false, 0, 3},
       "No files have been decrypted; 3 files not written: the folder is read-only or the disk "
       "is full"},
      {{2, 0, 2, false, 1, 1},
       "2 files successfully decrypted; 1 file not written: the folder is read-only or the "
       "disk is full; 1 file cannot be read"},
      {{4, 0, 1, false, 0, 0}, "4 files successfully decrypted"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecryptFolderStatus(c.result), c.text);
}

}  // namespace
}  // namespace veilmark::crypto
