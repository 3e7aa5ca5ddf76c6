// Writes the "Samples" folder that the desktop opens on its first run: a few pictures
// drawn here (no files are shipped), three of which carry hidden content made with the
// first-run password the way the desktop's Hide commands make it: a message, a picture
// and a file.
//   make_samples FOLDER
#include "core/base/timestamp.h"
#include "core/crypto/cipher.h"
#include "core/document/flows.h"
#include "core/image/imaging.h"
#include "core/stego/embed.h"

#include <wx/init.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace veilmark;

constexpr const char* kFirstRunPassword = "quintus4072";
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr float kPi = 3.14159265f;

struct Colour {
  float r, g, b;
};

Colour Mix(Colour a, Colour b, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Coverage of an edge at signed distance d (pixels, negative inside): one soft pixel.
float Cover(float d) { return std::clamp(0.5f - d, 0.0f, 1.0f); }

// A floating-point canvas; Finish() adds a trace of film grain and makes the ARGB image.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), pixels_(width * height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(const std::function<Colour(float x, float y)>& shade) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) At(x, y) = shade(float(x), float(y));
    }
  }
  // Paints `colour` over the pixels where `coverage` (0..1) says so.
  void Paint(const std::function<float(float x, float y)>& coverage,
             const std::function<Colour(float x, float y)>& colour) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const float c = coverage(float(x), float(y));
        if (c > 0.0f) At(x, y) = Mix(At(x, y), colour(float(x), float(y)), c);
      }
    }
  }
  // Everything below the curve y = top(x).
  void Ground(const std::function<float(float)>& top,
              const std::function<Colour(float x, float y)>& colour) {
    Paint([&](float x, float y) { return Cover(top(x) - y); }, colour);
  }
  void Disc(float cx, float cy, float radius, Colour colour, float glow = 0.0f) {
    Paint(
        [=](float x, float y) {
          const float d = std::hypot(x - cx, y - cy) - radius;
          return std::max(Cover(d), glow > 0 ? 0.35f * std::exp(-std::max(d, 0.0f) / glow) : 0);
        },
        [=](float, float) { return colour; });
  }

  image::ArgbImage Finish(unsigned seed, float grain = 2.0f) const {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, grain);
    image::ArgbImage out(width_, height_);
    const auto channel = [](float v) {
      return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const Colour c = pixels_[std::size_t(y) * width_ + x];
        const float n = grain > 0 ? noise(random) : 0.0f;
        out.At(x, y) = stego::MakeArgb(0xFF, channel(c.r + n), channel(c.g + n), channel(c.b + n));
      }
    }
    return out;
  }

 private:
  Colour& At(int x, int y) { return pixels_[std::size_t(y) * width_ + x]; }
  int width_, height_;
  std::vector<Colour> pixels_;
};

// Sky from the horizon colour (at `horizon`) to the zenith colour (at the top).
std::function<Colour(float, float)> Sky(Colour zenith, Colour horizonColour, float horizon) {
  return [=](float, float y) { return Mix(zenith, horizonColour, std::pow(y / horizon, 1.6f)); };
}

float Wave(float x, float a1, float f1, float a2, float f2, float phase) {
  return a1 * std::sin(x * f1 + phase) + a2 * std::sin(x * f2 + 2.1f * phase);
}

void Clouds(Canvas& c, unsigned seed, float top, float bottom) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int i = 0; i < 5; ++i) {
    const float cx = u(random) * c.Width();
    const float cy = top + u(random) * (bottom - top);
    const float w = 60 + 80 * u(random);
    for (int puff = 0; puff < 5; ++puff) {
      const float px = cx + (puff - 2) * w * 0.35f;
      const float py = cy - (puff % 2) * w * 0.12f;
      const float r = w * (0.28f + 0.1f * (puff % 3));
      c.Paint(
          [=](float x, float y) {
            const float d = std::hypot((x - px) / 1.6f, y - py) / r;
            return d < 1 ? 0.85f * (1 - d * d) : 0.0f;
          },
          [](float, float) {
            return Colour{250, 250, 252};
          });
    }
  }
}

