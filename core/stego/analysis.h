// Blind steganalysis of a picture: what someone without the password can tell about whether
// its low bits carry data. No password, no user interface; works on any pixel grid.
#pragma once

#include "core/stego/pixel_grid.h"

#include <array>
#include <vector>

namespace veilmark::stego {

// Points of the sequential chi-square curve: the p-value over the first 1/N, 2/N, ... N/N of
// the pixel sequence in embedding order.
inline constexpr int kChiSquarePoints = 100;

struct ChannelAnalysis {
  double rsRate = 0;   // RS analysis: estimated fraction of samples whose low bit carries data
  double spaRate = 0;  // sample pairs analysis: the same estimate by another method
  std::vector<double> chiSquareCurve;  // kChiSquarePoints p-values in [0, 1]
  double chiSquarePrefix = 0;  // fraction of the sequence up to which the p-value stays high
};

enum class Verdict { kTooSmall, kLooksClean, kLikelyCarriesData };

struct ImageAnalysis {
  Verdict verdict = Verdict::kTooSmall;
  std::array<ChannelAnalysis, 3> channels;  // red, green, blue
  double estimatedRate = 0;                 // the largest channel estimate
};

// Analyses the opaque pixels of the grid. A grid too small to say anything (see the
// implementation for the threshold) gives Verdict::kTooSmall and zero estimates.
ImageAnalysis AnalyseImage(const PixelGrid& grid);

// "too small to analyse", "looks clean", "likely carries hidden data".
const char* VerdictText(Verdict verdict);

}  // namespace veilmark::stego
