// Runs veilmark-cli on scratch files: exit codes, outputs, and that no file is ever lost.
#include "core/crypto/cipher.h"
#include "core/crypto/message.h"
#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veilmark::clitest {
namespace {

using testutil::PatternBytes;

TEST_F(CliTest, HelpForEveryCommand) {
  const Result all = Run("--help");
  EXPECT_EQ(all.code, 0);
  for (const char* command :
       {"encrypt", "decrypt", "msg-encrypt", "msg-decrypt", "encrypt-folder", "decrypt-folder",
        "hide", "extract", "scan", "capacity", "convert", "slots"}) {
    SCOPED_TRACE(command);
    EXPECT_TRUE(Contains(all.out, command));
    const Result one = Run(std::string(command) + " --help");
    EXPECT_EQ(one.code, 0);
    EXPECT_TRUE(Contains(one.out, std::string("Usage: veilmark-cli ") + command));
    EXPECT_EQ(Run(std::string("help ") + command).out, one.out);
  }
}

TEST_F(CliTest, UsageErrorsChangeNothing) {
  WriteFile(Path("doc.txt"), "plain");
  WriteFile(Path("six"), "pass1\npass2\npass3\npass4\npass5\npass6\n");
  WriteFile(Path("short"), "good-one\nabc\n");
  WriteFile(Path("first-empty"), "\nsecond-one\n");
  WriteFile(Path("ok"), "good-one\n");
  const char* cases[] = {
      "",
      "bogus",
      "encrypt",
      "encrypt --bogus doc.txt",
      "encrypt --force=yes --password-file ok doc.txt",
      "encrypt --password-file",
      "encrypt --password-file missing doc.txt",
      "encrypt --password-file ok --password-stdin doc.txt",
      "encrypt --password-file six doc.txt",
      "encrypt --password-file short doc.txt",
      "encrypt --password-file first-empty doc.txt",
      "decrypt --password-file /dev/null doc.txt.cry",
      "msg-encrypt --password-stdin",
      "msg-decrypt --password-stdin",
      "msg-decrypt --password-file ok extra",
  };
  for (const char* args : cases) {
    SCOPED_TRACE(args);
    const Result r = Run(args, "good-one\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(ReadFile(Path("doc.txt")), "plain");
  EXPECT_FALSE(fs::exists(Path("doc.txt.cry")));
}

// Password lengths count characters, as the desktop's slots do: a password typed there
// must be usable here, whatever bytes its characters take.
TEST_F(CliTest, PasswordLengthsCountCharacters) {
  auto repeat = [](const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
  };
  const std::string e = "\xc3\xa9";
  const struct {
    std::string password;
    int code;
    const char* error;
  } cases[] = {
      {repeat(e, 4), 2, "at least 5 characters"},  // 8 bytes
      {repeat(e, 5), 0, ""},
      {repeat(e, 64), 0, ""},  // 128 bytes
      {repeat(e, 65), 2, "at most 64 characters"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.password.size());
    WriteFile(Path("pw"), c.password + "\n");
    const Result r = Run("msg-encrypt --password-file pw", "a message\n");
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(Contains(r.err, c.error)) << r.err;
  }
}

TEST_F(CliTest, WithoutTerminalOrPasswordOptionsItRefuses) {
  if (std::system("command -v setsid >/dev/null 2>&1") != 0) GTEST_SKIP() << "no setsid";
  WriteFile(Path("doc.txt"), "plain");
  EXPECT_EQ(Run("encrypt doc.txt", "", "setsid -w %s").code, 2);
  EXPECT_EQ(ReadFile(Path("doc.txt")), "plain");
}

TEST_F(CliTest, EncryptThenDecryptReplacesFiles) {
  const std::string big = PatternBytes(1500000);
  WriteFile(Path("empty"), "");
  WriteFile(Path("big.bin"), big);
  WriteFile(Path("name with space.txt"), "spaced");
  Passwords("first-pass\n");
  Result r = Run("encrypt --password-file pw empty big.bin 'name with space.txt'");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(fs::file_size(Path("empty.cry")), 16u);
  EXPECT_EQ(fs::file_size(Path("big.bin.cry")), crypto::PaddedLength(big.size()));
  EXPECT_EQ(Names(), (std::vector<std::string>{"big.bin.cry", "empty.cry",
                                               "name with space.txt.cry", "pw"}));

  // Decryption tries every line; the right password is the third one.
  Passwords("wrong-one\n\nfirst-pass\n");
  r = Run("decrypt --password-file pw empty.cry big.bin.cry 'name with space.txt.cry'");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("empty")), "");
  EXPECT_TRUE(ReadFile(Path("big.bin")) == big);
  EXPECT_EQ(ReadFile(Path("name with space.txt")), "spaced");
  EXPECT_EQ(Names(), (std::vector<std::string>{"big.bin", "empty", "name with space.txt", "pw"}));
}

TEST_F(CliTest, PasswordsFromStandardInput) {
  WriteFile(Path("doc.txt"), "content");
  EXPECT_EQ(Run("encrypt --password-stdin doc.txt", "stdin-pass\r\n").code, 0);
  EXPECT_EQ(Run("decrypt --password-stdin doc.txt.cry", "other-pass\nstdin-pass\n").code, 0);
  EXPECT_EQ(ReadFile(Path("doc.txt")), "content");
}

TEST_F(CliTest, FailedDecryptionKeepsEverything) {
  Passwords("right-pass\n");
  WriteFile(Path("good"), "good content");
  WriteFile(Path("bad"), "bad content");
  ASSERT_EQ(Run("encrypt --password-file pw good bad").code, 0);
  WriteFile(Path("bad.cry"), ReadFile(Path("bad.cry")) + "x");  // damaged
  WriteFile(Path("notes.txt"), "not encrypted");
  WriteFile(Path("bad"), "an older plain copy");

  Result r = Run("decrypt --password-file pw good.cry bad.cry notes.txt");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "File NOT decrypted, wrong password.")) << r.err;
  EXPECT_EQ(ReadFile(Path("good")), "good content");  // the others still went through
  EXPECT_EQ(ReadFile(Path("bad")), "an older plain copy");
  EXPECT_EQ(Names(), (std::vector<std::string>{"bad", "bad.cry", "good", "notes.txt", "pw"}));

  Passwords("wrong-pass\n");
  ASSERT_EQ(Run("encrypt --password-file pw good").code, 0);
  Passwords("right-pass\n");
  r = Run("decrypt --password-file pw good.cry");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(fs::exists(Path("good.cry")));
  EXPECT_FALSE(fs::exists(Path("good")));
}

