// encrypt-folder and decrypt-folder: the desktop's texts, the question, and stopping on
// Ctrl+C between files.
#include "core/crypto/files.h"
#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/ioctl.h>

#include <chrono>
#include <string>
#include <thread>

namespace veilmark::clitest {
namespace {

using testutil::PatternBytes;

TEST_F(CliTest, FolderCommandsRefuseWithTheDesktopTexts) {
  Passwords("folder-pass\n");
  fs::create_directories(Path("empty/sub"));
  WriteFile(Path("empty/.hidden"), "never listed");
  fs::create_directory(Path("plain"));
  WriteFile(Path("plain/a.txt"), "a");
  const struct {
    const char* args;
    int code;
    const char* text;
  } cases[] = {
      {"encrypt-folder missing --yes --password-file pw", 1,
       "Folder to encrypt not found.\nPlease select a valid folder."},
      {"decrypt-folder missing --password-file pw", 1,
       "Folder to decrypt not found.\nPlease select a valid folder."},
      {"encrypt-folder empty --yes --password-file pw", 0,
       "The selected folder to encrypt is empty.\n\nFolder: empty"},
      {"decrypt-folder plain --password-file pw", 0,
       "The selected folder doesn't contain encrypted files.\n\nFolder: plain"},
      // Standard input is no terminal: only --yes can answer the question.
      {"encrypt-folder plain --password-file pw", 2, "add --yes"},
      {"decrypt-folder plain --yes --password-file pw", 2, "unknown option '--yes'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(Contains(r.err, c.text)) << r.err;
  }
  EXPECT_EQ(ReadFile(Path("plain/a.txt")), "a");
  EXPECT_EQ(ReadFile(Path("empty/.hidden")), "never listed");
}

TEST_F(CliTest, FolderEncryptionAndDecryption) {
  Passwords("folder-pass\n");
  fs::create_directory(Path("docs"));
  WriteFile(Path("docs/a.txt"), "alpha");
  WriteFile(Path("docs/B.doc"), "bravo");
  const std::string foreign = PatternBytes(48);
  WriteFile(Path("docs/c.cry"), foreign);

  Result r = Run("encrypt-folder docs --yes --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "/3] a.txt\n")) << r.err;
  EXPECT_TRUE(Contains(r.err, "/3] B.doc\n")) << r.err;
  // The status names the slot: the password itself never reaches the terminal.
  EXPECT_TRUE(Contains(r.err, "2 files successfully encrypted. Password: slot 1\n")) << r.err;
  EXPECT_FALSE(Contains(r.out + r.err, "folder-pass")) << r.err;
  // The .cry files carry the lower-cased names; a .cry file is never encrypted again.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(Path("docs")))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt.cry", "b.doc.cry", "c.cry"}));
  r = Run("encrypt-folder docs --yes --password-file pw");
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(Contains(r.err, "Encrypted files: 0")) << r.err;

  Passwords("wrong-pass\n");
  r = Run("decrypt-folder docs --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "No files have been decrypted, wrong password\n")) << r.err;
  EXPECT_TRUE(fs::exists(Path("docs/a.txt.cry")));

  // Every slot is tried; the file no slot opens stays as it was.
  Passwords("wrong-pass\nfolder-pass\n");
  r = Run("decrypt-folder docs --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "2 files successfully decrypted\n")) << r.err;
  EXPECT_EQ(ReadFile(Path("docs/a.txt")), "alpha");
  EXPECT_EQ(ReadFile(Path("docs/b.doc")), "bravo");
  EXPECT_TRUE(ReadFile(Path("docs/c.cry")) == foreign);
  fs::remove(Path("docs/c.cry"));

  // The stored selected slot encrypts when no password option is given.
  StoreSlots({"", "stored-pass", "", "", ""}, 1);
  r = Run("encrypt-folder docs --yes");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Contains(r.err, "2 files successfully encrypted. Password: slot 2\n")) << r.err;
  EXPECT_FALSE(Contains(r.out + r.err, "stored-pass")) << r.err;
  r = Run("decrypt-folder docs");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("docs/a.txt")), "alpha");
}

// A run stopped between writing a .cry file and deleting its source left both: the next
// run finishes that file, and names the file whose .cry file is something else.
TEST_F(CliTest, EncryptFolderFinishesStoppedFilesAndReportsConflicts) {
  Passwords("folder-pass\n");
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV("folder-pass");
  fs::create_directory(Path("docs"));
  WriteFile(Path("docs/done.txt"), "finished");
  WriteFile(Path("docs/done.txt.cry"), crypto::EncryptBytes(keys, "finished"));
  WriteFile(Path("docs/clash.txt"), "mine");
  WriteFile(Path("docs/clash.txt.cry"), crypto::EncryptBytes(keys, "someone else's"));

  const Result r = Run("encrypt-folder docs --yes --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "'clash.txt': Not encrypted: clash.txt.cry already exists and is "
                       "not this file encrypted with this password; both files are kept."))
      << r.err;
  EXPECT_TRUE(Contains(r.err,
                       "1 files successfully encrypted. Password: slot 1 (1 file "
                       "skipped: its output already exists)"))
      << r.err;
  EXPECT_FALSE(fs::exists(Path("docs/done.txt")));
  EXPECT_EQ(ReadFile(Path("docs/clash.txt")), "mine");
  EXPECT_TRUE(crypto::TryDecryptBytes(keys, ReadFile(Path("docs/clash.txt.cry"))) ==
              std::string("someone else's"));
}

// The question on a terminal (a pseudo-terminal here): only yes goes on.
TEST_F(CliTest, EncryptFolderAsksOnTheTerminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script";
  Passwords("folder-pass\n");
  fs::create_directory(Path("docs"));
  WriteFile(Path("docs/a.txt"), "alpha");
  const std::string tty = "script -qec '%s' /dev/null";
  Result r = Run("encrypt-folder docs --password-file pw", "n\n", tty);
  EXPECT_EQ(r.code, 1);
  r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());  // the terminal's
  EXPECT_TRUE(Contains(r.out,
                       "All files in the folder will be encrypted and the original files will be "
                       "removed after encryption.\n\nFolder: docs\nPassword: slot 1\n\nDo "
                       "you want to continue with the encryption process ?"))
      << r.out;
  EXPECT_FALSE(Contains(r.out, "folder-pass")) << r.out;
  EXPECT_EQ(ReadFile(Path("docs/a.txt")), "alpha");
  r = Run("encrypt-folder docs --password-file pw", "y\n", tty);
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(fs::exists(Path("docs/a.txt.cry")));
  EXPECT_FALSE(fs::exists(Path("docs/a.txt")));
}

