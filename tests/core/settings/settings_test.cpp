// The settings file that keeps the passwords: private, exact, and never half written.
#include "core/document/settings.h"
#include "tests/core/crypto/test_files.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <memory>
#include <string>

namespace veilmark {
namespace {

namespace fs = std::filesystem;
using testutil::ReadFile;

class SettingsFileTest : public testutil::TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    ASSERT_TRUE(wx_.IsOk());
  }
  std::string File() const { return Path("profile").string() + "/Veilmark.conf"; }

  wxInitializer wx_;
};

#ifndef _WIN32
unsigned Mode(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
#endif

TEST_F(SettingsFileTest, FileAndFolderAreTheOwnersOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps the settings in the registry; files have no POSIX modes";
#else
  auto settings = OpenSettingsFile(File());
  settings->WriteString("PasswordCry01", "secret-one");
  ASSERT_TRUE(settings->Flush());
  EXPECT_EQ(Mode(Path("profile")), 0700u);
  EXPECT_EQ(Mode(File()), 0600u);
#endif
}

TEST_F(SettingsFileTest, ValuesComeBackExactly) {
  const std::string strings[] = {
      "$HOME and ${USER} and %PATH%",
      "say \"hi\" and 'bye'",
      "back\\slash\\ and \\n",
      "  leading and trailing spaces  ",
      "a=b # not a comment ; nor this",
      "[DataApp]",
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x9C\x93 \xF0\x9F\x94\x91",
      "tab\there and\nline break",
      "",
  };
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
  {
    auto settings = OpenSettingsFile(File());
    for (std::size_t i = 0; i < std::size(strings); ++i)
      settings->WriteString("Text" + std::to_string(i), strings[i]);
    settings->WriteInt("Zero", 0);
    settings->WriteInt("Negative", -5);
    settings->WriteInt("Large", 2147483647);
    settings->WriteBinary("Bytes", allBytes);
    settings->WriteBinary("Rectangle", std::string("\x0A\0\0\0\x14\0\0\0", 8));
    ASSERT_TRUE(settings->Flush());
  }
  const auto settings = OpenSettingsFile(File());
  for (std::size_t i = 0; i < std::size(strings); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(settings->ReadString("Text" + std::to_string(i)), strings[i]);
  }
  EXPECT_EQ(settings->ReadInt("Zero"), 0);
  EXPECT_EQ(settings->ReadInt("Negative"), -5);
  EXPECT_EQ(settings->ReadInt("Large"), 2147483647);
  EXPECT_EQ(settings->ReadBinary("Bytes"), allBytes);
  EXPECT_EQ(settings->ReadBinary("Rectangle"), std::string("\x0A\0\0\0\x14\0\0\0", 8));
  EXPECT_EQ(settings->ReadString("Missing"), std::nullopt);
  EXPECT_EQ(settings->ReadInt("Missing"), std::nullopt);
  EXPECT_EQ(settings->GetInt("Missing", 1), 1);
}

// A write that fails part-way (the file-size limit stands in for a full disk) leaves the
// previous file whole and no temporary file behind.
TEST_F(SettingsFileTest, FailedWriteKeepsThePreviousFile) {
#ifdef _WIN32
  GTEST_SKIP() << "the failing write is played with fork and a POSIX file-size limit";
#else
  {
    auto settings = OpenSettingsFile(File());
    settings->WriteString("PasswordCry01", "kept-password");
    settings->WriteInt("PasswordRadioCry", 0);
    ASSERT_TRUE(settings->Flush());
  }
  const std::string before = ReadFile(File());
  ASSERT_FALSE(before.empty());

  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    auto settings = OpenSettingsFile(File());
    settings->WriteString("SecretMessage", std::string(20000, 'm'));
    settings->WriteString("PasswordCry01", "new-password");
    // Leave without the destructor's second attempt.
    ::_exit(settings->Flush() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as a success";
  EXPECT_EQ(ReadFile(File()), before);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(Path("profile")))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Veilmark.conf"});
  EXPECT_EQ(OpenSettingsFile(File())->ReadString("PasswordCry01"), "kept-password");
#endif
}

}  // namespace
}  // namespace veilmark