TEST_F(CliTest, ExistingOutputNeedsForce) {
  Passwords("some-pass\n");
  WriteFile(Path("a"), "new");
  WriteFile(Path("a.cry"), "old cry");
  Result r = Run("encrypt --password-file pw a");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "already exists")) << r.err;
  EXPECT_EQ(ReadFile(Path("a")), "new");
  EXPECT_EQ(ReadFile(Path("a.cry")), "old cry");
  ASSERT_EQ(Run("encrypt --force --password-file pw a").code, 0);
  EXPECT_FALSE(fs::exists(Path("a")));

  WriteFile(Path("a"), "old plain");
  EXPECT_EQ(Run("decrypt --password-file pw a.cry").code, 1);
  EXPECT_EQ(ReadFile(Path("a")), "old plain");
  EXPECT_TRUE(fs::exists(Path("a.cry")));
  EXPECT_EQ(Run("decrypt --password-file pw --force a.cry").code, 0);
  EXPECT_EQ(ReadFile(Path("a")), "new");
  EXPECT_FALSE(fs::exists(Path("a.cry")));
}

TEST_F(CliTest, UnreadableInputIsAnOperationFailure) {
  Passwords("some-pass\n");
  fs::create_directory(Path("folder"));
  EXPECT_EQ(Run("encrypt --password-file pw missing folder").code, 1);
  EXPECT_EQ(Run("decrypt --password-file pw missing.cry").code, 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "pw"}));
}