image::ArgbImage MountainLake() {
  Canvas c(kWidth, kHeight);
  const float horizon = 360;
  c.Fill(Sky({70, 120, 200}, {235, 215, 190}, horizon));
  c.Disc(600, 120, 38, {255, 244, 200}, 60);
  const auto farRidge = [](float x) { return 220 + Wave(x, 45, 0.011f, 20, 0.031f, 0.5f); };
  c.Ground(farRidge, [&](float x, float y) {
    // Snow on the peaks only, with a ragged line.
    const float snow = Cover(y - 205 - Wave(x, 6, 0.09f, 4, 0.23f, 1));
    return Mix(Mix({150, 160, 190}, {110, 120, 150}, (y - 180) / 120), {245, 248, 252}, snow);
  });
  const auto nearRidge = [](float x) { return 290 + Wave(x, 30, 0.008f, 12, 0.045f, 2.0f); };
  c.Ground(nearRidge, [](float, float y) {
    return Mix({60, 110, 80}, {30, 70, 50}, (y - 280) / 80);
  });
  // The lake mirrors the sky, darker and rippled.
  c.Ground([=](float) { return horizon; },
           [=](float x, float y) {
             const float ripple = 4 * std::sin(y * 0.5f + 3 * std::sin(x * 0.02f));
             const float mirrored = std::clamp(2 * horizon - y + ripple, 0.0f, horizon);
             return Mix(Mix({70, 120, 200}, {235, 215, 190}, std::pow(mirrored / horizon, 1.6f)),
                        {20, 50, 90}, 0.35f + 0.4f * (y - horizon) / (kHeight - horizon));
           });
  return c.Finish(1);
}

image::ArgbImage GreenHills() {
  Canvas c(kWidth, kHeight);
  c.Fill(Sky({90, 160, 230}, {200, 230, 250}, 330));
  c.Disc(140, 110, 45, {255, 240, 170}, 70);
  Clouds(c, 4, 60, 200);
  const Colour greens[] = {{120, 180, 90}, {90, 160, 70}, {70, 140, 55}};
  for (int i = 0; i < 3; ++i) {
    const float base = 330 + 80 * i;
    const auto top = [=](float x) { return base + Wave(x, 35, 0.006f + 0.002f * i, 15, 0.02f, i); };
    const Colour g = greens[i];
    c.Ground(top, [=](float x, float y) {
      const float stripes = 0.06f * std::sin(x * 0.05f + y * 0.11f);
      return Mix(g, {g.r * 0.7f, g.g * 0.8f, g.b * 0.7f}, (y - top(x)) / 200 + stripes);
    });
  }
  return c.Finish(2);
}

image::ArgbImage SunsetBeach() {
  Canvas c(kWidth, kHeight);
  const float horizon = 340;
  c.Fill([=](float, float y) {
    const float t = y / horizon;
    return t < 0.55f ? Mix({60, 50, 120}, {230, 110, 90}, t / 0.55f)
                     : Mix({230, 110, 90}, {255, 200, 120}, (t - 0.55f) / 0.45f);
  });
  c.Disc(400, horizon - 10, 60, {255, 220, 150}, 80);
  c.Ground([=](float) { return horizon; },
           [=](float x, float y) {
             const float shimmer = std::exp(-std::abs(x - 400) / 50) *
                                   (0.5f + 0.5f * std::sin(y * 0.9f + std::sin(x * 0.05f) * 3));
             return Mix(Mix({90, 70, 120}, {40, 40, 90}, (y - horizon) / 120), {255, 210, 150},
                        shimmer * 0.8f);
           });
  const auto sand = [](float x) { return 470 + Wave(x, 10, 0.01f, 5, 0.04f, 0.3f); };
  c.Ground(sand, [](float, float y) {
    return Mix({225, 190, 140}, {190, 150, 105}, (y - 460) / 140);
  });
  return c.Finish(3);
}

image::ArgbImage Lighthouse() {
  Canvas c(kWidth, kHeight);
  c.Fill(Sky({110, 170, 220}, {220, 235, 245}, 380));
  Clouds(c, 9, 50, 180);
  c.Ground([](float) { return 380.0f; },
           [](float x, float y) {
             return Mix({60, 130, 170}, {25, 70, 110},
                        (y - 380) / 220 + 0.04f * std::sin(x * 0.07f + y * 0.3f));
           });
  // A rocky island: the part of an ellipse above the water line.
  c.Paint(
      [](float x, float y) {
        if (y > 384) return 0.0f;
        const float d = std::hypot((x - 600) / 150, (y - 385) / 52);
        return Cover((d - 1) * 50 + 2 * std::sin(x * 0.3f));
      },
      [](float x, float y) {
        return Mix({120, 110, 100}, {70, 65, 60}, (y - 335) / 50 + 0.1f * std::sin(x * 0.2f));
      });
  // The tower: tapering, with red bands, a gallery and a lit lamp.
  const float cx = 600;
  c.Paint(
      [=](float x, float y) {
        if (y < 150 || y > 335) return 0.0f;
        const float half = 22 + (y - 150) * 0.07f;
        return Cover(std::abs(x - cx) - half);
      },
      [](float, float y) {
        return int((y - 150) / 37) % 2 == 0 ? Colour{245, 245, 240} : Colour{200, 50, 45};
      });
  c.Paint([=](float x,
              float y) { return Cover(std::max(std::abs(x - cx) - 34, std::abs(y - 145) - 6)); },
          [](float, float) {
            return Colour{50, 50, 55};
          });
  c.Disc(cx, 122, 16, {255, 235, 150}, 25);
  c.Paint([=](float x,
              float y) { return Cover(std::max(std::abs(x - cx) - 20, std::abs(y - 100) - 4)); },
          [](float, float) {
            return Colour{50, 50, 55};
          });
  return c.Finish(4);
}

