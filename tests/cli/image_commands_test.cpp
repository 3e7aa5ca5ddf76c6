// hide, extract, scan, capacity, convert and analyze through the command line.
#include "core/stego/embed.h"
#include "tests/cli/cli_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <limits>
#include <sstream>
#include <string>

namespace veilmark::clitest {
namespace {

using testutil::PatternBytes;

// The message as extract shows it: a 22-character time, CR LF CR LF, the message file.
void ExpectMessage(const Result& r, const std::string& messageFile) {
  EXPECT_EQ(r.code, 0) << r.err;
  ASSERT_EQ(r.out.size(), 22u + 4u + messageFile.size()) << r.out;
  EXPECT_EQ(r.out.substr(13, 2), "h:");
  EXPECT_EQ(r.out.substr(22), "\r\n\r\n" + messageFile);
}

TEST_F(CliTest, HiddenFilesAndMessagesComeBackInEveryLosslessFormat) {
  Passwords("hide-pass\n");
  const std::string data = PatternBytes(3000);
  WriteFile(Path("data.bin"), data);
  WriteFile(Path("letter.txt"), "line one\r\nline two\r\n");
  MakeImage("Photo.png", 300, 200);
  for (const std::string format : {"png", "bmp", "tiff"}) {
    SCOPED_TRACE(format);
    const std::string carrier = "photo_steg." + format;  // named as the desktop names it
    Result r = Run("hide Photo.png --file data.bin --format " + format + " --password-file pw");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out,
                         ">>>> Steganography image generated <<<<\n\nPassword used: "
                         "slot 1\nPixels processed: 25344\n"))
        << r.out;
    EXPECT_FALSE(Contains(r.out + r.err, "hide-pass")) << r.out;
    fs::create_directory(Path("out"));
    r = Run("extract " + carrier + " --to out --password-file pw");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(ReadFile(Path("out/data.bin")) == data);
    fs::remove_all(Path("out"));

    // A message is the desktop's message file: CR LF line ends and one more at the end.
    ASSERT_EQ(Run("hide Photo.png --force --message 'Hello\nworld' --format " + format +
                  " --password-file pw")
                  .code,
              0);
    ExpectMessage(Run("extract " + carrier + " --password-file pw"), "Hello\r\nworld\r\n");
    ASSERT_EQ(Run("hide Photo.png --force --message-file letter.txt --out " + carrier +
                  " --password-file pw")
                  .code,
              0);
    ExpectMessage(Run("extract " + carrier + " --password-file pw"), "line one\r\nline two\r\n");
    fs::remove(Path(carrier));
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"Photo.png", "data.bin", "letter.txt", "pw"}));
}

TEST_F(CliTest, HideRefusesWithoutLosingAnything) {
  Passwords("hide-pass\n");
  MakeImage("small.png", 40, 40);  // capacity 200: a 6-byte file fits, a 7-byte one not
  WriteFile(Path("six"), "123456");
  WriteFile(Path("seven"), "1234567");
  WriteFile(Path("notes.txt"), "not an image");

  Result r = Run("hide small.png --file seven --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "There isn't enough storage capacity on the image to hide this file:\n"
                       "seven\n\nYou need at least a image with a storage capacity of 0 Ks (201 "
                       "bytes)\nMinimum resolution: 41 x 41 pixels"))
      << r.err;
  EXPECT_FALSE(fs::exists(Path("small_steg.png")));
  r = Run("hide small.png --file six --out given.bmp --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("given.bmp")).substr(0, 2), "BM");  // format from the name

  WriteFile(Path("taken.png"), "keep me");
  r = Run("hide small.png --file six --out taken.png --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "already exists")) << r.err;
  EXPECT_EQ(ReadFile(Path("taken.png")), "keep me");

  const struct {
    const char* args;
    int code;
  } refusals[] = {
      {"hide small.png --password-file pw", 2},
      {"hide small.png --file six --message hi --password-file pw", 2},
      {"hide small.png --file six --format jpg --password-file pw", 2},
      {"hide small.png --message '' --password-file pw", 2},
      {"hide small.png --file missing --password-file pw", 1},
      {"hide notes.txt --file six --password-file pw", 1},
      {"hide absent.png --file six --password-file pw", 1},
  };
  for (const auto& c : refusals) {
    SCOPED_TRACE(c.args);
    r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"given.bmp", "notes.txt", "pw", "seven", "six",
                                               "small.png", "taken.png"}));
}

