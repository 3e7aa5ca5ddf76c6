// A wrong password that passes the padding check by chance must never cost a .cry file.
#include "core/crypto/files.h"
#include "core/crypto/folder_crypt.h"
#include "core/crypto/message.h"
#include "core/crypto/trash.h"

#include "tests/core/crypto/test_trash.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace veilmark::crypto {
namespace {

using testutil::ReadFile;
using testutil::WriteFile;
namespace fs = std::filesystem;

// 27 bytes: the right key leaves a five-byte padding. Found by search: the last block of
// its .cry decrypts to a valid one-byte padding under both wrong passwords.
constexpr char kPlain[] = "Quarterly figures, draft 3\n";
constexpr char kRight[] = "right-password";
constexpr char kWeakWrong[] = "wrong-607";
constexpr char kOtherWeakWrong[] = "wrong-665";

class WrongPasswordTest : public testutil::TrashFolder {
 protected:
  void SetUp() override {
    TrashFolder::SetUp();
    cry_ = EncryptBytes(DeriveKeyAndIV(kRight), kPlain);
    WriteFile(Path("doc.cry"), cry_);
  }
  std::string cry_;
};

TEST_F(WrongPasswordTest, ChanceFitsNeverDestroyTheFile) {
  enum class Cry { kInPlace, kInTrash };
  struct Case {
    const char* name;
    PasswordSlots slots;
    bool keep;
    FileStatus status;
    bool possibly;
    const char* output;  // nullptr: nothing written; "" garbage (anything but the plain text)
    Cry cry;
    const char* folderStatus;
  } cases[] = {
      {"right password",
       {kRight, "", "", "", ""},
       false,
       FileStatus::kOk,
       false,
       kPlain,
       Cry::kInTrash,
       "1 files successfully decrypted"},
      {"same password in two slots",
       {kRight, "", "", kRight, ""},
       false,
       FileStatus::kOk,
       false,
       kPlain,
       Cry::kInTrash,
       "1 files successfully decrypted"},
      {"right password, --keep",
       {kRight, "", "", "", ""},
       true,
       FileStatus::kOk,
       false,
       kPlain,
       Cry::kInPlace,
       "1 files successfully decrypted"},
      {"one wrong password fits weakly",
       {"", kWeakWrong, "", "", ""},
       false,
       FileStatus::kOk,
       true,
       "",
       Cry::kInTrash,
       "1 files successfully decrypted (1 of them only possibly: a wrong password passes that "
       "check 1 time in 256; the .cry files are in the trash)"},
      {"two wrong passwords fit",
       {kWeakWrong, "", kOtherWeakWrong, "", ""},
       false,
       FileStatus::kAmbiguous,
       false,
       nullptr,
       Cry::kInPlace,
       "No files have been decrypted (1 file left encrypted: more than one password fits; "
       "decrypt with only the right one)"},
      {"right and wrong both fit: the five-byte padding wins over the one-byte one",
       {kWeakWrong, kRight, "", "", ""},
       false,
       FileStatus::kOk,
       false,
       kPlain,
       Cry::kInTrash,
       "1 files successfully decrypted"},
      {"no password fits",
       {"wrong-0", "", "", "", ""},
       false,
       FileStatus::kWrongPassword,
       false,
       nullptr,
       Cry::kInPlace,
       "No files have been decrypted, wrong password"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SlotKeyring keyring(c.slots);
    const SlotDecryption direct = DecryptFileWithSlots(Path("doc.cry"), Path("probe"), keyring);
    EXPECT_EQ(direct.status, c.status);
    EXPECT_EQ(direct.Possibly(), c.possibly);
    fs::remove(Path("probe"));

    DecryptFolderOptions options;
    options.keepCry = c.keep;
    const FolderCryptResult result = DecryptFolderFiles({Path("doc.cry")}, keyring, {}, options);
    EXPECT_EQ(DecryptFolderStatus(result), c.folderStatus);
    if (!c.output) {
      EXPECT_FALSE(fs::exists(Path("doc")));
    } else if (*c.output) {
      EXPECT_EQ(ReadFile(Path("doc")), c.output);
    } else {
      EXPECT_TRUE(fs::exists(Path("doc")));
      EXPECT_NE(ReadFile(Path("doc")), kPlain);
    }
    if (c.cry == Cry::kInPlace) {
      EXPECT_EQ(ReadFile(Path("doc.cry")), cry_);
      EXPECT_FALSE(Trashed(Path("doc.cry")));
    } else {
      EXPECT_FALSE(fs::exists(Path("doc.cry")));
      EXPECT_EQ(Trashed(Path("doc.cry")), cry_);
    }
    // Back to the start for the next case.
    fs::remove(Path("doc"));
    WriteFile(Path("doc.cry"), cry_);
    fs::remove_all(trash_);
  }
}

// When the trash cannot take the .cry file, it stays where it is.
TEST_F(WrongPasswordTest, RefusingTrashKeepsTheFile) {
  fs::create_directories(trash_.parent_path());
  WriteFile(trash_, "a file where the trash folder should be");
  const SlotKeyring keyring(PasswordSlots{kRight, "", "", "", ""});
  std::vector<std::pair<std::string, DecryptNote>> notes;
  DecryptFolderOptions options;
  options.onNote = [&notes](const fs::path& file, DecryptNote note, const std::string& why) {
    EXPECT_FALSE(why.empty());
    notes.emplace_back(file.filename().string(), note);
  };
  const FolderCryptResult result = DecryptFolderFiles({Path("doc.cry")}, keyring, {}, options);
  EXPECT_EQ(result.notTrashed, 1);
  EXPECT_EQ(
      notes,
      (std::vector<std::pair<std::string, DecryptNote>>{{"doc.cry", DecryptNote::kNotTrashed}}));
  EXPECT_EQ(ReadFile(Path("doc")), kPlain);
  EXPECT_EQ(ReadFile(Path("doc.cry")), cry_);
  EXPECT_EQ(DecryptFolderStatus(result),
            "1 files successfully decrypted (1 .cry file kept: the trash could not take it)");
  fs::remove(trash_);
}

// One wrong password, then five, over a folder of 600 .cry files: every file stays
// recoverable, and each chance fit is reported as only possibly decrypted.
TEST_F(WrongPasswordTest, SixHundredFilesLoseNothing) {
  const KeyAndIV keys = DeriveKeyAndIV(kRight);
  std::vector<fs::path> files;
  std::vector<std::string> contents;
  for (int i = 0; i < 600; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%03d.txt.cry", i);
    files.push_back(Path(name));
    contents.push_back(EncryptBytes(keys, testutil::PatternBytes(100 + i, i + 1)));
    WriteFile(files.back(), contents.back());
  }
  struct Case {
    const char* name;
    PasswordSlots slots;
  } cases[] = {
      {"one wrong password", {"intruder-1", "", "", "", ""}},
      {"five wrong passwords", {"guess-a", "guess-b", "guess-c", "guess-d", "guess-e"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FolderCryptResult result = DecryptFolderFiles(files, SlotKeyring(c.slots));
    EXPECT_EQ(result.possibly, result.done);
    EXPECT_EQ(result.notTrashed, 0);
    EXPECT_EQ(result.done + result.ambiguous + result.failed, 600);
    int trashed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (fs::exists(files[i])) {
        EXPECT_EQ(ReadFile(files[i]), contents[i]) << files[i];
        continue;
      }
      ++trashed;
      EXPECT_EQ(Trashed(files[i]), contents[i]) << files[i];
      // Put it back for the next case, as a user would restore it.
      WriteFile(files[i], contents[i]);
      fs::remove(DecryptedPath(files[i]));
    }
    EXPECT_EQ(trashed, result.done);
    fs::remove_all(trash_);
  }
}

// Keys come from the password's bytes; a file made where the password became Windows-1252
// bytes still opens with the slot as typed here (UTF-8).
TEST(PasswordForms, Windows1252Conversion) {
  struct Case {
    const char* utf8;
    std::optional<std::string> cp1252;
  } cases[] = {
      {"quintus4072", std::string("quintus4072")},
      {"P\xC3\xA4sswort1", std::string("P\xE4sswort1")},
      {"\xE2\x82\xAC"
       "uro\xC5\xB8",
       std::string("\x80uro\x9F")},
      {"\xC3\xBF\xC2\xA0", std::string("\xFF\xA0")},
      {"\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C", std::nullopt},  // Cyrillic
      {"P\xE4sswort1", std::nullopt},                                      // not UTF-8
      {"\xC0\xAF", std::nullopt},                                          // overlong
      {"\xED\xA0\x80", std::nullopt},                                      // surrogate
      {"\xC2\x85", std::nullopt},                                          // C1 control
      {"ab\xE2\x82", std::nullopt},                                        // cut short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.cp1252);
    // The system's own form encrypts and comes first (UTF-8 on Linux, the ANSI code page on
    // Windows); then UTF-8 and Windows-1252, each only where it differs from those before.
    std::vector<std::string> forms{NarrowPassword(c.utf8)};
    for (const std::optional<std::string>& form : {std::optional<std::string>(c.utf8), c.cp1252})
      if (form && std::find(forms.begin(), forms.end(), *form) == forms.end())
        forms.push_back(*form);
    EXPECT_EQ(PasswordForms(c.utf8), forms);
  }
}

class PasswordFormsOpensslTest : public testutil::TrashFolder {};

TEST_F(PasswordFormsOpensslTest, Windows1252FilesAndBlocksOpenWithTheTypedPassword) {
  if (!testutil::HaveOpenssl()) GTEST_SKIP() << "openssl not installed";
  WriteFile(Path("notes.txt"), "Grüße aus Köln\n");
  ASSERT_EQ(std::system(
                testutil::OpensslEnc("-e", "P\xE4sswort1", Path("notes.txt"), Path("notes.txt.cry"))
                    .c_str()),
            0);
  fs::remove(Path("notes.txt"));
  const SlotKeyring keyring(PasswordSlots{"other-one", "P\xC3\xA4sswort1", "", "", ""});
  const SlotDecryption result =
      DecryptFileWithSlots(Path("notes.txt.cry"), Path("notes.txt"), keyring);
  EXPECT_EQ(result.status, FileStatus::kOk);
  EXPECT_EQ(result.slot, 1);
  EXPECT_EQ(ReadFile(Path("notes.txt")), "Grüße aus Köln\n");

  // A message block made with the same bytes.
  const std::string block =
      EncryptMessage(MessagePlaintext("Treffen um acht", "2026-12-08 20h:53m:38s"),
                     DeriveKeyAndIV("P\xE4sswort1"));
  EXPECT_EQ(DecryptMessageWithSlots(block, keyring),
            std::optional<std::string>("2026-12-08 20h:53m:38s\r\nTreffen um acht"));
  // What this system encrypts is the UTF-8 form: openssl given those bytes reads it.
  ASSERT_EQ(
      EncryptFile(Path("notes.txt"), Path("again.cry"), DerivePasswordKeys("P\xC3\xA4sswort1")),
      FileStatus::kOk);
  ASSERT_EQ(
      std::system(
          testutil::OpensslEnc("-d", "P\xC3\xA4sswort1", Path("again.cry"), Path("again")).c_str()),
      0);
  EXPECT_EQ(ReadFile(Path("again")), "Grüße aus Köln\n");
}

}  // namespace
}  // namespace veilmark::crypto