image::ArgbImage NightSky() {
  Canvas c(kWidth, kHeight);
  c.Fill(Sky({8, 12, 35}, {30, 45, 90}, 480));
  // An aurora: soft green curtains.
  c.Paint(
      [](float x, float y) {
        // Curtains: a sharp lower hem, rays fading upwards, folds along the band.
        const float centre = 220 + Wave(x, 50, 0.007f, 20, 0.023f, 1.3f);
        const float d = (y - centre) / (y < centre ? 110.0f : 18.0f);
        const float fold = std::sin(x * 0.08f + 4 * std::sin(x * 0.011f));
        return 0.6f * std::exp(-d * d) * (0.45f + 0.55f * fold * fold);
      },
      [](float, float y) {
        return Mix({80, 255, 170}, {120, 120, 255}, (260 - y) / 150);
      });
  std::mt19937 random(77);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int i = 0; i < 160; ++i) {
    c.Disc(u(random) * kWidth, u(random) * 430, 0.6f + 1.2f * u(random) * u(random),
           {255, 255, 235});
  }
  c.Disc(650, 90, 30, {250, 245, 220}, 35);
  c.Disc(662, 84, 27, {14, 20, 48});  // the crescent's shadow
  const auto ridge = [](float x) { return 470 + Wave(x, 30, 0.012f, 15, 0.037f, 0.9f); };
  c.Ground(ridge, [](float, float) { return Colour{10, 12, 20}; });
  return c.Finish(5, 1.5f);
}

image::ArgbImage DesertDunes() {
  Canvas c(kWidth, kHeight);
  c.Fill(Sky({100, 160, 215}, {245, 225, 190}, 300));
  c.Disc(650, 90, 34, {255, 250, 225}, 60);
  for (int i = 0; i < 4; ++i) {
    const float base = 300 + 70 * i;
    const auto top = [=](float x) {
      return base + Wave(x, 30 - 4 * i, 0.008f + 0.003f * i, 10, 0.027f, 1.7f * i);
    };
    c.Ground(top, [=](float x, float y) {
      // The lee side of each dune is in shade.
      const float slope = top(x + 1) - top(x);
      const Colour lit = {235 - 10.0f * i, 180 - 12.0f * i, 110 - 10.0f * i};
      const Colour shade = {180 - 10.0f * i, 120 - 10.0f * i, 80 - 8.0f * i};
      return Mix(Mix(lit, shade, 0.35f + 2.5f * slope), shade, (y - top(x)) / 250);
    });
  }
  return c.Finish(6);
}

image::ArgbImage Mosaic() {
  Canvas c(kWidth, kHeight);
  c.Fill([](float x, float y) {
    // Rotated tiles whose hue turns slowly across the picture.
    const float u = (x * 0.866f + y * 0.5f) / 50;
    const float v = (-x * 0.5f + y * 0.866f) / 50;
    const float fu = u - std::floor(u);
    const float fv = v - std::floor(v);
    const float edge = std::min({fu, 1 - fu, fv, 1 - fv}) * 50;
    const float hue = 0.004f * x + 0.003f * y + 0.5f * int(std::floor(u) + std::floor(v));
    const Colour tile = {128 + 90 * std::sin(hue), 128 + 90 * std::sin(hue + 2.1f),
                         128 + 90 * std::sin(hue + 4.2f)};
    return Mix({245, 240, 230}, tile, Cover(2.5f - edge));
  });
  c.Disc(400, 300, 120, {250, 245, 235});
  for (int ring = 0; ring < 3; ++ring) {
    const float r = 100 - 30 * ring;
    const Colour colour = ring == 1 ? Colour{230, 120, 60} : Colour{40, 110, 170};
    c.Paint(
        [=](float x, float y) {
          const float a = std::atan2(y - 300, x - 400);
          const float petal = r * (0.75f + 0.25f * std::cos(8 * a + ring));
          return Cover(std::hypot(x - 400, y - 300) - petal) * (ring == 2 ? 1.0f : 0.9f);
        },
        [=](float, float) { return colour; });
  }
  return c.Finish(7, 1.0f);
}