TEST_F(CliTest, ExtractNeverReplacesWithoutForceNorTheCarrier) {
  Passwords("hide-pass\n");
  MakeImage("base.png", 200, 200);
  WriteFile(Path("data.bin"), "hidden bytes");
  ASSERT_EQ(Run("hide base.png --file data.bin --out carrier.png --password-file pw").code, 0);

  WriteFile(Path("data.bin"), "the user's own file");
  Result r = Run("extract carrier.png --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "The file data.bin already exists in the folder.")) << r.err;
  EXPECT_EQ(ReadFile(Path("data.bin")), "the user's own file");
  EXPECT_EQ(Run("extract carrier.png --force --password-file pw").code, 0);
  EXPECT_EQ(ReadFile(Path("data.bin")), "hidden bytes");

  // A hidden file named like its carrier: extracting it would destroy the carrier.
  WriteFile(Path("self.png"), "payload named like the carrier");
  ASSERT_EQ(Run("hide base.png --file self.png --out self.png --force --password-file pw").code, 0);
  const std::string carrier = ReadFile(Path("self.png"));
  r = Run("extract self.png --force --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err,
                       "The hidden file has the name of the image that carries it:\n"
                       "self.png\n\nIt was not extracted."))
      << r.err;
  EXPECT_TRUE(ReadFile(Path("self.png")) == carrier);

  Passwords("other-pass\n");
  r = Run("extract carrier.png --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.out.empty());  // no Crypto++ failure texts either
  EXPECT_EQ(Run("extract base.png --password-file pw").code, 1);
  EXPECT_EQ(Run("extract carrier.png --to missing --password-file pw").code, 1);
}

TEST_F(CliTest, ScanListsKindsAsTheDesktopDoes) {
  Passwords("scan-pass\n");
  MakeImage("base.png", 200, 200);
  MakeImage("pic.png", 10, 10, 3);
  WriteFile(Path("data.bin"), "data");
  fs::create_directories(Path("album/sub"));
  for (const char* args :
       {"--message hi --out album/b_message.png", "--file pic.png --out album/c_image.png",
        "--file data.bin --out album/d_file.png"}) {
    ASSERT_EQ(Run(std::string("hide base.png --password-file pw ") + args).code, 0) << args;
  }
  MakeImage("album/a\"q\\z.png", 20, 20);
  MakeImage("album/Plain.png", 30, 20);
  WriteFile(Path("album/e.txt.cry"), PatternBytes(64));
  WriteFile(Path("album/notes.txt"), "not an image");

  const std::string text =
      "a\"q\\z.png: plain\n"
      "b_message.png: hidden message: base.txt\n"
      "c_image.png: hidden image: pic.png\n"
      "d_file.png: hidden file: data.bin\n"
      "plain.png: plain\n"
      "Files: 7 (Images: 5  Encrypted: 1)\n";
  Result r = Run("scan album --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, text);

  // The stored slots serve as well: every defined slot is tried.
  StoreSlots({"first-pass", "", "scan-pass", "", ""}, 0);
  r = Run("scan album --json");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\n  \"folder\": \"album\",\n  \"images\": [\n"
            "    {\"name\": \"a\\\"q\\\\z.png\", \"file\": \"a\\\"q\\\\z.png\", \"kind\": "
            "\"plain\", \"hiddenName\": null, \"width\": 20, \"height\": 20},\n"
            "    {\"name\": \"b_message.png\", \"file\": \"b_message.png\", \"kind\": \"hidden "
            "message\", \"hiddenName\": \"base.txt\", \"width\": 200, \"height\": 200},\n"
            "    {\"name\": \"c_image.png\", \"file\": \"c_image.png\", \"kind\": \"hidden "
            "image\", \"hiddenName\": \"pic.png\", \"width\": 200, \"height\": 200},\n"
            "    {\"name\": \"d_file.png\", \"file\": \"d_file.png\", \"kind\": \"hidden file\", "
            "\"hiddenName\": \"data.bin\", \"width\": 200, \"height\": 200},\n"
            "    {\"name\": \"plain.png\", \"file\": \"Plain.png\", \"kind\": \"plain\", "
            "\"hiddenName\": null, \"width\": 30, \"height\": 20}\n  ],\n"
            "  \"files\": 7,\n  \"imageCount\": 5,\n  \"encrypted\": 1,\n"
            "  \"statistics\": \"Files: 7 (Images: 5  Encrypted: 1)\"\n}\n");
  ExpectMessage(Run("extract album/b_message.png"), "hi\r\n");

  // Names that are not UTF-8 still give valid JSON.
  fs::create_directory(Path("odd"));
  MakeImage("odd/bad\xff\x01.png", 8, 8);
  r = Run("scan odd --json");
  EXPECT_TRUE(Contains(r.out, "\"name\": \"bad\\ufffd\\u0001.png\"")) << r.out;

  EXPECT_EQ(Run("scan missing").code, 1);
  Passwords("wrong-pass\n");
  r = Run("scan album --password-file pw");
  EXPECT_EQ(r.out.find("hidden"), std::string::npos) << r.out;
}

// A pipe named like an image and the files that crashed decoders: the scan neither waits
// nor crashes, and finds nothing in them.
TEST_F(CliTest, ScanSurvivesPipesAndHostileImages) {
  Passwords("scan-pass\n");
  fs::create_directories(Path("odd"));
  MakeImage("odd/real.png", 12, 12);
  ASSERT_EQ(::mkfifo(Path("odd/a.png").c_str(), 0600), 0);
  const fs::path hostile = fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures/hostile-images";
  for (const char* name : {"count1_noicon.ani", "ilbm24.iff", "m0159_ilbm_rle.iff",
                           "bmp_rle4_odd.bmp", "m0163_rle4_real.bmp", "m0368_rle4_real.bmp"}) {
    fs::copy_file(hostile / name, Path(std::string("odd/") + name));
  }
  // `timeout` turns a hang into exit code 124.
  const Result r = Run("scan odd --password-file pw", "", "timeout 20 %s");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "bmp_rle4_odd.bmp: plain\n"
            "m0163_rle4_real.bmp: plain\n"
            "m0368_rle4_real.bmp: plain\n"
            "real.png: plain\n"
            "Files: 8 (Images: 4  Encrypted: 0)\n");
}

