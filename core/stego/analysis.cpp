#include "core/stego/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace veilmark::stego {

namespace {

using Counts = std::array<std::int64_t, 3>;

// Pixels with alpha 0 are skipped: their colour is arbitrary (often zeroed by an editor).
constexpr bool Visible(Argb v) { return (v >> 24) != 0; }

// Clamps an estimate to a rate; a failed solve (NaN) counts as no evidence.
double ClampRate(double rate) {
  if (!(rate > 0)) return 0;
  return rate > 1 ? 1 : rate;
}

// ---- RS analysis -------------------------------------------------------------------------
// Groups of four pixels along a row, mask 0 1 1 0, smoothness = sum of neighbour differences.
// Counted on the picture and on the picture with every low bit flipped, each with the
// flipping F1 (x ^ 1) and its shifted twin F-1 (-1<->0, 1<->2, ...).

struct RsCounts {
  // [0]: picture, [1]: low bits flipped; each: regular and singular for +M and -M.
  std::int64_t regular[2][2] = {};
  std::int64_t singular[2][2] = {};
};

using Sample = std::int16_t;

inline int Smoothness(int a, int b, int c, int d) {
  return std::abs(b - a) + std::abs(c - b) + std::abs(d - c);
}
inline int FlipNeg(int x) { return ((x + 1) ^ 1) - 1; }

// One channel's groups of a row, split by position so that every load is contiguous and the
// loop vectorises: a[g], b[g], c[g], d[g] are the group's four samples, w[g] is 1 when all
// four are visible.
void CountRsGroups(const Sample* a_, const Sample* b_, const Sample* c_, const Sample* d_,
                   const Sample* w_, int groups, RsCounts& out) {
  std::int32_t r00 = 0, s00 = 0, r01 = 0, s01 = 0, r10 = 0, s10 = 0, r11 = 0, s11 = 0;
  for (int g = 0; g < groups; ++g) {
    const int a = a_[g], b = b_[g], c = c_[g], d = d_[g], w = w_[g];
    const int f = Smoothness(a, b, c, d);
    const int fp = Smoothness(a, b ^ 1, c ^ 1, d);
    const int fn = Smoothness(a, FlipNeg(b), FlipNeg(c), d);
    const int a1 = a ^ 1, b1 = b ^ 1, c1 = c ^ 1, d1 = d ^ 1;
    const int f1 = Smoothness(a1, b1, c1, d1);
    const int fp1 = Smoothness(a1, b, c, d1);
    const int fn1 = Smoothness(a1, FlipNeg(b1), FlipNeg(c1), d1);
    r00 += w & (fp > f);
    s00 += w & (fp < f);
    r01 += w & (fn > f);
    s01 += w & (fn < f);
    r10 += w & (fp1 > f1);
    s10 += w & (fp1 < f1);
    r11 += w & (fn1 > f1);
    s11 += w & (fn1 < f1);
  }
  out.regular[0][0] += r00;
  out.singular[0][0] += s00;
  out.regular[0][1] += r01;
  out.singular[0][1] += s01;
  out.regular[1][0] += r10;
  out.singular[1][0] += s10;
  out.regular[1][1] += r11;
  out.singular[1][1] += s11;
}

// Solves 2(d1 + d0)x^2 + (d-0 - d-1 - d1 - 3d0)x + d0 - d-0 = 0 for the root nearer zero;
// the rate is x / (x - 1/2).
double RsRate(const RsCounts& c) {
  const double d0 = double(c.regular[0][0] - c.singular[0][0]);
  const double dn0 = double(c.regular[0][1] - c.singular[0][1]);
  const double d1 = double(c.regular[1][0] - c.singular[1][0]);
  const double dn1 = double(c.regular[1][1] - c.singular[1][1]);
  const double qa = 2 * (d1 + d0);
  const double qb = dn0 - dn1 - d1 - 3 * d0;
  const double qc = d0 - dn0;
  double x;
  if (std::fabs(qa) < 1e-9) {
    if (std::fabs(qb) < 1e-9) return 0;
    x = -qc / qb;
  } else {
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0) {
      x = -qb / (2 * qa);
    } else {
      const double root = std::sqrt(disc);
      const double x1 = (-qb + root) / (2 * qa);
      const double x2 = (-qb - root) / (2 * qa);
      x = std::fabs(x1) < std::fabs(x2) ? x1 : x2;
    }
  }
  return ClampRate(x / (x - 0.5));
}

