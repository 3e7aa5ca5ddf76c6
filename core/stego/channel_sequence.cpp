#include "core/stego/channel_sequence.h"

#include <cryptopp/sha.h>

namespace veilmark::stego {

std::uint32_t ChannelSequence::SeedFromPassword(std::string_view password) {
  CryptoPP::byte digest[CryptoPP::SHA256::DIGESTSIZE];
  CryptoPP::SHA256().CalculateDigest(
      digest, reinterpret_cast<const CryptoPP::byte*>(password.data()), password.size());
  return (std::uint32_t{digest[0]} + 1u) * (std::uint32_t{digest[1]} + 1u) *
         (std::uint32_t{digest[2]} + 1u);
}

}  // namespace veilmark::stego