TEST_F(CliTest, CapacityNumbers) {
  const struct {
    int width, height;
    const char* expected;
  } cases[] = {
      {1000, 600,
       "1000x600 Storage capacity: 73 Ks (75000 bytes)\nLargest file to hide: 74806 "
       "bytes\n"},
      {40, 40, "40x40 Storage capacity: 0 Ks (200 bytes)\nLargest file to hide: 6 bytes\n"},
      {39, 39, "39x39 Storage capacity: 0 Ks (190 bytes)\nNo file fits in this image.\n"},
  };
  for (const auto& c : cases) {
    MakeImage("i.png", c.width, c.height);
    const Result r = Run("capacity i.png");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
  }
  WriteFile(Path("notes.txt"), "text");
  EXPECT_EQ(Run("capacity notes.txt").code, 1);
  EXPECT_EQ(Run("capacity").code, 2);

  // Past 80 million pixels the header's seven length digits are the limit.
  EXPECT_EQ(stego::LargestHiddenFile(std::numeric_limits<std::uint32_t>::max()),
            stego::kLargestHiddenFile);
  EXPECT_LT(stego::DataBlockLength(stego::kLargestHiddenFile), stego::kDataLengthLimit);
  EXPECT_GE(stego::DataBlockLength(stego::kLargestHiddenFile + 1), stego::kDataLengthLimit);
}