// ---- Sample pairs analysis ---------------------------------------------------------------
// Neighbours (u, v), across and down. X: v even and u < v, or v odd and u > v; Y the mirror;
// Z: u == v; W: the two differ in the low bit only. In a clean picture X and Y balance.

struct SpaCounts {
  std::int64_t x = 0, z = 0, w = 0, pairs = 0;  // Y = pairs - Z - X
};

// Counts the pairs (u[i], v[i]) for i < count where both are visible (vis[i] == 1).
void CountSpaPairs(const Sample* u_, const Sample* v_, const Sample* vis_, int count,
                   SpaCounts& out) {
  std::int32_t x = 0, z = 0, w = 0;
  for (int i = 0; i < count; ++i) {
    const int u = u_[i], v = v_[i], vis = vis_[i];
    const int odd = v & 1;
    x += vis & ((odd & (u > v)) | ((odd ^ 1) & (u < v)));
    z += vis & (u == v);
    w += vis & ((u ^ v) == 1);
  }
  out.x += x;
  out.z += z;
  out.w += w;
}

// The smaller root of (W + Z)/2 p^2 + (2X - P) p + Y - X = 0.
double SpaRate(const SpaCounts& c) {
  const double qa = 0.5 * double(c.w + c.z);
  const double qb = double(2 * c.x - c.pairs);
  const double qc = double(c.pairs - c.z - 2 * c.x);  // Y - X
  if (std::fabs(qa) < 1e-9) return std::fabs(qb) < 1e-9 ? 0 : ClampRate(-qc / qb);
  const double disc = qb * qb - 4 * qa * qc;
  if (disc < 0) return ClampRate(-qb / (2 * qa));
  const double root = std::sqrt(disc);
  return ClampRate(std::min((-qb + root) / (2 * qa), (-qb - root) / (2 * qa)));
}

// ---- Sequential chi-square ---------------------------------------------------------------

// Regularised upper incomplete gamma Q(a, x): a series below a + 1, a continued fraction
// above (the textbook pair). A few lines instead of a statistics dependency.
double GammaQ(double a, double x) {
  if (x <= 0) return 1;
  const double lnFront = a * std::log(x) - x - std::lgamma(a);
  if (x < a + 1) {
    double term = 1 / a, sum = term;
    for (int n = 1; n < 1000; ++n) {
      term *= x / (a + n);
      sum += term;
      if (std::fabs(term) < std::fabs(sum) * 1e-14) break;
    }
    return std::clamp(1 - sum * std::exp(lnFront), 0.0, 1.0);
  }
  constexpr double kTiny = 1e-300;
  double b = x + 1 - a, c = 1 / kTiny, d = 1 / b, h = d;
  for (int i = 1; i < 1000; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double delta = d * c;
    h *= delta;
    if (std::fabs(delta - 1) < 1e-14) break;
  }
  return std::clamp(std::exp(lnFront) * h, 0.0, 1.0);
}

// A pair of values enters the statistic only when it expects at least five samples per
// value, the usual condition for the chi-square approximation to hold.
constexpr std::uint32_t kMinPairCount = 10;

