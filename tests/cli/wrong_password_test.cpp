// decrypt and decrypt-folder never destroy a .cry file on the evidence of its padding alone.
#include "core/crypto/cipher.h"

#include "tests/cli/cli_support.h"

namespace veilmark::clitest {
namespace {

// The last block of this .cry decrypts to a valid one-byte padding under both wrong
// passwords (found by search); the right one leaves a five-byte padding.
constexpr char kPlain[] = "Quarterly figures, draft 3\n";

TEST_F(CliTest, ChanceFitsKeepTheCryRecoverable) {
  const std::string cry = crypto::EncryptBytes(crypto::DeriveKeyAndIV("right-password"), kPlain);
  enum class Cry { kInPlace, kInTrash };
  struct Case {
    const char* args;
    const char* passwords;
    int code;
    const char* says;
    bool decrypted;
    Cry where;
    bool trashBlocked = false;  // a file stands where the trash folder should be
  } cases[] = {
      {"decrypt --password-file pw doc.cry", "right-password\n", 0, "File decrypted successfully.",
       true, Cry::kInTrash},
      {"decrypt --keep --password-file pw doc.cry", "right-password\n", 0,
       "File decrypted successfully.", true, Cry::kInPlace},
      {"decrypt --password-file pw doc.cry", "right-password\n", 1,
       "but the .cry file was kept: the trash could not take it", true, Cry::kInPlace, true},
      {"decrypt --password-file pw doc.cry", "wrong-607\n", 0,
       "File possibly decrypted: a wrong password passes its check 1 time in 256, so check it; "
       "the .cry file is in the trash.",
       true, Cry::kInTrash},
      {"decrypt --password-file pw doc.cry", "wrong-607\nwrong-665\n", 1,
       "more than one password fits it; the file was left as it is (give only its own password)",
       false, Cry::kInPlace},
      {"decrypt-folder . --password-file pw", "wrong-607\n", 0,
       "1 files successfully decrypted (1 of them only possibly: a wrong password passes that "
       "check 1 time in 256; the .cry files are in the trash)",
       true, Cry::kInTrash},
      {"decrypt-folder . --keep --password-file pw", "right-password\n", 0,
       "1 files successfully decrypted", true, Cry::kInPlace},
      {"decrypt-folder . --password-file pw", "wrong-607\nwrong-665\n", 1,
       "'doc.cry': NOT decrypted: more than one password fits it; left as it is (give only its "
       "own password)",
       false, Cry::kInPlace},
      {"decrypt-folder . --password-file pw", "right-password\nwrong-665\n", 0,
       "1 files successfully decrypted", true, Cry::kInTrash},
  };
  const fs::path trashed = home_ / "data" / "Trash" / "files" / "doc.cry";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.args) + " / " + c.passwords);
    WriteFile(Path("doc.cry"), cry);
    Passwords(c.passwords);
    if (c.trashBlocked) {
      fs::create_directories(home_ / "data");
      WriteFile(home_ / "data" / "Trash", "not a folder");
    }
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
    EXPECT_EQ(fs::exists(Path("doc")), c.decrypted);
    if (c.where == Cry::kInPlace) {
      EXPECT_EQ(ReadFile(Path("doc.cry")), cry);
      EXPECT_FALSE(fs::exists(trashed));
    } else {
      EXPECT_FALSE(fs::exists(Path("doc.cry")));
      EXPECT_EQ(ReadFile(trashed), cry);
    }
    std::error_code ec;
    fs::remove(Path("doc"), ec);
    fs::remove_all(home_ / "data", ec);
  }
}

}  // namespace
}  // namespace veilmark::clitest