TEST_F(CliTest, ConvertNamesOutputsAsTheDesktop) {
  fs::create_directory(Path("my.pics"));
  const struct {
    const char* image;
    const char* format;
    const char* output;
  } cases[] = {
      {"my.pics/scan", "bmp", "my.pics/scan_conv.bmp"},  // the folder's "." stays
      {"photo.jpeg", "jpg", "photo_conv.jpg"},
      {"Beach.PNG", "tiff", "beach_conv.tiff"},
      {"a.b.bmp", "png", "a.b_conv.png"},
      {"pic.tiff", "gif", "pic_conv.gif"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    MakeImage(c.image, 64, 48);
    const Result r = Run(std::string("convert ") + c.image + " --to " + c.format);
    EXPECT_EQ(r.code, 0) << r.err;
    const image::ArgbImage converted = image::DecodeImageFile(Path(c.output));
    EXPECT_EQ(converted.Width(), 64);
    EXPECT_EQ(converted.Height(), 48);
  }
  EXPECT_TRUE(image::DecodeImageFile(Path("a.b_conv.png")) ==
              image::DecodeImageFile(Path("a.b.bmp")));

  WriteFile(Path("taken.png"), "keep me");
  EXPECT_EQ(Run("convert a.b.bmp --to png --out taken.png").code, 1);
  EXPECT_EQ(ReadFile(Path("taken.png")), "keep me");
  EXPECT_EQ(Run("convert a.b.bmp --to png --out taken.png --force").code, 0);
  EXPECT_EQ(image::DecodeImageFile(Path("taken.png")).Width(), 64);
  EXPECT_EQ(Run("convert a.b.bmp").code, 2);
  EXPECT_EQ(Run("convert a.b.bmp --to webp").code, 2);
}

TEST_F(CliTest, ConvertRefusesToDropHiddenDataWithoutForce) {
  Passwords("conv-pass\n");
  MakeImage("base.png", 200, 200);
  WriteFile(Path("data.bin"), "secret");
  ASSERT_EQ(Run("hide base.png --file data.bin --out x_steg.png --password-file pw").code, 0);

  for (const std::string format : {"jpg", "gif"}) {
    SCOPED_TRACE(format);
    const std::string output = "x_steg_conv." + format;
    Result r = Run("convert x_steg.png --to " + format + " --password-file pw");
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "'x_steg.png' carries hidden data (hidden file); a " +
                                    std::string(format == "jpg" ? "JPEG" : "GIF") +
                                    " copy would not keep it (--force writes it anyway)"))
        << r.err;
    EXPECT_FALSE(fs::exists(Path(output)));
    r = Run("convert x_steg.png --to " + format + " --force --password-file pw");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path(output)));
  }
  // The desktop's stored slots find it as well; a plain image converts without a word.
  StoreSlots({"other-pass", "conv-pass", "", "", ""}, 0);
  EXPECT_EQ(Run("convert x_steg.png --to jpg --out stored.jpg").code, 1);
  EXPECT_FALSE(fs::exists(Path("stored.jpg")));
  Result r = Run("convert base.png --to jpg");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(Contains(r.err, "hidden")) << r.err;
  // Lossless formats keep the payload: nothing to check.
  EXPECT_EQ(Run("convert x_steg.png --to bmp").code, 0);

  // Without any password the image cannot be checked: converted, with a note saying so.
  fs::remove(SettingsPath());
  r = Run("convert x_steg.png --to gif --out unchecked.gif");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(Contains(r.err,
                       "'x_steg.png': not checked for hidden data (no passwords given or "
                       "stored); a GIF copy keeps none"))
      << r.err;
}

TEST_F(CliTest, HiddenNamesAndMessagesReachTheTerminalVisibly) {
  Passwords("show-pass\n");
  MakeImage("base.png", 200, 200);
  // Right-to-left override: shown raw, "evil<RLO>txt.exe" reads as "evilexe.txt".
  const std::string name =
      "\x1b]0;owned\x07"
      "evil\xE2\x80\xAEtxt.exe";
  WriteFile(Path(name), "payload");
  fs::create_directory(Path("album"));
  Result r = Run("hide base.png --file *evil* --out album/name.png --password-file pw");
  ASSERT_EQ(r.code, 0) << r.err;
  WriteFile(Path("msg"),
            "title\x1b]0;owned\x07\nclear\x1b[2Jfake\xC2\x9B"
            "1m");
  ASSERT_EQ(Run("hide base.png --message-file msg --out album/message.png --password-file pw").code,
            0);
  MakeImage("album/\x1b[31mred.png", 20, 20);

  r = Run("scan album --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "\\x1B[31mred.png: plain\n"
            "message.png: hidden message: base.txt\n"
            "name.png: hidden file: _]0;owned_evil<U+202E>txt.exe\n"
            "Files: 3 (Images: 3  Encrypted: 0)\n");
  r = Run("scan album --json --password-file pw");
  EXPECT_TRUE(Contains(r.out, "\"hiddenName\": \"_]0;owned_evil\\u202etxt.exe\"")) << r.out;
  EXPECT_TRUE(Contains(r.out, "\"file\": \"\\u001b[31mred.png\"")) << r.out;

  // A message keeps its line breaks, nothing else.
  r = Run("extract album/message.png --password-file pw");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(22), "\r\n\r\ntitle\\x1B]0;owned\\x07\r\nclear\\x1B[2Jfake<U+009B>1m\r\n");
  r = Run("extract album/message.png --raw --password-file pw");
  EXPECT_EQ(r.out.substr(22),
            "\r\n\r\ntitle\x1b]0;owned\x07\r\nclear\x1b[2Jfake\xC2\x9B"
            "1m\r\n");

  // Refusals name the file visibly too.
  WriteFile(Path("album/_]0;owned_evil\xE2\x80\xAEtxt.exe"), "mine");
  r = Run("extract album/name.png --password-file pw");
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(Contains(r.err, "The file _]0;owned_evil<U+202E>txt.exe already exists")) << r.err;
  for (const std::string& text : {r.err, Run("scan album --password-file pw").out})
    EXPECT_EQ(text.find_first_of("\x1b\x07"), std::string::npos) << text;
}