// The probability that the pairs (2k, 2k+1) are as balanced as they are by chance alone:
// near 1 when the low bits were overwritten, near 0 in a clean picture.
double ChiSquarePValue(const std::array<std::uint32_t, 256>& h) {
  double chi = 0;
  int categories = 0;
  for (int k = 0; k < 128; ++k) {
    const std::uint32_t n0 = h[2 * k], n1 = h[2 * k + 1];
    if (n0 + n1 < kMinPairCount) continue;
    const double expected = 0.5 * double(n0 + n1);
    const double diff = double(n0) - expected;
    chi += diff * diff / expected;
    ++categories;
  }
  if (categories < 2) return 0;  // nothing to compare: no evidence either way
  return ChiSquareSurvival(chi, categories - 1);
}

}  // namespace

double ChiSquareSurvival(double chiSquare, int degreesOfFreedom) {
  if (degreesOfFreedom < 1) return 0;
  return GammaQ(0.5 * degreesOfFreedom, 0.5 * chiSquare);
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

ImageAnalysis AnalysePixels(const Argb* pixels, int width, int height) {
  ImageAnalysis result;
  if (pixels == nullptr || width <= 0 || height <= 0) return result;
  const std::size_t total = std::size_t(width) * std::size_t(height);
  std::size_t visible = 0;
  for (std::size_t i = 0; i < total; ++i) visible += Visible(pixels[i]);
  if (visible < kMinAnalysedPixels) return result;

  std::array<RsCounts, 3> rs{};
  std::array<SpaCounts, 3> spa{};
  const std::size_t w = std::size_t(width);
  const int groups = width / 4;
  const std::size_t gs = std::size_t(groups);
  // Row buffers: each channel's samples in order (this row and the one above), the same
  // split by position in the group, and the visibility of pixels, pairs and groups.
  std::vector<Sample> rows(2 * 3 * w), quads(3 * 4 * gs), vis(2 * w), pairVis(w), groupVis(gs);
  // A payload fills the picture from its first row, so a small one is dense in a leading
  // band: the counts add up, and the estimate over each band of rows from the top is checked.
  const std::size_t minBandRows = std::max<std::size_t>(1, (kMinBandPixels + w - 1) / w);
  auto checkBand = [&](int bandRows) {
    double bandRate = 0;
    for (std::size_t ch = 0; ch < 3; ++ch) {
      ChannelAnalysis band;
      band.rsRate = RsRate(rs[ch]);
      band.spaRate = SpaRate(spa[ch]);
      bandRate = std::max(bandRate, ChannelRate(band));
    }
    if (bandRate > result.leadingRate) {
      result.leadingRate = bandRate;
      result.leadingShare = double(bandRows) / height;
    }
  };
  for (int y = 0; y < height; ++y) {
    if (y > 0 && std::size_t(y) >= minBandRows && y < height) checkBand(y);
    const Argb* row = pixels + std::size_t(y) * w;
    Sample* cur = rows.data() + std::size_t(y & 1) * 3 * w;
    Sample* above = rows.data() + std::size_t((y + 1) & 1) * 3 * w;
    Sample* visCur = vis.data() + std::size_t(y & 1) * w;
    Sample* visAbove = vis.data() + std::size_t((y + 1) & 1) * w;
    for (std::size_t x = 0; x < w; ++x) {
      const Argb v = row[x];
      cur[x] = Sample((v >> 16) & 0xFFu);
      cur[w + x] = Sample((v >> 8) & 0xFFu);
      cur[2 * w + x] = Sample(v & 0xFFu);
      visCur[x] = Sample(Visible(v));
    }
    for (std::size_t ch = 0; ch < 3; ++ch)
      for (std::size_t g = 0; g < gs; ++g)
        for (std::size_t k = 0; k < 4; ++k) quads[(ch * 4 + k) * gs + g] = cur[ch * w + 4 * g + k];
    for (std::size_t g = 0; g < gs; ++g)
      groupVis[g] =
          Sample(visCur[4 * g] & visCur[4 * g + 1] & visCur[4 * g + 2] & visCur[4 * g + 3]);
    for (std::size_t ch = 0; ch < 3; ++ch) {
      const Sample* q = quads.data() + ch * 4 * gs;
      CountRsGroups(q, q + gs, q + 2 * gs, q + 3 * gs, groupVis.data(), groups, rs[ch]);
    }
    // Across: (x, x + 1).
    std::int64_t across = 0;
    for (std::size_t x = 0; x + 1 < w; ++x) {
      pairVis[x] = Sample(visCur[x] & visCur[x + 1]);
      across += pairVis[x];
    }
    for (std::size_t ch = 0; ch < 3; ++ch) {
      CountSpaPairs(cur + ch * w, cur + ch * w + 1, pairVis.data(), width - 1, spa[ch]);
      spa[ch].pairs += across;
    }
    // Down: (x, y - 1) and (x, y).
    if (y == 0) continue;
    std::int64_t down = 0;
    for (std::size_t x = 0; x < w; ++x) {
      pairVis[x] = Sample(visAbove[x] & visCur[x]);
      down += pairVis[x];
    }
    for (std::size_t ch = 0; ch < 3; ++ch) {
      CountSpaPairs(above + ch * w, cur + ch * w, pairVis.data(), width, spa[ch]);
      spa[ch].pairs += down;
    }
  }

  // The chi-square walks the pixels in the order a payload fills them: row by row from the
  // first, transparent ones included by the embedder but left out of the counts here.
  std::array<std::array<std::uint32_t, 256>, 3> hist{};
  std::array<bool, 3> stillHigh = {true, true, true};
  for (auto& channel : result.channels) channel.chiSquareCurve.assign(kChiSquarePoints, 0.0);
  std::size_t begin = 0;
  for (int point = 0; point < kChiSquarePoints; ++point) {
    const std::size_t end = total * std::size_t(point + 1) / kChiSquarePoints;
    for (std::size_t i = begin; i < end; ++i) {
      const Argb v = pixels[i];
      if (!Visible(v)) continue;
      ++hist[0][(v >> 16) & 0xFFu];
      ++hist[1][(v >> 8) & 0xFFu];
      ++hist[2][v & 0xFFu];
    }
    begin = end;
    for (int ch = 0; ch < 3; ++ch) {
      ChannelAnalysis& channel = result.channels[std::size_t(ch)];
      const double p = ChiSquarePValue(hist[std::size_t(ch)]);
      channel.chiSquareCurve[std::size_t(point)] = p;
      if (stillHigh[std::size_t(ch)] && p >= kChiSquareHigh)
        channel.chiSquarePrefix = double(point + 1) / kChiSquarePoints;
      else
        stillHigh[std::size_t(ch)] = false;
    }
  }

  for (int ch = 0; ch < 3; ++ch) {
    ChannelAnalysis& channel = result.channels[std::size_t(ch)];
    channel.rsRate = RsRate(rs[std::size_t(ch)]);
    channel.spaRate = SpaRate(spa[std::size_t(ch)]);
    result.estimatedRate = std::max(result.estimatedRate, ChannelRate(channel));
  }
  checkBand(height);
  result.verdict =
      result.estimatedRate >= kSuspiciousRate || result.leadingRate >= kSuspiciousBandRate
          ? Verdict::kLikelyCarriesData
          : Verdict::kLooksClean;
  return result;
}

ImageAnalysis AnalyseImage(const PixelGrid& grid) {
  const int width = grid.Width();
  const int height = grid.Height();
  if (width <= 0 || height <= 0) return {};
  if (const Argb* data = grid.Data()) return AnalysePixels(data, width, height);
  // One copy, then the same loops: an unreadable pixel counts as transparent.
  std::vector<Argb> copy(std::size_t(width) * std::size_t(height), 0u);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Argb v = 0;
      if (grid.GetPixel(x, y, v)) copy[std::size_t(y) * std::size_t(width) + std::size_t(x)] = v;
    }
  return AnalysePixels(copy.data(), width, height);
}

}  // namespace veilmark::stego
