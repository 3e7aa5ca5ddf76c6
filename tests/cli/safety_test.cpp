// Nothing is lost when veilmark-cli is killed midway or the disk fills up.
#include "core/crypto/files.h"
#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <chrono>
#include <map>
#include <random>
#include <string>
#include <thread>

namespace veilmark::clitest {
namespace {

using testutil::PatternBytes;

bool IsTemporary(const std::string& name) {
  return name.size() > 7 && name[0] == '.' && name.compare(name.size() - 6, 6, ".vmtmp") == 0;
}

std::map<std::string, std::string> DotFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name[0] == '.') files[name] = ReadFile(e.path());
  }
  return files;
}

class CrashTest : public CliTest {
 protected:
  static constexpr int kFiles = 200;
  static std::string Name(int i) { return "f" + std::to_string(1000 + i) + ".dat"; }
  static std::string Content(int i) {
    return PatternBytes(static_cast<std::size_t>((i * 37) % 3000), static_cast<unsigned>(i));
  }

  void MakeFolder() {
    fs::remove_all(Path("box"));
    fs::create_directory(Path("box"));
    for (int i = 0; i < kFiles; ++i) WriteFile(Path("box/" + Name(i)), Content(i));
  }

  // Every original is plain and intact, or encrypted and decrypts to itself, or both (the
  // kill fell between the rename and the delete). Returns the number of plain ones left.
  int CheckEveryFile() {
    const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV("crash-pass");
    int plainLeft = 0;
    for (int i = 0; i < kFiles; ++i) {
      SCOPED_TRACE(Name(i));
      const fs::path plain = Path("box/" + Name(i));
      const fs::path cry = plain.string() + ".cry";
      const bool hasPlain = fs::exists(plain), hasCry = fs::exists(cry);
      EXPECT_TRUE(hasPlain || hasCry);
      if (hasPlain) {
        ++plainLeft;
        EXPECT_TRUE(ReadFile(plain) == Content(i));
      }
      if (hasCry) {
        EXPECT_TRUE(crypto::TryDecryptBytes(keys, ReadFile(cry)) == Content(i));
      }
    }
    for (const auto& e : fs::directory_iterator(Path("box"))) {
      const std::string name = e.path().filename().string();
      const bool original = name.size() >= 8 && name[0] == 'f';
      EXPECT_TRUE(original || IsTemporary(name)) << name;
    }
    return plainLeft;
  }
};