// A file far larger than the image can hold is refused from its size, before it is read:
// with memory capped at 1 GiB, a 30 GiB (sparse) file to hide or message file.
TEST_F(CliTest, HideMeasuresTheFileBeforeReadingIt) {
  Passwords("size-pass\n");
  MakeImage("small.png", 40, 40);
  WriteFile(Path("huge"), "");
  fs::resize_file(Path("huge"), std::uintmax_t{30} << 30);
  const std::string limited =
#if defined(__SANITIZE_ADDRESS__)
      "%s";  // the sanitizer reserves terabytes of address space up front
#else
      "ulimit -v 1048576; %s";
#endif
  const struct {
    const char* source;
    const char* refusal;
  } cases[] = {
      {"--file huge",
       "There isn't enough storage capacity on the image to hide this file:\nhuge\n"},
      {"--message-file huge",
       "There isn't enough storage capacity on the image to hide this file:\nsmall.txt\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    const auto start = std::chrono::steady_clock::now();
    const Result r = Run(std::string("hide small.png --password-file pw ") + c.source, "", limited);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, c.refusal)) << r.err;
    EXPECT_LT(elapsed, std::chrono::seconds(10));
  }
  EXPECT_FALSE(fs::exists(Path("small_steg.png")));
}

// A clean picture, the same carrying a file, and one too small: one line each, in the
// folder's order, without a password being asked for (standard input is empty).
TEST_F(CliTest, AnalyzeTellsCleanFromCarrierWithoutPassword) {
  image::ArgbImage smooth(240, 160);
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x)
      smooth.SetPixel(
          x, y,
          stego::MakeArgb(255, std::uint8_t(x), std::uint8_t(y + 40), std::uint8_t((x + y) / 2)));
  fs::create_directory(Path("album"));
  ASSERT_TRUE(image::SaveImage(smooth, Path("album/a.png"), "image/png"));
  MakeImage("album/c.png", 1, 1);
  Passwords("hide-pass\n");
  WriteFile(Path("data.bin"), PatternBytes(4000));
  ASSERT_EQ(Run("hide album/a.png --file data.bin --out album/b.png --password-file pw").code, 0);

  Result r = Run("analyze album");
  EXPECT_EQ(r.code, 0) << r.err;
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> out;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }();
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_TRUE(Contains(lines[0], "album/a.png: estimated rate ")) << lines[0];
  EXPECT_TRUE(Contains(lines[0], ", looks clean, chi-square high over the first ")) << lines[0];
  EXPECT_TRUE(Contains(lines[1], ", likely carries hidden data, ")) << lines[1];
  EXPECT_EQ(lines[2], "album/c.png: too small to analyse");

  r = Run("analyze album/b.png --json");
  EXPECT_EQ(r.code, 0) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  ASSERT_EQ(json["images"].size(), 1u);
  const auto& b = json["images"][0];
  EXPECT_EQ(b["file"], "album/b.png");
  EXPECT_EQ(b["suspicious"], true);
  EXPECT_GT(b["estimated_rate"].get<double>(), 0.5);
  EXPECT_GT(b["channels"]["blue"]["spa_rate"].get<double>(), 0.5);
  EXPECT_TRUE(b["channels"]["red"].contains("chi_square_prefix"));

  WriteFile(Path("notes.txt"), "text");
  EXPECT_EQ(Run("analyze notes.txt").code, 1);
  EXPECT_EQ(Run("analyze missing.png").code, 1);
  EXPECT_EQ(Run("analyze").code, 2);
}

}  // namespace
}  // namespace veilmark::clitest
