// The flows the desktop and the CLI share, where a front end's tests cannot reach every case.
#include "core/document/flows.h"

#include "tests/core/document/fixture.h"

#include <gtest/gtest.h>

namespace veilmark::test {
namespace {

TEST(Flows, LengthsCountWholeCharacters) {
  const struct {
    std::string text;
    std::size_t characters;
    std::size_t cutAt3;  // bytes kept by CutToCharacters(text, 3)
  } cases[] = {
      {"abcd", 4, 3},
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 4, 6},
      {"\xe2\x82\xac\xe2\x82\xac", 2, 6},
      {"a\xf0\x9f\x94\x91"
       "bc",
       4, 6},  // a character outside the BMP is one
      {"\xff\xfe"
       "a"
       "\x80",
       4, 3},              // a stray byte counts as one character
      {"\xe2\x82", 2, 2},  // a sequence cut short: two stray bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CharacterCount(c.text), c.characters);
    EXPECT_EQ(CutToCharacters(c.text, 3), c.text.substr(0, c.cutAt3));
  }
  EXPECT_EQ(PasswordLengthRefusal(""), "");
  EXPECT_EQ(PasswordLengthRefusal("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"),
            "Passwords length should be at least 5 characters.");
}

TEST(Flows, HideRefusalsComeInTheEnginesOrder) {
  const std::string name80(80, 'n');
  const struct {
    std::uint32_t capacity;
    std::uint64_t size;
    std::string name;
    HideRefusal refusal;
  } cases[] = {
      {1'000'000, 1000, "a.txt", HideRefusal::kNone},
      {100, 1000, "", HideRefusal::kNotEnoughCapacity},
      {100'000'000, 10'000'000, "a.txt", HideRefusal::kTooLarge},
      {1'000'000, 1000, "", HideRefusal::kInvalidName},
      {1'000'000, 1000, name80, HideRefusal::kNone},
      {1'000'000, 1000, name80 + "n", HideRefusal::kInvalidName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(CheckHide(c.capacity, c.size, c.name).refusal, c.refusal);
  }
}

// An extraction never writes over the carrier and treats a link, even a dangling one, as a
// file that is there: the policy both front ends ask before writing.
TEST(Flows, ExtractTargets) {
  TempFolder folder;
  WriteFile(folder / "carrier.png", "png");
  WriteFile(folder / "other.txt", "text");
  // Windows makes links only with a privilege (Wine not at all): the link cases need them.
  std::error_code noLinks;
  fs::create_symlink(folder / "gone", folder / "dangling", noLinks);
  if (!noLinks) fs::create_symlink(folder / "carrier.png", folder / "alias.png", noLinks);
  const fs::path carrier = folder / "carrier.png";
  struct Case {
    const char* name;
    ExtractTarget expected;
  };
  std::vector<Case> cases{{"new.txt", ExtractTarget::kFree},
                          {"other.txt", ExtractTarget::kExists},
                          {"carrier.png", ExtractTarget::kIsCarrier}};
  if (!noLinks) {
    cases.push_back({"dangling", ExtractTarget::kExists});
    cases.push_back({"alias.png", ExtractTarget::kIsCarrier});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClassifyExtractTarget(folder / c.name, carrier), c.expected);
  }
  EXPECT_EQ(ClassifyExtractTarget(folder / "other.txt", {}), ExtractTarget::kExists);
  // The image chooses the name: it never chooses the folder.
  EXPECT_EQ(ExtractTargetPath(folder.path(), "../../etc/passwd").parent_path(), folder.path());
}

}  // namespace
}  // namespace veilmark::test
