// Opens a folder of 500 photographs (JPEG and PNG, 1600 x 1200, a few carrying payloads,
// five password slots of which one opens them) in the real main window and times the
// thumbnail build: until the first thumbnail is painted, until all are built, and the
// longest time the user-interface thread went without handling an event meanwhile (a 10 ms
// timer and every idle event leave a timestamp). Then times vipsthumbnail making the same
// thumbnails. Needs a display: xvfb-run -a -s "-screen 0 1600x1000x24" bench_gui_folder
// Options: --images N (default 500), --keep (leave the pictures in /tmp), --pictures DIR
// (reuse pictures an earlier --keep run wrote, with the same --images), --probe (block the
// user-interface thread once for 80 ms, to see the meter catch it).
#include "app/app_document.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "app/wx_document_ui.h"
#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "core/image/settings.h"
#include "core/stego/embed.h"

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/timer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace veilmark;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;
constexpr double kLimitMs = 50.0;
constexpr const char* kPassword = "quintus4072";
const crypto::PasswordSlots kSlots = {"alpha-one", "bravo-two", "charlie-three", "delta-four",
                                      kPassword};

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of the calling thread: tells a gap the UI thread spent working from one it
// spent waiting for a core.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Time the calling thread has spent ready to run but waiting for a core (Linux schedstat).
double ThreadRunQueueMs() {
  std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
  if (!f) return 0;
  unsigned long long onCpu = 0, waiting = 0;
  const int read = std::fscanf(f, "%llu %llu", &onCpu, &waiting);
  std::fclose(f);
  return read == 2 ? static_cast<double>(waiting) / 1e6 : 0;
}

struct Gap {
  double ms = 0;
  double atMs = 0;     // since the folder was opened
  double cpuMs = 0;    // UI-thread CPU time within the gap
  double queueMs = 0;  // time the UI thread waited for a core within the gap
  int done = 0;        // thumbnails shown when it ended
};

// Gradients, soft blobs and fine noise: decodes and compresses like a photograph.
image::ArgbImage PhotoLike(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  struct Blob {
    float x, y, r2, dr, dg, db;
  };
  std::vector<Blob> blobs;
  for (int i = 0; i < 5; ++i) {
    const float r = (0.05f + 0.2f * unit(random)) * static_cast<float>(std::min(width, height));
    blobs.push_back({unit(random) * width, unit(random) * height, r * r, unit(random) * 120 - 60,
                     unit(random) * 120 - 60, unit(random) * 120 - 60});
  }
  const float hue = unit(random) * 60;
  image::ArgbImage picture(width, height);
  std::uint32_t noise = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    const float fy = static_cast<float>(y) / static_cast<float>(height);
    image::Argb* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const float fx = static_cast<float>(x) / static_cast<float>(width);
      float r = 40 + 150 * fy + hue, g = 90 + 100 * (1 - fy) * fx, b = 200 - 120 * fy;
      for (const Blob& blob : blobs) {
        const float dx = static_cast<float>(x) - blob.x, dy = static_cast<float>(y) - blob.y;
        const float d = (dx * dx + dy * dy) / blob.r2;
        if (d < 1.0f) {
          r += blob.dr * (1 - d);
          g += blob.dg * (1 - d);
          b += blob.db * (1 - d);
        }
      }
      noise = noise * 1664525u + 1013904223u;
      const float n = static_cast<float>((noise >> 24) & 15u) - 7.5f;
      const auto clamp = [](float v) {
        return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
      };
      row[x] = stego::MakeArgb(255, clamp(r + n), clamp(g + n), clamp(b + n));
    }
  }
  return picture;
}

struct Picture {
  std::string name;
  int payloadKind = 0;  // 0 none, 20 image, 30 message, 40 file
};

// Every other picture a PNG; six PNGs carry a payload, two of each kind.
std::vector<Picture> PlanPictures(int count) {
  std::vector<Picture> plan;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%04d.%s", i, i % 2 ? "png" : "jpg");
    plan.push_back({name, 0});
  }
  const int kinds[] = {20, 30, 40, 20, 30, 40};
  for (int k = 0; k < 6 && 1 + k * 2 * (count / 12) < count; ++k)
    plan[static_cast<std::size_t>(1 + k * 2 * (count / 12))].payloadKind = kinds[k];
  return plan;
}

