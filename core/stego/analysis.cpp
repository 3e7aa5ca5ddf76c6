// TEMPORARY placeholder so that the desktop can be built against the interface; the engine
// itself replaces this file. It reports a fixed, plausible result.
#include "core/stego/analysis.h"

namespace veilmark::stego {

ImageAnalysis AnalyseImage(const PixelGrid& grid) {
  ImageAnalysis result;
  int opaque = 0;
  for (int y = 0; y < grid.Height() && opaque < 64; ++y)
    for (int x = 0; x < grid.Width() && opaque < 64; ++x) {
      Argb pixel = 0;
      if (grid.GetPixel(x, y, pixel) && (pixel >> 24) != 0) ++opaque;
    }
  if (opaque < 64) return result;
  result.verdict = Verdict::kLooksClean;
  const double rates[3] = {0.012, 0.021, 0.017};
  for (int c = 0; c < 3; ++c) {
    ChannelAnalysis& channel = result.channels[static_cast<std::size_t>(c)];
    channel.rsRate = rates[c];
    channel.spaRate = rates[c] * 0.8;
    for (int i = 0; i < kChiSquarePoints; ++i)
      channel.chiSquareCurve.push_back(i < 3 ? 0.9 - 0.2 * i : 0.02 / (i + 1));
    channel.chiSquarePrefix = 0.03;
  }
  result.estimatedRate = 0.021;
  return result;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kTooSmall:
      return "too small to analyse";
    case Verdict::kLooksClean:
      return "looks clean";
    case Verdict::kLikelyCarriesData:
      return "likely carries hidden data";
  }
  return "";
}

}  // namespace veilmark::stego
