// The desktop program's stored password slots, used when no password option is given.
#include "core/crypto/cipher.h"
#include "core/crypto/files.h"
#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <string>

namespace veilmark::clitest {
namespace {

TEST_F(CliTest, SlotsShowsDefinedAndSelectedButNeverPasswords) {
  const struct {
    crypto::PasswordSlots slots;
    long selected;
    const char* expected;
  } cases[] = {
      {{"", "second-pw", "", "fourth-pw", ""},
       3,
       "slot 1: empty\nslot 2: defined\nslot 3: empty\nslot 4: defined (selected)\n"
       "slot 5: empty\n"},
      {{"first-pw", "", "", "", "fifth-pw"},
       7,  // outside 0..4: slot 1
       "slot 1: defined (selected)\nslot 2: empty\nslot 3: empty\nslot 4: empty\n"
       "slot 5: defined\n"},
      {{"", "", "", "", ""},
       -1,
       "slot 1: empty (selected)\nslot 2: empty\nslot 3: empty\nslot 4: empty\nslot 5: empty\n"},
  };
  for (const auto& c : cases) {
    StoreSlots(c.slots, c.selected);
    const Result r = Run("slots");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
    for (const std::string& password : c.slots) {
      if (!password.empty()) {
        EXPECT_FALSE(Contains(r.out + r.err, password));
      }
    }
  }
}

TEST_F(CliTest, WithoutStoredSettingsNothingIsCreated) {
  const Result r = Run("slots");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "slot 1: empty (selected)\nslot 2: empty\nslot 3: empty\nslot 4: empty\n"
            "slot 5: empty\n");
  EXPECT_TRUE(Contains(r.err, "no stored passwords")) << r.err;
  EXPECT_FALSE(fs::exists(home_ / "config"));
}

TEST_F(CliTest, StoredSlotsEncryptWithTheSelectedAndDecryptWithAll) {
  StoreSlots({"first-pass", "second-pass", "", "", ""}, 1);
  const std::string settings = ReadFile(SettingsPath());
  WriteFile(Path("doc"), "content");
  ASSERT_EQ(Run("encrypt doc").code, 0);
  EXPECT_EQ(crypto::DecryptFile(Path("doc.cry"), Path("check"),
                                crypto::DerivePasswordKeys("second-pass")),
            crypto::FileStatus::kOk);
  EXPECT_EQ(ReadFile(Path("check")), "content");
  fs::remove(Path("check"));

  EXPECT_EQ(Run("decrypt doc.cry").code, 0);
  EXPECT_EQ(ReadFile(Path("doc")), "content");

  MakeImage("base.png", 100, 100);
  const Result hidden = Run("hide base.png --message stored");
  ASSERT_EQ(hidden.code, 0) << hidden.err;
  EXPECT_TRUE(Contains(hidden.out, "Password used: slot 2\n")) << hidden.out;
  Passwords("second-pass\n");
  EXPECT_EQ(Run("extract base_steg.png --password-file pw").code, 0);
  // The command line never writes the settings (no first-run set-up either).
  EXPECT_EQ(ReadFile(SettingsPath()), settings);

  // The selected slot is empty: the desktop's refusal, and nothing happens.
  StoreSlots({"first-pass", "", "", "", ""}, 2);
  const Result r = Run("encrypt doc");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "The selected encryption password (3) is empty.\nPlease select a valid "
                       "encryption password in 'Settings/Passwords'."))
      << r.err;
  EXPECT_EQ(ReadFile(Path("doc")), "content");
  EXPECT_FALSE(fs::exists(Path("doc.cry")));
}

}  // namespace
}  // namespace veilmark::clitest