void MakePictures(const fs::path& folder, const std::vector<Picture>& plan) {
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(kPassword);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < plan.size(); i = next++) {
      const Picture& p = plan[i];
      image::ArgbImage picture = PhotoLike(kWidth, kHeight, static_cast<unsigned>(i) + 7);
      if (p.payloadKind != 0) {
        const char* hidden = p.payloadKind == 20   ? "holiday.png"
                             : p.payloadKind == 30 ? "message.txt"
                                                   : "contract.pdf";
        const std::string bytes(20000, static_cast<char>('a' + i % 26));
        stego::EmbedPayload(picture, keys, kPassword, bytes, hidden, "2026-12-09 10h:00m:00s");
      }
      const bool png = p.name.size() > 4 && p.name.compare(p.name.size() - 4, 4, ".png") == 0;
      if (!image::SaveImage(picture, folder / p.name, png ? "image/png" : "image/jpeg")) {
        std::fprintf(stderr, "cannot write %s\n", (folder / p.name).c_str());
        std::exit(1);
      }
    }
  };
  std::thread helper(work);
  work();
  helper.join();
}

// Runs a program and waits for it; its wall time in ms, or -1 when it could not run.
double TimeProgram(const std::vector<std::string>& argv) {
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return Ms(start, Clock::now());
}

class BenchApp : public wxApp {
 public:
  bool OnInit() override;
  int OnExit() override;

 private:
  void StartBuild();
  void Beat();
  void Finish();

  int count_ = 500;
  bool keep_ = false;
  bool probe_ = false;  // block the UI thread once for 80 ms
  std::string reuse_;   // a folder written by an earlier --keep run
  fs::path root_;
  fs::path pictures_;
  int expectedFlagged_ = 0;

  MemorySettingsStore settings_;
  std::unique_ptr<app::WxDocumentUi> ui_;
  std::unique_ptr<app::AppDocument> doc_;
  app::CMainFrame* frame_ = nullptr;
  wxTimer heartbeat_;
  wxTimer settle_;
  wxTimer finish_;

  bool measuring_ = false;
  Clock::time_point start_, opened_, firstShown_, built_, lastBeat_;
  bool sawFirst_ = false;
  bool sawBuilt_ = false;
  double lastCpuMs_ = 0;
  double lastQueueMs_ = 0;
  std::vector<Gap> gaps_;  // the longest few, longest first
  int gapsOverLimit_ = 0;
  long beats_ = 0;
};

bool BenchApp::OnInit() {
  for (int i = 1; i < argc; ++i) {
    const wxString arg = argv[i];
    if (arg == "--images" && i + 1 < argc)
      count_ = std::max(1, std::atoi(argv[++i].utf8_str()));
    else if (arg == "--keep")
      keep_ = true;
    else if (arg == "--probe")
      probe_ = true;
    else if (arg == "--pictures" && i + 1 < argc)
      reuse_ = argv[++i].utf8_string();
  }
  image::InitImageHandlers();
  // Wrong-key attempts write Crypto++'s text to std::cout; keep it out of the figures
  // (they go through printf).
  std::cout.setstate(std::ios::badbit);
  char pattern[] = "/tmp/veilmark-bench-gui-XXXXXX";
  if (!mkdtemp(pattern)) return false;
  root_ = pattern;
  pictures_ = reuse_.empty() ? root_ / "Pictures" : fs::path(reuse_);
  fs::create_directories(root_ / "Empty");

  const std::vector<Picture> plan = PlanPictures(count_);
  for (const Picture& p : plan) expectedFlagged_ += p.payloadKind != 0;
  if (reuse_.empty()) {
    fs::create_directories(pictures_);
    std::printf("writing %d pictures of %d x %d to %s ...\n", count_, kWidth, kHeight,
                pictures_.c_str());
    std::fflush(stdout);
    const auto made = Clock::now();
    MakePictures(pictures_, plan);
    std::printf("  written in %.1f s\n", Ms(made, Clock::now()) / 1000);
  }

  // An isolated profile: not the first run, five slots, the last one opens the payloads.
  settings_.WriteInt("VeilmarkData", 0);
  for (int i = 0; i < crypto::kPasswordSlots; ++i)
    settings_.WriteString(kPasswordValueNames[i], kSlots[static_cast<std::size_t>(i)]);
  settings_.WriteInt(kSelectedPasswordValueName, 4);

  SetAppName("Veilmark");
  SetVendorName("Veilmark");
  ui_ = std::make_unique<app::WxDocumentUi>();
  doc_ = app::CreateDocument(*ui_, settings_, (root_ / "Samples").string());
  frame_ = new app::CMainFrame(*doc_, settings_);
  ui_->Attach(frame_);
  SetTopWindow(frame_);
  frame_->SetSize(wxRect(320, 10, 1260, 900));
  frame_->InitialUpdate({(root_ / "Empty").string()});
  frame_->ShowFirstTime();

  frame_->View()->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
    event.Skip();
    if (measuring_ && !sawFirst_ && frame_->View()->ThumbnailsDone() > 0) {
      sawFirst_ = true;
      firstShown_ = Clock::now();
    }
  });
  Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
    event.Skip();
    Beat();
  });
  heartbeat_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Beat(); });
  // Let the windows appear and settle before the folder is opened.
  settle_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { StartBuild(); });
  settle_.StartOnce(1500);
  finish_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Finish(); });
  return true;
}

