// Peak resident memory while a 4000 x 3000 picture is edited through the document with a
// full undo history (ten snapshots), then undone and redone. Not a test: prints MiB.
//   bench_memory [operations]   (default 12: two more than the history holds)
#include "bench/bench_util.h"
#include "core/document/command_ids.h"
#include "core/document/document.h"
#include "core/document/settings.h"
#include "core/image/argb_image.h"
#include "core/image/imaging.h"
#include "tests/support/null_document_ui.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace veilmark;

// A user interface that shows nothing, agrees to every question and keeps each filter's
// starting value; the bench runs what the image-operation worker posts back.
class QuietUi final : public test::NullDocumentUi {
 public:
  bool AskYesNo(const std::string&, const std::string&, MessageIcon) override { return true; }
  std::optional<float> AskGamma(float initial) override { return initial; }
  std::optional<int> AskThreshold(int initial) override { return initial; }
  YesNoCancel AskYesNoCancel(const std::string&, const std::string&, MessageIcon) override {
    return YesNoCancel::kNo;
  }
};

void Line(const char* what) {
  std::printf("%-44s RSS %7.1f MiB   peak %7.1f MiB\n", what, bench::CurrentRssMiB(),
              bench::PeakRssMiB());
}

}  // namespace

int main(int argc, char** argv) {
  const int operations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  wxLogNull quiet;

  bench::ScratchFolder dir("veilmark-bench-memory");
  {
    const image::ArgbImage picture = bench::PhotoLike(4000, 3000, 3);
    image::SaveImage(picture, dir / "large.png", "image/png");
  }
  std::printf("one 4000x3000 picture is %.1f MiB as 32-bit ARGB\n",
              4000.0 * 3000.0 * 4.0 / (1024.0 * 1024.0));
  Line("after making the test picture");
  // The picture above was freed; a fresh process would start lower. Report from here on
  // the growth above this line as well as the peak.
  const double base = bench::CurrentRssMiB();

  QuietUi ui;
  MemorySettingsStore settings;
  {
    CLumicraftDoc doc(ui, settings, std::string());
    doc.OpenFolder(dir.Path().string());
    doc.SelectImage(0, std::string(), std::string());
    if (!doc.WorkingImage() || doc.WorkingImage()->Width() != 4000) {
      std::printf("the picture did not load\n");
      return 1;
    }
    Line("picture selected");
    const int cycle[] = {image::ID_EDIT_NEGATIVE,  image::ID_EDIT_MIRROR,
                         image::ID_EDIT_GRAYSCALE, image::ID_EDIT_ROTATE_RIGHT,
                         image::ID_EDIT_SHARPEN,   image::ID_EDIT_LIGHTEN};
    for (int i = 0; i < operations; ++i) {
      doc.StartImageOperation(cycle[i % 6], 0);
      ui.WaitAndRunPosted();  // the worker's completion
      char label[64];
      std::snprintf(label, sizeof label, "after operation %d", i + 1);
      Line(label);
    }
    for (int i = 0; i < CLumicraftDoc::kUndoSteps; ++i) doc.OnEditUndo();
    Line("after ten undos");
    for (int i = 0; i < CLumicraftDoc::kUndoSteps; ++i) doc.OnEditRedo();
    Line("after ten redos");
    const double peak = bench::PeakRssMiB();
    std::printf(
        "\npeak resident size: %.1f MiB (%.1f MiB above the start), %.1f pictures'"
        " worth\n",
        peak, peak - base, (peak - base) / (4000.0 * 3000.0 * 4.0 / 1048576.0));
  }
  Line("document closed");
  return 0;
}
