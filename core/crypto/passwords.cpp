#include "core/crypto/passwords.h"

#include "core/base/text_util.h"

#include <algorithm>
#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace veilmark::crypto {

bool AnyPasswordDefined(const PasswordSlots& slots) {
  return std::any_of(slots.begin(), slots.end(), [](const std::string& p) { return !p.empty(); });
}

int ValidSlotIndex(int index) { return index >= 0 && index < kPasswordSlots ? index : 0; }

// Our own small converter: the crypto engines carry no wx or iconv dependency.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t length = Utf8SequenceAt(utf8, i, cp);
    if (length == 0) {
      Wipe(out);
      return std::nullopt;
    }
    i += length;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    unsigned byte = 0x80;
    while (byte <= 0x9F && Windows1252CodePoint(static_cast<unsigned char>(byte)) != cp) ++byte;
    if (byte > 0x9F) {
      Wipe(out);
      return std::nullopt;
    }
    out.push_back(static_cast<char>(byte));
  }
  return out;
}

std::string NarrowPassword(std::string_view utf8) {
#ifdef _WIN32
  if (GetACP() == CP_UTF8 || utf8.empty()) return std::string(utf8);
  const int length = static_cast<int>(utf8.size());
  const int wide =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (wide <= 0) return std::string(utf8);  // not UTF-8: the bytes as they are
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, w.data(), wide);
  // A character the code page cannot hold would become "?": keep UTF-8 rather than let
  // different passwords share a key.
  BOOL lossy = FALSE;
  const int narrow = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, nullptr, 0,
                                         nullptr, &lossy);
  std::string out;
  if (narrow > 0 && !lossy) {
    out.resize(static_cast<std::size_t>(narrow));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), wide, out.data(), narrow, nullptr,
                        nullptr);
  } else {
    out = std::string(utf8);
  }
  std::fill(w.begin(), w.end(), L'\0');
  return out;
#else
  return std::string(utf8);
#endif
}

KeyAndIV DerivePasswordKeys(std::string_view utf8) {
  std::string narrow = NarrowPassword(utf8);
  KeyAndIV keys = DeriveKeyAndIV(narrow);
  Wipe(narrow);
  return keys;
}

std::vector<std::string> PasswordForms(std::string_view utf8) {
  std::vector<std::string> forms;
  forms.reserve(kMaxPasswordForms);
  const auto add = [&forms](std::string form) {
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) {
      forms.push_back(std::move(form));
    } else {
      Wipe(form);
    }
  };
  add(NarrowPassword(utf8));
  add(std::string(utf8));
  if (std::optional<std::string> cp1252 = Utf8ToWindows1252(utf8)) add(std::move(*cp1252));
  return forms;
}

SlotKeyring::SlotKeyring(const PasswordSlots& slots, FailureSink failures)
    : slots_(slots), failures_(failures) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].empty()) continue;
    std::vector<std::string> forms = PasswordForms(slots_[i]);
    formCount_[i] = static_cast<int>(std::min<std::size_t>(forms.size(), kMaxPasswordForms));
    for (int f = 0; f < formCount_[i]; ++f) forms_[i][f].swap(forms[f]);
    for (std::string& f : forms) Wipe(f);
  }
}

SlotKeyring::~SlotKeyring() {
  // The passwords are copies; wipe them with the keys.
  for (std::string& p : slots_) Wipe(p);
  for (FormArray& forms : forms_)
    for (std::string& f : forms) Wipe(f);
}

int SlotKeyring::FormCount(int slot) const { return formCount_[static_cast<std::size_t>(slot)]; }

const KeyAndIV& SlotKeyring::Keys(int slot, int form) const {
  const auto i = static_cast<std::size_t>(slot);
  const auto f = static_cast<std::size_t>(form < formCount_[i] ? form : 0);
  std::call_once(once_[i][f],
                 [&] { keys_[i][f] = std::make_unique<KeyAndIV>(DeriveKeyAndIV(forms_[i][f])); });
  return *keys_[i][f];
}

}  // namespace veilmark::crypto