// The small picture hidden in one of the samples.
std::string FlowerPng() {
  Canvas c(160, 120);
  c.Fill([](float, float y) { return Mix({200, 230, 250}, {150, 200, 140}, y / 120); });
  c.Paint([](float x, float y) { return Cover(std::abs(x - 80) - 2) * (y > 60 ? 1.0f : 0.0f); },
          [](float, float) {
            return Colour{60, 130, 60};
          });
  c.Paint(
      [](float x, float y) {
        const float a = std::atan2(y - 55, x - 80);
        return Cover(std::hypot(x - 80, y - 55) -
                     32 * (0.6f + 0.4f * std::abs(std::cos(2.5f * a))));
      },
      [](float, float) {
        return Colour{240, 110, 150};
      });
  c.Disc(80, 55, 10, {250, 210, 60});
  wxImage picture = image::ToWxImage(c.Finish(8, 0.0f));
  wxMemoryOutputStream out;
  picture.SaveFile(out, wxBITMAP_TYPE_PNG);
  std::string bytes(static_cast<std::size_t>(out.GetSize()), '\0');
  out.CopyTo(bytes.data(), bytes.size());
  return bytes;
}

constexpr const char* kMessage =
    "Hello, and welcome to Veilmark!\n"
    "\n"
    "This message lies hidden in the pixels of the sunset picture. Only someone who holds the\n"
    "password it was hidden with can find it, and nobody else can tell that it is there.\n"
    "\n"
    "Pick a picture of your own, type a message and hide it: then save the result as PNG.\n";

constexpr const char* kRecipe =
    "# Lighthouse pancakes\n"
    "\n"
    "For four people:\n"
    "\n"
    "- 250 g flour\n"
    "- 2 eggs\n"
    "- 500 ml milk\n"
    "- a pinch of salt, a knob of butter\n"
    "\n"
    "Whisk flour, eggs and salt, pour in the milk little by little and let the batter rest\n"
    "for half an hour. Fry thin pancakes in a hot buttered pan, one minute a side.\n";

bool Hide(image::ArgbImage& picture, const crypto::KeyAndIV& keys, const std::string& content,
          const std::string& hiddenName) {
  const stego::EmbedResult result = stego::EmbedPayload(picture, keys, kFirstRunPassword, content,
                                                        hiddenName, base::CurrentTimestamp());
  return result.status == stego::EmbedStatus::kEmbedded;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  const fs::path folder = argv[1];
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::is_directory(folder)) {
    std::fprintf(stderr, "make_samples: cannot create %s\n", folder.string().c_str());
    return 1;
  }

  bool ok = true;
  const auto save = [&](const image::ArgbImage& picture, const fs::path& path, const char* mime) {
    if (!image::SaveImage(picture, path, mime)) {
      std::fprintf(stderr, "make_samples: cannot write %s\n", path.string().c_str());
      ok = false;
    }
  };
  save(MountainLake(), folder / "mountain_lake.jpg", "image/jpeg");
  save(NightSky(), folder / "night_sky.jpg", "image/jpeg");
  save(DesertDunes(), folder / "desert_dunes.bmp", "image/bmp");
  save(Mosaic(), folder / "mosaic.png", "image/png");

  // The carriers are named as the desktop names a picture saved after hiding.
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(kFirstRunPassword);
  const struct {
    const char* source;  // the picture's name before hiding
    image::ArgbImage (*draw)();
    std::string hiddenName;
    std::string content;
  } carriers[] = {
      {"sunset_beach.jpg", SunsetBeach, MessageFileName("sunset_beach.jpg"),
       MessageFileBytes(kMessage)},
      {"green_hills.jpg", GreenHills, "flower.png", FlowerPng()},
      {"lighthouse.jpg", Lighthouse, "pancakes.md", kRecipe},
  };
  for (const auto& carrier : carriers) {
    image::ArgbImage picture = carrier.draw();
    if (!Hide(picture, keys, carrier.content, carrier.hiddenName)) {
      std::fprintf(stderr, "make_samples: cannot hide %s\n", carrier.hiddenName.c_str());
      ok = false;
      continue;
    }
    save(picture, image::SaveOutputPath(folder, carrier.source, true, "png"), "image/png");
  }
  return ok ? 0 : 1;
}
