#include "app/thumbnail_builder.h"

#include <exception>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#elif defined(_WIN32)
#include <wx/msw/wrapwin.h>
#endif

namespace veilmark::app {

namespace {
// Thumbnails are background work: the workers leave the cores to the user-interface thread
// and the display server whenever those have something to do, so that a full build never
// delays the answer to the user's input.
void LowerCurrentThreadPriority() {
#if defined(__linux__)
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);  // Linux: nice is per thread
#elif defined(_WIN32)
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#endif
}
}  // namespace

struct ThumbnailBuilder::Job {
  std::vector<std::string> paths;
  ThumbnailMaker maker;
  OnThumbnail onThumbnail;
  OnFinished onFinished;
  unsigned generation = 0;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<int> running{0};
};

ThumbnailBuilder::ThumbnailBuilder(Post post, int threads)
    : post_(std::move(post)),
      threads_(threads < 1 ? 1 : threads),
      generation_(std::make_shared<std::atomic<unsigned>>(0)) {}

ThumbnailBuilder::~ThumbnailBuilder() { Stop(); }

void ThumbnailBuilder::Start(std::vector<std::string> paths, ThumbnailMaker maker,
                             OnThumbnail onThumbnail, OnFinished onFinished) {
  Stop();
  auto job = std::make_shared<Job>();
  job->paths = std::move(paths);
  job->maker = std::move(maker);
  job->onThumbnail = std::move(onThumbnail);
  job->onFinished = std::move(onFinished);
  job->generation = ++*generation_;
  job_ = job;
  building_ = true;
  const int count = static_cast<int>(std::min<std::size_t>(
      static_cast<std::size_t>(threads_), std::max<std::size_t>(job->paths.size(), 1)));
  job->running = count;
  for (int i = 0; i < count; ++i) workers_.emplace_back([this, job] { Work(job); });
}

void ThumbnailBuilder::Stop() {
  if (job_) job_->stop = true;
  for (std::thread& t : workers_) t.join();
  workers_.clear();
  job_.reset();
  ++*generation_;  // whatever the workers queued is now stale
  building_ = false;
}

void ThumbnailBuilder::Work(const std::shared_ptr<Job>& job) {
  LowerCurrentThreadPriority();
  ThumbnailMaker maker = job->maker;  // this worker's own copy, with its own buffers
  while (!job->stop) {
    const std::size_t i = job->next++;
    if (i >= job->paths.size()) break;
    ThumbnailResult result;
    try {
      result = maker(job->paths[i]);
    } catch (const std::exception&) {
      result = ThumbnailResult{};  // an image that cannot be read gets a plain thumbnail
    }
    if (job->stop) break;
    const int index = static_cast<int>(i);
    // wxImage's reference count is not thread-safe: the task takes the only reference.
    auto shared = std::make_shared<ThumbnailResult>(std::move(result));
    Deliver(job->generation, [job, index, shared] { job->onThumbnail(index, std::move(*shared)); });
  }
  if (--job->running == 0 && !job->stop) {
    Deliver(job->generation, [this, job] {
      building_ = false;
      job->onFinished();
    });
  }
}

void ThumbnailBuilder::Deliver(unsigned generation, const std::function<void()>& action) {
  std::weak_ptr<std::atomic<unsigned>> current = generation_;
  post_([current, generation, action] {
    const auto gen = current.lock();
    if (gen && gen->load() == generation) action();
  });
}

}  // namespace veilmark::app