// A file-size limit makes writing fail part-way, as a full disk would.
TEST_F(CliTest, WriteFailureLosesNothing) {
  const std::string plain = PatternBytes(3 << 20);
  WriteFile(Path("big"), plain);
  Passwords("some-pass\n");
  ASSERT_EQ(Run("encrypt --password-file pw big").code, 0);
  const std::string cry = ReadFile(Path("big.cry"));
  WriteFile(Path("big"), "older plain copy");
  WriteFile(Path("other"), plain);
  const std::string limited = "ulimit -f 1024; %s";

  Result r = Run("decrypt --force --password-file pw big.cry", "", limited);
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(ReadFile(Path("big")), "older plain copy");
  EXPECT_TRUE(ReadFile(Path("big.cry")) == cry);

  r = Run("encrypt --password-file pw other", "", limited);
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_TRUE(ReadFile(Path("other")) == plain);
  EXPECT_EQ(Names(), (std::vector<std::string>{"big", "big.cry", "other", "pw"}));
}

// Failures say what happened: "wrong password" only where a password was wrong.
TEST_F(CliTest, FailuresSayWhatHappened) {
  Passwords("msg-pass\n");
  fs::create_directory(Path("plain"));
  WriteFile(Path("plain/big"), PatternBytes(2 << 20));
  fs::create_directory(Path("sealed"));
  WriteFile(Path("sealed/big.cry"),
            crypto::EncryptBytes(crypto::DeriveKeyAndIV("msg-pass"), PatternBytes(2 << 20)));
  const std::string block = crypto::EncryptMessage(crypto::MessagePlaintext("hi"), "msg-pass");
  const std::string limited = "ulimit -f 1024; %s";  // writes fail as on a full disk
  const struct {
    std::string args, input, wrap;
    int code;
    std::string says;
  } cases[] = {
      {"encrypt-folder plain --yes --password-file pw", "", limited, 1,
       "'big': File encryption error. The encrypted file cannot be written: the folder is "
       "read-only or the disk is full."},
      {"decrypt-folder sealed --password-file pw", "", limited, 1,
       "'big.cry': File NOT decrypted. The decrypted file cannot be written: the folder is "
       "read-only or the disk is full.\nveilmark-cli: No files have been decrypted; 1 file not "
       "written: the folder is read-only or the disk is full\n"},
      {"decrypt sealed/big.cry --password-file plain", "", "%s", 2,
       "cannot read the password file 'plain': Is a directory"},
      {"msg-decrypt --password-file pw", "please decrypt this for me", "%s", 1,
       "Message NOT decrypted: the input is not a message block (a block is made of "
       "hexadecimal digits)."},
      {"msg-decrypt --password-file pw", block.substr(0, 95), "%s", 1,
       "Message NOT decrypted: the block is incomplete or damaged (digits are missing or too "
       "many)."},
      {"msg-decrypt --password-file pw", block + "0\n", "%s", 0,
       "The block ends with one hexadecimal digit too many; it was ignored."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args + " < " + c.input.substr(0, 30));
    const Result r = Run(c.args, c.input, c.wrap);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
    EXPECT_FALSE(Contains(r.err, "wrong password")) << r.err;
    EXPECT_FALSE(Contains(r.err, "empty")) << r.err;
    EXPECT_EQ(r.out, c.code == 0 ? r.out.substr(0, 22) + "\r\nhi\n" : "");
  }
  EXPECT_TRUE(fs::exists(Path("plain/big")));
  EXPECT_TRUE(fs::exists(Path("sealed/big.cry")));
}

