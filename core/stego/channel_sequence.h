// Chooses which low bits (R+G+B, G+B or B) carry each hidden bit. The sequence is the
// classic C runtime linear congruential rand, reproduced here so that images come out
// pixel for pixel the same on every platform and no process-wide generator is shared.
#pragma once

#include <cstdint>
#include <string_view>

namespace veilmark::stego {

class ChannelSequence {
 public:
  // (h[0]+1)(h[1]+1)(h[2]+1) over the first three bytes of SHA-256(password).
  static std::uint32_t SeedFromPassword(std::string_view password);

  void SetChannelSeed(std::string_view password) { seed_ = SeedFromPassword(password); }
  void SetSeed(std::uint32_t seed) { seed_ = seed; }
  std::uint32_t Seed() const { return seed_; }

  // Restarts from the seed and drops the first value, as both regions of a payload do.
  void RestartChannelSequence() {
    Srand(seed_);
    Rand();
  }

  void Srand(std::uint32_t seed) { state_ = seed; }
  int Rand() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }
  // 0: red, green and blue; 1: green and blue; 2: blue only.
  int NextChannelCode() { return Rand() % 3; }

 private:
  std::uint32_t seed_ = 1;
  std::uint32_t state_ = 1;
};

// Low-bit mask of the channels a channel code selects (applied to 0xAARRGGBB). A table,
// not a branch: the codes are random and a branch would mispredict a third of the time.
inline constexpr std::uint32_t kChannelMasks[3] = {0x00010101u, 0x00000101u, 0x00000001u};
constexpr std::uint32_t ChannelMask(int code) { return kChannelMasks[code]; }

}  // namespace veilmark::stego
