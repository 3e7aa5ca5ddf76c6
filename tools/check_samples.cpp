// Checks a folder written by make_samples: every picture decodes, and with the first-run
// password the scan finds plain pictures, a hidden picture, a hidden message and a hidden
// file, each of which reads back whole.
//   check_samples FOLDER
#include "core/crypto/passwords.h"
#include "core/document/folder_scan.h"
#include "core/image/imaging.h"
#include "core/stego/detect.h"
#include "core/stego/kinds.h"

#include <wx/init.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace veilmark;

int g_failures = 0;

void Expect(bool condition, const std::string& what) {
  if (!condition) {
    std::fprintf(stderr, "check_samples: %s\n", what.c_str());
    ++g_failures;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: check_samples FOLDER\n");
    return 2;
  }
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  // A slot that does not open a header would report Crypto++'s text.
  const crypto::SlotKeyring keyring({"", "quintus4072", "", "", ""}, crypto::FailureSink::Silent());
  std::map<int, int> kinds;
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
    const std::string name = entry.path().filename().string();
    Expect(image::IsImageFile(entry.path()), name + " is not listed as an image");
    const image::ScannedImage scanned = image::ScanImageFile(entry.path(), keyring, true);
    Expect(scanned.width >= 640 && scanned.height >= 480, name + " does not decode");
    Expect(scanned.thumbnail.IsOk(), name + " has no thumbnail");
    ++pictures;
    ++kinds[scanned.kind];
    std::fprintf(stderr, "%-26s %dx%d kind %d %s\n", name.c_str(), scanned.width, scanned.height,
                 scanned.kind, scanned.hiddenName.c_str());
    if (scanned.kind == stego::KIND_PLAIN) continue;

    const auto payload = stego::ExtractHiddenPayload(image::DecodeImageFile(entry.path()), keyring);
    Expect(payload.has_value(), name + ": the hidden content does not read back");
    if (!payload) continue;
    const std::string& content = payload->content;
    switch (scanned.kind) {
      case stego::KIND_HIDDEN_MESSAGE: {
        // A message file as the desktop writes it: CR LF line ends, ending in CR LF.
        bool crlf = content.size() > 2 && content.compare(content.size() - 2, 2, "\r\n") == 0;
        for (std::size_t i = 0; i < content.size(); ++i) {
          if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) crlf = false;
        }
        Expect(crlf, name + ": the message does not end its lines with CR LF");
        Expect(payload->header.name == name.substr(0, name.find("_steg")) + ".txt",
               name + ": the message file is not named after the picture");
        break;
      }
      case stego::KIND_HIDDEN_IMAGE:
        Expect(!image::DecodeImageData(content.data(), content.size()).Empty(),
               name + ": the hidden picture does not decode");
        break;
      default:
        Expect(!content.empty(), name + ": the hidden file is empty");
        break;
    }
  }
  Expect(pictures >= 6, "fewer than six pictures");
  Expect(kinds[stego::KIND_PLAIN] >= 3, "fewer than three plain pictures");
  for (const int kind :
       {stego::KIND_HIDDEN_IMAGE, stego::KIND_HIDDEN_MESSAGE, stego::KIND_HIDDEN_FILE}) {
    Expect(kinds[kind] == 1, "not exactly one picture of kind " + std::to_string(kind));
  }
  return g_failures == 0 ? 0 : 1;
}
