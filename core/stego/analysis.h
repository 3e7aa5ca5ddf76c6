// Blind steganalysis of a picture: what someone without the password can tell about whether
// its low bits carry data. No password, no user interface; works on any pixel grid.
#pragma once

#include "core/stego/pixel_grid.h"

#include <array>
#include <cstddef>
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

// Below this many visible (alpha != 0) pixels the estimates scatter more than the threshold.
inline constexpr std::size_t kMinAnalysedPixels = 1024;
// A chi-square p-value at or above this counts as "high": the pairs look overwritten.
inline constexpr double kChiSquareHigh = 0.5;
// The verdict's threshold on the estimated rate (see bench_analysis for the measurements).
inline constexpr double kSuspiciousRate = 0.08;
// A leading band is checked from this many pixels on, and flags the picture at this rate.
inline constexpr std::size_t kMinBandPixels = 4096;
inline constexpr double kSuspiciousBandRate = 0.7;

enum class Verdict { kTooSmall, kLooksClean, kLikelyCarriesData };

struct ImageAnalysis {
  Verdict verdict = Verdict::kTooSmall;
  std::array<ChannelAnalysis, 3> channels;  // red, green, blue
  double estimatedRate = 0;                 // the largest channel estimate
  // The densest leading band of rows (at least kMinBandPixels): its largest channel estimate
  // and its share of the picture. A payload fills the picture from the top.
  double leadingRate = 0;
  double leadingShare = 0;
};

// Analyses the visible (alpha != 0) pixels of the grid. Fewer than kMinAnalysedPixels of
// them give Verdict::kTooSmall and zero estimates.
ImageAnalysis AnalyseImage(const PixelGrid& grid);
// The same on Width() * Height() pixels row by row.
ImageAnalysis AnalysePixels(const Argb* pixels, int width, int height);

// A channel's estimate: the mean of its RS and sample pairs estimates. Near the full rate
// RS's equation degenerates (its counts meet on the picture and on its flipped twin alike)
// and its root may read anything, while sample pairs stays sound: there it decides.
inline double ChannelRate(const ChannelAnalysis& channel) {
  if (channel.spaRate >= 0.5)
    return channel.rsRate > channel.spaRate ? channel.rsRate : channel.spaRate;
  return 0.5 * (channel.rsRate + channel.spaRate);
}

// P(X >= chiSquare) for X chi-square distributed with these degrees of freedom.
double ChiSquareSurvival(double chiSquare, int degreesOfFreedom);

// "too small to analyse", "looks clean", "likely carries hidden data".
const char* VerdictText(Verdict verdict);

}  // namespace veilmark::stego
