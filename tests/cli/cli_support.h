// Running veilmark-cli on scratch folders, with a profile of its own (never the user's).
#pragma once

#include "core/crypto/passwords.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "tests/core/crypto/test_files.h"
#include "tests/core/image/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace veilmark::clitest {

namespace fs = std::filesystem;
using testutil::ReadFile;
using testutil::WriteFile;

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A child veilmark-cli whose standard error is a pipe read by the test.
struct Child {
  pid_t pid = -1;
  int err = -1;  // read end of the child's standard error

  // Reads what is there (blocking until something is); false at the end.
  bool ReadSome(std::string& into) {
    char buffer[4096];
    const ssize_t n = ::read(err, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
  // Waits for the end; the exit code, or -signal when a signal ended it.
  int Wait(std::string* rest = nullptr) {
    std::string ignored;
    while (ReadSome(rest ? *rest : ignored)) {
    }
    ::close(err);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
};

class CliTest : public testutil::TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    home_ = fs::path(dir_.string() + "-home");
    fs::create_directories(home_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(home_, ec);
    TempFolder::TearDown();
  }

  // Runs the program in the scratch folder; `args` is shell text (quote as needed).
  // `wrap` is shell text around the command, "%s" standing for it.
  Result Run(const std::string& args, const std::string& input = "",
             const std::string& wrap = "%s") {
    WriteFile(home_ / "in", input);
    std::string command = wrap;
    command.replace(command.find("%s"), 2, std::string(VEILMARK_CLI) + " " + args);
    const std::string h = home_.string();
    const std::string line = "cd '" + dir_.string() + "' && export HOME='" + h +
                             "' XDG_CONFIG_HOME='" + h + "/config' XDG_DATA_HOME='" + h +
                             "/data' && { " + command + "; } <'" + h + "/in' >'" + h + "/out' 2>'" +
                             h + "/err'";
    const int status = std::system(line.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(home_ / "out");
    r.err = ReadFile(home_ / "err");
    return r;
  }

  // Starts the program in the scratch folder without waiting; standard input and output
  // are /dev/null. `pipeSize` > 0 shrinks the standard error pipe.
  Child Spawn(const std::vector<std::string>& args, int pipeSize = 0) {
    std::vector<std::string> env{"HOME=" + home_.string(),
                                 "XDG_CONFIG_HOME=" + home_.string() + "/config",
                                 "XDG_DATA_HOME=" + home_.string() + "/data"};
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("HOME=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0 &&
          entry.rfind("XDG_DATA_HOME=", 0) != 0)
        env.push_back(entry);
    }
    std::vector<std::string> argv{VEILMARK_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp, envp;
    for (std::string& a : argv) argp.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argp.push_back(nullptr);
    envp.push_back(nullptr);
    const std::string folder = dir_.string();

    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    if (pipeSize > 0) ::fcntl(fds[1], F_SETPIPE_SZ, pipeSize);
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(fds[1], 2);
      ::close(fds[0]);
      if (::chdir(folder.c_str()) == 0) ::execve(argp[0], argp.data(), envp.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    child.err = fds[0];
    return child;
  }

  void Passwords(const std::string& lines) { WriteFile(Path("pw"), lines); }

  // Writes the desktop program's password settings into this test's profile.
  void StoreSlots(const crypto::PasswordSlots& slots, long selected) {
    auto settings = OpenSettingsFile(SettingsPath());
    const char* names[] = {"PasswordCry01", "PasswordCry02", "PasswordCry03", "PasswordCry04",
                           "PasswordCry05"};
    for (std::size_t i = 0; i < slots.size(); ++i) settings->WriteString(names[i], slots[i]);
    settings->WriteInt("PasswordRadioCry", selected);
    ASSERT_TRUE(settings->Flush());
  }
  std::string SettingsPath() const { return home_.string() + "/config/Veilmark/Veilmark.conf"; }

  // A noise image written in the format of its extension.
  void MakeImage(const std::string& name, int width, int height, unsigned seed = 7) {
    const fs::path path = Path(name);
    std::string extension = path.extension().string();
    extension = extension.empty() ? "png" : extension.substr(1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(image::SaveImage(image::testing::NoiseImage(width, height, false, seed), path,
                                 image::MimeTypeForExtension(extension)))
        << name;
  }

  fs::path home_;
};

}  // namespace veilmark::clitest
