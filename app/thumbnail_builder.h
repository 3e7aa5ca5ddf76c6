// Builds the thumbnails of a folder on a few worker threads. The workers never touch a
// window and never wait for the user-interface thread: each finished thumbnail is handed to
// `post`, which queues it for the user-interface thread, so Stop() can simply join.
#pragma once

#include "app/app_document.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace veilmark::app {

class ThumbnailBuilder {
 public:
  // Queues `task` to run later on the user-interface thread; callable from any thread.
  using Post = std::function<void(std::function<void()> task)>;
  using OnThumbnail = std::function<void(int index, ThumbnailResult result)>;
  using OnFinished = std::function<void()>;

  ThumbnailBuilder(Post post, int threads);
  ~ThumbnailBuilder();
  ThumbnailBuilder(const ThumbnailBuilder&) = delete;
  ThumbnailBuilder& operator=(const ThumbnailBuilder&) = delete;

  // Stops a running build, then starts one over `paths`. The callbacks run on the
  // user-interface thread, and only for the build that is current when they run.
  void Start(std::vector<std::string> paths, ThumbnailMaker maker, OnThumbnail onThumbnail,
             OnFinished onFinished);
  // Asks the workers to stop after their current image and waits for them.
  void Stop();
  // True from Start until the last thumbnail was delivered or Stop was called.
  bool IsBuilding() const { return building_.load(); }

 private:
  struct Job;
  void Work(const std::shared_ptr<Job>& job);
  void Deliver(unsigned generation, const std::function<void()>& action);

  Post post_;
  int threads_;
  std::vector<std::thread> workers_;
  std::shared_ptr<Job> job_;
  std::atomic<bool> building_{false};
  std::shared_ptr<std::atomic<unsigned>> generation_;
};

}  // namespace veilmark::app