void BenchApp::StartBuild() {
  start_ = Clock::now();
  doc_->OpenFolder(pictures_.string());
  opened_ = lastBeat_ = Clock::now();
  lastCpuMs_ = ThreadCpuMs();
  lastQueueMs_ = ThreadRunQueueMs();
  measuring_ = true;
  if (probe_)  // shows that the meter sees a blocked UI thread
    frame_->CallAfter([] { std::this_thread::sleep_for(std::chrono::milliseconds(80)); });
  heartbeat_.Start(10);
}

void BenchApp::Beat() {
  if (!measuring_) return;
  const auto now = Clock::now();
  const double cpu = ThreadCpuMs();
  const double queue = ThreadRunQueueMs();
  app::CLumicraftView* view = frame_->View();
  const Gap gap{Ms(lastBeat_, now), Ms(start_, now), cpu - lastCpuMs_, queue - lastQueueMs_,
                view->ThumbnailsDone()};
  if (gap.ms > kLimitMs) ++gapsOverLimit_;
  if (gaps_.size() < 5 || gap.ms > gaps_.back().ms) {
    gaps_.push_back(gap);
    std::sort(gaps_.begin(), gaps_.end(), [](const Gap& a, const Gap& b) { return a.ms > b.ms; });
    if (gaps_.size() > 5) gaps_.pop_back();
  }
  lastBeat_ = now;
  lastCpuMs_ = cpu;
  lastQueueMs_ = queue;
  ++beats_;
  if (!sawBuilt_ && !view->IsBuilding() && view->ThumbnailsDone() == view->GetItemCount()) {
    sawBuilt_ = true;
    built_ = now;
    // Measure a little longer: the last repaint belongs to the build.
    finish_.StartOnce(300);
  }
}

void BenchApp::Finish() {
  if (!measuring_) return;
  measuring_ = false;
  heartbeat_.Stop();
  app::CLumicraftView* view = frame_->View();
  std::printf("\nGUI folder build, %d pictures (%d JPEG, %d PNG), %d thumbnail workers\n",
              view->GetItemCount(), (count_ + 1) / 2, count_ / 2,
              static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)));
  std::printf("  OpenFolder (listing, UI thread): %8.1f ms\n", Ms(start_, opened_));
  std::printf("  first thumbnail painted:         %8.1f ms\n",
              sawFirst_ ? Ms(start_, firstShown_) : -1.0);
  std::printf("  all thumbnails built:            %8.1f ms  (%.1f ms per picture)\n",
              Ms(start_, built_), Ms(start_, built_) / std::max(1, view->GetItemCount()));
  std::printf("  framed thumbnails:               %8d     (expected %d)\n", view->FlaggedCount(),
              expectedFlagged_);
  const double longest = gaps_.empty() ? 0.0 : gaps_.front().ms;
  std::printf("  longest UI-thread gap:           %8.1f ms  (%d gaps over %.0f ms in %ld beats)\n",
              longest, gapsOverLimit_, kLimitMs, beats_);
  for (const Gap& gap : gaps_)
    std::printf(
        "    gap %6.1f ms at %7.0f ms: UI thread working %5.1f ms, waiting for a core "
        "%5.1f ms; %d shown\n",
        gap.ms, gap.atMs, gap.cpuMs, gap.queueMs, gap.done);
  std::printf("  verdict: %s\n", longest <= kLimitMs ? "UI thread never blocked > 50 ms"
                                                     : "UI thread BLOCKED > 50 ms");
  std::fflush(stdout);

  std::vector<std::string> vips = {"vipsthumbnail", "-s", "150x135", "-o",
                                   (root_ / "vips" / "%s.jpg").string()};
  fs::create_directories(root_ / "vips");
  for (const auto& entry : fs::directory_iterator(pictures_)) vips.push_back(entry.path());
  const double vipsMs = TimeProgram(vips);
  if (vipsMs < 0)
    std::printf("\nvipsthumbnail: not available (scripts/install-bench-deps installs it)\n");
  else
    std::printf("\nvipsthumbnail -s 150x135, same %d pictures: %8.1f ms  (%.1f ms per picture)\n",
                count_, vipsMs, vipsMs / count_);
  std::fflush(stdout);
  frame_->Close(true);
}

int BenchApp::OnExit() {
  ui_->Attach(nullptr);
  doc_.reset();
  ui_.reset();
  if (!keep_) {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  return wxApp::OnExit();
}

}  // namespace

wxIMPLEMENT_APP(BenchApp);