// On a terminal (a pseudo-terminal here) the progress is one line drawn over itself, and
// cleared before the closing status; the plain "[k/n] name" lines are for pipes and logs.
TEST_F(CliTest, FolderProgressOnATerminalIsOneLineInPlace) {
  Passwords("folder-pass\n");
  fs::create_directory(Path("docs"));
  WriteFile(Path("docs/a.txt"), std::string(1000, 'a'));
  WriteFile(Path("docs/b.txt"), std::string(1000, 'b'));
  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const std::string home = home_.string();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    if (::chdir(dir_.string().c_str()) == 0)
      ::execl(VEILMARK_CLI, VEILMARK_CLI, "encrypt-folder", "docs", "--yes", "--password-file",
              "pw", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<std::size_t>(n));
  ::close(terminal);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
  EXPECT_TRUE(Contains(shown, "\rFile 1 of 2: a.txt  0 B of 2.0 KB\x1b[K")) << shown;
  EXPECT_TRUE(Contains(shown, "\rFile 2 of 2: b.txt  1000 B of 2.0 KB")) << shown;
  EXPECT_TRUE(Contains(shown, "\r\x1b[Kveilmark-cli: 2 files successfully encrypted.")) << shown;
  EXPECT_FALSE(Contains(shown, "[1/2]")) << shown;
  EXPECT_FALSE(Contains(shown, "\n\rFile")) << shown;  // no line of its own per file
}

// Ctrl+C stops the loop after the file in hand: what is done stays done, nothing is half
// done. The child is held at a known point by a full standard error pipe that the test
// stops reading.
TEST_F(CliTest, InterruptStopsBetweenFiles) {
  Passwords("folder-pass\n");
  fs::create_directory(Path("many"));
  const std::string longName(90, 'x');
  for (int i = 0; i < 200; ++i)
    WriteFile(Path("many/" + longName + std::to_string(1000 + i)), PatternBytes(100, i));

  Child child = Spawn({"encrypt-folder", "many", "--yes", "--password-file", "pw"}, 4096);
  int pending = 0;
  for (int waited = 0; waited < 3000; waited += 10) {
    ::ioctl(child.err, FIONREAD, &pending);
    if (pending >= 3800) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GE(pending, 3800) << "the child never filled its pipe";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ::kill(child.pid, SIGINT);
  std::string err;
  EXPECT_EQ(child.Wait(&err), 1);
  EXPECT_TRUE(Contains(err, "interrupted")) << err;

  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV("folder-pass");
  int encrypted = 0;
  for (int i = 0; i < 200; ++i) {
    const fs::path plain = Path("many/" + longName + std::to_string(1000 + i));
    const fs::path cry = plain.string() + ".cry";
    if (fs::exists(cry)) {
      ++encrypted;
      EXPECT_FALSE(fs::exists(plain));
      EXPECT_TRUE(crypto::TryDecryptBytes(keys, ReadFile(cry)) == PatternBytes(100, i));
    } else {
      EXPECT_TRUE(ReadFile(plain) == PatternBytes(100, i));
    }
  }
  EXPECT_GT(encrypted, 0);
  EXPECT_LT(encrypted, 100);
  EXPECT_TRUE(Contains(err, std::to_string(encrypted) + " files successfully encrypted.")) << err;
  std::size_t entries = 0;
  for (const auto& e : fs::directory_iterator(Path("many"))) {
    EXPECT_NE(e.path().filename().string()[0], '.');
    ++entries;
  }
  EXPECT_EQ(entries, 200u);
}

}  // namespace
}  // namespace veilmark::clitest
