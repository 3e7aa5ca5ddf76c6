// What an image carries, as stored per listed image and tested by the commands
// (at most KIND_PLAIN: nothing hidden).
#pragma once

namespace veilmark::stego {

inline constexpr int KIND_PLAIN = 10;  // nothing recognised, also every failure
inline constexpr int KIND_HIDDEN_IMAGE = 20;
inline constexpr int KIND_HIDDEN_MESSAGE = 30;
inline constexpr int KIND_HIDDEN_FILE = 40;

}  // namespace veilmark::stego
