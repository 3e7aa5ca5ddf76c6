// The thumbnail workers: every result reaches the user-interface thread, a stop is prompt
// and joins, and nothing of a stopped or replaced build arrives afterwards.
#include "app/thumbnail_builder.h"
#include "gui_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace veilmark::app {
namespace {

using test::PumpUntil;

ThumbnailBuilder::Post UiPost() {
  return [](std::function<void()> task) { wxTheApp->CallAfter(std::move(task)); };
}

std::vector<std::string> Paths(int n) {
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) paths.push_back("image" + std::to_string(i));
  return paths;
}

TEST(ThumbnailBuilder, DeliversEveryThumbnailOnTheUiThreadThenFinishes) {
  ThumbnailBuilder builder(UiPost(), 3);
  const auto ui = std::this_thread::get_id();
  std::vector<int> kinds(20, 0);
  int finished = 0;
  bool offThread = false;
  builder.Start(
      Paths(20),
      [](const std::string& path) {
        return ThumbnailResult{wxImage(4, 4), path == "image7" ? 30 : kKindPlain};
      },
      [&](int index, ThumbnailResult result) {
        offThread |= std::this_thread::get_id() != ui;
        kinds.at(static_cast<std::size_t>(index)) = result.kind;
      },
      [&] { ++finished; });
  EXPECT_TRUE(builder.IsBuilding());
  ASSERT_TRUE(PumpUntil([&] { return finished == 1; }));
  EXPECT_FALSE(builder.IsBuilding());
  EXPECT_FALSE(offThread);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(kinds[static_cast<std::size_t>(i)], i == 7 ? 30 : 10);
}

// A maker may keep scratch buffers between calls (the document's does): two workers must
// never call the same copy at once. A copy of this maker starts with a flag of its own.
struct MakerWithScratch {
  explicit MakerWithScratch(std::shared_ptr<std::atomic<int>> shared)
      : overlaps(std::move(shared)) {}
  MakerWithScratch(const MakerWithScratch& other) : overlaps(other.overlaps) {}
  ThumbnailResult operator()(const std::string&) {
    if (inUse->exchange(true)) ++*overlaps;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    inUse->store(false);
    return ThumbnailResult{};
  }
  std::shared_ptr<std::atomic<int>> overlaps;  // shared by every copy
  std::shared_ptr<std::atomic<bool>> inUse = std::make_shared<std::atomic<bool>>(false);
};

TEST(ThumbnailBuilder, EachWorkerCallsItsOwnCopyOfTheMaker) {
  ThumbnailBuilder builder(UiPost(), 3);
  auto overlaps = std::make_shared<std::atomic<int>>(0);
  int delivered = 0;
  bool finished = false;
  builder.Start(
      Paths(30), MakerWithScratch(overlaps), [&](int, ThumbnailResult) { ++delivered; },
      [&] { finished = true; });
  ASSERT_TRUE(PumpUntil([&] { return finished; }));
  EXPECT_EQ(delivered, 30);
  EXPECT_EQ(overlaps->load(), 0);
}

#ifdef __linux__
TEST(ThumbnailBuilder, WorkersRunBelowTheUiThreadsPriority) {
  // A build saturates every core; the user-interface thread must still get one at once.
  ThumbnailBuilder builder(UiPost(), 2);
  std::atomic<int> lowest{100};
  bool finished = false;
  builder.Start(
      Paths(4),
      [&](const std::string&) {
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        lowest = std::min(lowest.load(), nice);
        return ThumbnailResult{};
      },
      [](int, ThumbnailResult) {}, [&] { finished = true; });
  ASSERT_TRUE(PumpUntil([&] { return finished; }));
  EXPECT_GT(lowest.load(), getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())));
}
#endif

TEST(ThumbnailBuilder, EmptyFolderFinishesToo) {
  ThumbnailBuilder builder(UiPost(), 2);
  bool finished = false;
  builder.Start(
      {}, nullptr, [](int, ThumbnailResult) {}, [&] { finished = true; });
  EXPECT_TRUE(PumpUntil([&] { return finished; }));
}

TEST(ThumbnailBuilder, StopIsPromptAndLateResultsAreDropped) {
  ThumbnailBuilder builder(UiPost(), 2);
  std::atomic<int> made{0};
  int delivered = 0;
  bool finished = false;
  builder.Start(
      Paths(1000),
      [&](const std::string&) {
        ++made;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ThumbnailResult{};
      },
      [&](int, ThumbnailResult) { ++delivered; }, [&] { finished = true; });
  ASSERT_TRUE(PumpUntil([&] { return delivered >= 2; }));

  const auto before = std::chrono::steady_clock::now();
  builder.Stop();  // joins: no event loop is needed for the workers to end
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
  EXPECT_FALSE(builder.IsBuilding());
  const int madeAtStop = made;
  const int deliveredAtStop = delivered;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(made, madeAtStop);
  EXPECT_EQ(delivered, deliveredAtStop) << "results queued before the stop are stale";
  EXPECT_FALSE(finished);
  EXPECT_LT(madeAtStop, 1000);
}

TEST(ThumbnailBuilder, RestartDropsTheResultsOfThePreviousBuild) {
  ThumbnailBuilder builder(UiPost(), 2);
  std::vector<std::string> seen;
  bool finished = false;
  auto maker = [](const std::string&) { return ThumbnailResult{}; };
  builder.Start(
      {"old0", "old1", "old2"}, maker,
      [&](int i, ThumbnailResult) { seen.push_back("old" + std::to_string(i)); }, [] {});
  builder.Start(
      {"new0"}, maker, [&](int i, ThumbnailResult) { seen.push_back("new" + std::to_string(i)); },
      [&] { finished = true; });
  ASSERT_TRUE(PumpUntil([&] { return finished; }));
  EXPECT_EQ(seen, std::vector<std::string>{"new0"});
}

TEST(ThumbnailBuilder, AFailingImageGetsAPlainThumbnail) {
  ThumbnailBuilder builder(UiPost(), 1);
  int kind = 0;
  bool finished = false;
  builder.Start(
      {"broken"},
      [](const std::string&) -> ThumbnailResult { throw std::runtime_error("cannot decode"); },
      [&](int, ThumbnailResult r) { kind = r.kind; }, [&] { finished = true; });
  ASSERT_TRUE(PumpUntil([&] { return finished; }));
  EXPECT_EQ(kind, kKindPlain);
}

}  // namespace
}  // namespace veilmark::app