TEST_F(CliTest, MessagesRoundTrip) {
  Passwords("msg-pass\n");
  Result enc = Run("msg-encrypt --password-file pw", "x\n");
  ASSERT_EQ(enc.code, 0) << enc.err;
  ASSERT_EQ(enc.out.size(), 97u);  // 96 digits and the line break
  EXPECT_EQ(enc.out.find_first_not_of("0123456789ABCDEF"), 96u);

  enc = Run("msg-encrypt --password-file pw", "two\nlines");
  ASSERT_EQ(enc.code, 0);
  Passwords("other-pass\nmsg-pass\n");
  const Result dec = Run("msg-decrypt --password-file pw", enc.out);
  ASSERT_EQ(dec.code, 0) << dec.err;
  // The encryption time, CR LF, the message, and a final line break for the terminal.
  ASSERT_EQ(dec.out.size(), 22u + 2u + 9u + 1u);
  EXPECT_EQ(dec.out.substr(22), "\r\ntwo\nlines\n");
  EXPECT_EQ(dec.out.substr(13, 2), "h:");

  Passwords("other-pass\n");
  const Result wrong = Run("msg-decrypt --password-file pw", enc.out);
  EXPECT_EQ(wrong.code, 1);
  EXPECT_TRUE(wrong.out.empty());
  EXPECT_TRUE(Contains(wrong.err, "Message NOT decrypted, wrong password.")) << wrong.err;
  EXPECT_EQ(Run("msg-encrypt --password-file pw", "\n").code, 1);
  EXPECT_EQ(Run("msg-decrypt --password-file pw", " \n").code, 1);
}

// "--" ends the options; an option given twice is refused before anything happens, whichever
// value would have won.
TEST_F(CliTest, DoubleDashEndsOptionsAndRepeatsAreRefused) {
  MakeImage("-dash.png", 4, 4);
  WriteFile(Path("doc.txt"), "plain");
  Passwords("good-one\n");
  const struct {
    const char* args;
    int code;
    const char* text;  // in the standard error, or the output when the code is 0
  } cases[] = {
      {"capacity -- -dash.png", 0, "4x4 Storage capacity"},
      {"capacity -dash.png", 2, "capacity: unknown option '-dash.png'"},
      {"encrypt --password-file pw --password-file pw doc.txt", 2,
       "encrypt: option '--password-file' is given more than once"},
      {"encrypt --force --force --password-file pw doc.txt", 2,
       "encrypt: option '--force' is given more than once"},
      {"hide --message=a --message b --password-file pw -- -dash.png", 2,
       "hide: option '--message' is given more than once"},
      {"hide --message= --password-file pw -- -dash.png", 2,
       "hide: The text message to hide is not defined."},
      {"encrypt --force=yes --password-file pw doc.txt", 2,
       "encrypt: option '--force' takes no value"},
      {"encrypt --password-file", 2, "encrypt: option '--password-file' needs a value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_TRUE(Contains(c.code == 0 ? r.out : r.err, c.text)) << r.out << r.err;
  }
  EXPECT_EQ(ReadFile(Path("doc.txt")), "plain");
  EXPECT_FALSE(fs::exists(Path("doc.txt.cry")));
  EXPECT_FALSE(fs::exists(Path("-dash_steg.png")));
}

// Passwords typed on a terminal (a pseudo-terminal here); encryption asks twice.
TEST_F(CliTest, PasswordsFromTerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script";
  const std::string tty = "script -qec '%s' /dev/null";
  WriteFile(Path("doc"), "typed");
  EXPECT_EQ(Run("encrypt doc", "typed-pass\nother-pass\n", tty).code, 1);
  EXPECT_EQ(ReadFile(Path("doc")), "typed");
  EXPECT_FALSE(fs::exists(Path("doc.cry")));
  EXPECT_EQ(Run("encrypt doc", "typed-pass\ntyped-pass\n", tty).code, 0);
  EXPECT_EQ(Run("decrypt doc.cry", "typed-pass\n", tty).code, 0);
  EXPECT_EQ(ReadFile(Path("doc")), "typed");
}

}  // namespace
}  // namespace veilmark::clitest