TEST_F(CrashTest, KilledFolderEncryptionLosesNothing) {
  Passwords("crash-pass\n");
  std::mt19937 random(std::random_device{}());
  for (int repetition = 0; repetition < 4; ++repetition) {
    SCOPED_TRACE("repetition " + std::to_string(repetition));
    MakeFolder();
    // Killed after a random number of progress lines, plus a random short delay.
    const int lines = std::uniform_int_distribution<int>(1, kFiles - 20)(random);
    const int delayMicroseconds = std::uniform_int_distribution<int>(0, 3000)(random);
    Child child = Spawn({"encrypt-folder", "box", "--yes", "--password-file", "pw"});
    std::string err;
    while (std::count(err.begin(), err.end(), '\n') < lines && child.ReadSome(err)) {
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
    ::kill(child.pid, SIGKILL);
    child.Wait();
    EXPECT_GT(CheckEveryFile(), 0) << "the kill came too late to test anything";
  }

  // A later run neither lists nor touches temporary files that may still be written.
  WriteFile(Path("box/.abcdefghijkl.vmtmp"), "left over by an earlier crash");
  const auto dotFiles = DotFiles(Path("box"));
  const Result r = Run("encrypt-folder box --yes --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(Contains(r.err, ".vmtmp")) << r.err;
  EXPECT_EQ(DotFiles(Path("box")), dotFiles);
  CheckEveryFile();
}

// A decryption killed mid-way leaves its temporary file, a plaintext part. It is never
// counted, and once it is unlocked and some seconds old the next run removes it.
TEST_F(CliTest, KilledDecryptionLeavesNoPlaintextAfterTheNextRun) {
  Passwords("kill-pass\n");
  fs::create_directory(Path("box"));
  const std::string plain = PatternBytes(std::size_t{48} << 20);
  WriteFile(Path("box/big.cry"), crypto::EncryptBytes(crypto::DeriveKeyAndIV("kill-pass"), plain));
  const auto temporaries = [this] {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(Path("box")))
      if (IsTemporary(e.path().filename().string())) found.push_back(e.path());
    return found;
  };

  Child child = Spawn({"decrypt-folder", "box", "--password-file", "pw"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::vector<fs::path> found;
  std::error_code ec;
  while (std::chrono::steady_clock::now() < deadline) {
    found = temporaries();
    if (!found.empty() && fs::file_size(found[0], ec) > 0 && !ec) break;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::kill(child.pid, SIGKILL);
  child.Wait();
  ASSERT_EQ(temporaries().size(), 1u) << "the kill came too late to test anything";
  const fs::path left = temporaries()[0];
  const std::string leaked = ReadFile(left);
  EXPECT_FALSE(leaked.empty());
  EXPECT_TRUE(leaked == plain.substr(0, leaked.size()));  // plaintext
  EXPECT_FALSE(fs::exists(Path("box/big")));

  // Just written, it might be a live writer's: kept, but never counted.
  fs::last_write_time(left, fs::file_time_type::clock::now());
  Result r = Run("scan box --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Files: 1 (Images: 0  Encrypted: 1)\n");
  EXPECT_TRUE(fs::exists(left));

  fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  r = Run("decrypt-folder box --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(ReadFile(Path("box/big")) == plain);
  EXPECT_TRUE(temporaries().empty());
}

// A write that fails part-way, as on a full disk: the file-size limit of the shell.
TEST_F(CliTest, FileSizeLimitLosesNothing) {
  Passwords("full-pass\n");
  fs::create_directory(Path("box"));
  const std::string big = PatternBytes(2 << 20);
  WriteFile(Path("box/big"), big);
  WriteFile(Path("box/small"), "small file");
  const std::string limited = "ulimit -f 1024; %s";  // 1 MiB
  Result r = Run("encrypt-folder box --yes --password-file pw", "", limited);
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "'big': File encryption error.")) << r.err;
  EXPECT_TRUE(Contains(r.err, "1 files successfully encrypted. Password: slot 1")) << r.err;
  EXPECT_TRUE(ReadFile(Path("box/big")) == big);
  EXPECT_EQ(crypto::DecryptFile(Path("box/small.cry"), Path("check"),
                                crypto::DerivePasswordKeys("full-pass")),
            crypto::FileStatus::kOk);
  EXPECT_EQ(ReadFile(Path("check")), "small file");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(Path("box")))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"big", "small.cry"}));

  // A hidden payload whose image cannot be written: an older output stays as it was.
  MakeImage("noise.png", 400, 400);  // about 480 KB of incompressible pixels
  WriteFile(Path("data"), "hidden");
  WriteFile(Path("noise_steg.png"), "older output");
  r = Run("hide noise.png --file data --force --password-file pw", "", "ulimit -f 256; %s");
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "Error saving image file.")) << r.err;
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(ReadFile(Path("noise_steg.png")), "older output");
  EXPECT_EQ(Names(), (std::vector<std::string>{"box", "check", "data", "noise.png",
                                               "noise_steg.png", "pw"}));
}

// A real full file system: a 64 KiB tmpfs, where mounting is permitted (root).
class FullDeviceTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    fs::create_directory(Path("tiny"));
    mounted_ =
        ::geteuid() == 0 && ::mount("tmpfs", Path("tiny").c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  void TearDown() override {
    if (mounted_) ::umount2(Path("tiny").c_str(), MNT_DETACH);
    CliTest::TearDown();
  }
  bool mounted_ = false;
};

TEST_F(FullDeviceTest, FullTmpfsLosesNothing) {
  if (!mounted_) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  Passwords("full-pass\n");
  const std::string large = PatternBytes(40000);
  WriteFile(Path("tiny/large"), large);  // its .cry file does not fit beside it
  WriteFile(Path("tiny/small"), PatternBytes(6000, 2));
  Result r = Run("encrypt-folder tiny --yes --password-file pw");
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_TRUE(Contains(r.err, "'large': File encryption error.")) << r.err;
  EXPECT_TRUE(ReadFile(Path("tiny/large")) == large);
  EXPECT_EQ(crypto::DecryptFile(Path("tiny/small.cry"), Path("check"),
                                crypto::DerivePasswordKeys("full-pass")),
            crypto::FileStatus::kOk);
  EXPECT_TRUE(ReadFile(Path("check")) == PatternBytes(6000, 2));
  EXPECT_EQ(DotFiles(Path("tiny")).size(), 0u);

  MakeImage("noise.png", 300, 300);
  WriteFile(Path("data"), "hidden");
  r = Run("hide noise.png --file data --out tiny/out.png --password-file pw");
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_FALSE(fs::exists(Path("tiny/out.png")));
  EXPECT_EQ(DotFiles(Path("tiny")).size(), 0u);
  EXPECT_TRUE(ReadFile(Path("tiny/large")) == large);
}

}  // namespace
}  // namespace veilmark::clitest
