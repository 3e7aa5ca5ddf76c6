// Feeds hostile images to the payload reader. The first byte picks a mode:
//   0: a small grid made from the bytes (random bits: almost never a valid header);
//   1: a header that decrypts and carries the marker, with every later field from the bytes
//      (so the parser sees arbitrary field contents), followed by a data block;
//   2: a real embedding of a fuzzed name and content, read back.
// Run with -close_fd_mask=1: each failed decryption writes Crypto++'s text to stdout.
#include "core/crypto/passwords.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"
#include "core/stego/hidden_name.h"
#include "core/stego/payload.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace veilmark;

constexpr const char* kPassword = "quintus4072";

const crypto::SlotKeyring& Keyring() {
  static const crypto::SlotKeyring ring({"fuzz-other", "", kPassword, "", ""});
  return ring;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}
  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(bytes_.front());
    bytes_.remove_prefix(1);
    return b;
  }
  int Number(int limit) { return (Byte() | (Byte() << 8)) % limit; }
  std::string_view Take(std::size_t n) {
    const std::string_view part = bytes_.substr(0, n);
    bytes_.remove_prefix(part.size());
    return part;
  }
  std::string_view Rest() const { return bytes_; }

 private:
  std::string_view bytes_;
};

void CheckSanitisedName(const std::string& raw) {
  const std::string safe = stego::SanitizeHiddenName(raw);
  Check(!safe.empty() && safe != "." && safe != "..");
  for (char c : safe) {
    const auto u = static_cast<unsigned char>(c);
    Check(u >= 0x20 && u != 0x7F && c != '/' && c != '\\');
  }
  Check(safe.back() != '.' && safe.back() != ' ' && safe.front() != ' ');
}

// Runs every reader on the grid and checks what must hold whatever the pixels say.
void ReadEverything(const stego::PixelGrid& grid, Input& in) {
  const auto header = stego::DetectHiddenPayload(grid, Keyring());
  if (header) {
    Check(header->slot == 0 || header->slot == 2);
    Check(header->name.size() <= 80 && header->timestamp.size() == 22);
    Check(header->kind == stego::KIND_HIDDEN_IMAGE || header->kind == stego::KIND_HIDDEN_MESSAGE ||
          header->kind == stego::KIND_HIDDEN_FILE);
    CheckSanitisedName(header->name);
    const auto content = stego::ReadHiddenContent(grid, Keyring(), *header);
    if (content) {
      const std::uint64_t pixels = std::uint64_t(grid.Width()) * std::uint64_t(grid.Height());
      Check(content->size() + 16 <= std::uint64_t(header->dataLength) &&
            1152 + 8 * std::uint64_t(header->dataLength) <= pixels);
    }
  }
  const int x = in.Number(300) - 100;
  const int y = in.Number(300) - 100;
  const int count = in.Number(2000) - 10;
  Check(stego::ReadHiddenBytes(grid, x, y, count).size() ==
        static_cast<std::size_t>(std::max(count, 0)));
}

void GridFromBytes(Input& in) {
  const int width = 1 + in.Number(1600);
  const int height = 1 + in.Number(40);
  stego::MemoryGrid grid(width, height);
  const std::string_view pixels = in.Take(std::min<std::size_t>(in.Rest().size(), 4 * 4096));
  // Each fuzz byte feeds the low bits of one pixel; the rest of the grid stays black.
  for (std::size_t i = 0; i < pixels.size() && i < grid.Pixels().size(); ++i) {
    grid.Pixels()[i] = 0xFF000000u | static_cast<std::uint8_t>(pixels[i]);
  }
  ReadEverything(grid, in);
}

void ValidHeaderWithFuzzedFields(Input& in) {
  const crypto::KeyAndIV& keys = Keyring().Keys(2);
  const int width = 1 + in.Number(1600);
  const int height = 1 + in.Number(40);
  const bool fixLength = in.Byte() & 1;
  std::string text = std::string(16, 'f') + std::string(stego::kMarker);
  text.append(in.Take(137 - text.size()));
  text.resize(137, '0');
  const std::string data = crypto::EncryptBytes(keys, in.Take(in.Number(4096)));
  if (fixLength) {  // let the recorded length match the block, so extraction can succeed
    const std::string digits = std::to_string(data.size());
    text.replace(50, 7, std::string(7 - digits.size(), '0') + digits);
  }
  stego::MemoryGrid grid(width, height);
  stego::ChannelSequence channels;
  channels.SetChannelSeed(kPassword);
  channels.RestartChannelSequence();
  stego::WriteHiddenBytes(grid, 0, crypto::EncryptBytes(keys, text), channels);
  channels.RestartChannelSequence();
  stego::WriteHiddenBytes(grid, stego::kDataFirstPixel, data, channels);
  if (width * height >= 1152) Check(stego::DetectHiddenPayload(grid, Keyring()).has_value());
  ReadEverything(grid, in);
}

void RealEmbedding(Input& in) {
  const crypto::KeyAndIV& keys = Keyring().Keys(2);
  std::string name(in.Take(1 + in.Byte() % 80));
  const std::string content(in.Rest().substr(0, 3000));
  const int width = 40 + in.Byte();
  stego::MemoryGrid grid(width, 1 + (8 * (content.size() + 194)) / std::size_t(width));
  const stego::EmbedResult r =
      stego::EmbedPayload(grid, keys, kPassword, content, name, "2026-12-08 20h:53m:38s");
  if (name.empty() || name.find('\0') != std::string::npos) {
    Check(r.status == stego::EmbedStatus::kInvalidName);
    return;
  }
  Check(r.status == stego::EmbedStatus::kEmbedded);
  const auto payload = stego::ExtractHiddenPayload(grid, Keyring());
  Check(payload && payload->header.slot == 2 && payload->header.name == name &&
        payload->content == content);
  // The random trailer may complete an extension the name ends with ("a.tx" + 't'), so
  // the kind can only be stronger (message > image > file) than the name alone says.
  auto rank = [](int kind) {
    return kind == stego::KIND_HIDDEN_MESSAGE ? 2 : kind == stego::KIND_HIDDEN_IMAGE;
  };
  Check(rank(payload->header.kind) >= rank(stego::ClassifyHeaderTail(name)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  switch (in.Byte() % 3) {
    case 0:
      GridFromBytes(in);
      break;
    case 1:
      ValidHeaderWithFuzzedFields(in);
      break;
    default:
      RealEmbedding(in);
      break;
  }
  return 0;
}
