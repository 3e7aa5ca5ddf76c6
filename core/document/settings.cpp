#include "core/document/settings.h"

#include "core/base/wx_text.h"

#include <wx/confbase.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/mstream.h>
#ifdef __WINDOWS__
#include <wx/msw/regconf.h>
#endif

#include <cstdlib>

namespace veilmark {

namespace {
constexpr char kSection[] = "/DataApp/";

wxString Key(const std::string& name) { return FromUtf8(kSection + name); }

class ConfigSettingsStore final : public SettingsStore {
 public:
  explicit ConfigSettingsStore(std::unique_ptr<wxConfigBase> config) : config_(std::move(config)) {}

  std::optional<std::string> ReadString(const std::string& name) const override {
    wxString value;
    if (!config_->HasEntry(Key(name)) || !config_->Read(Key(name), &value)) return std::nullopt;
    return ToUtf8(value);
  }
  std::optional<long> ReadInt(const std::string& name) const override {
    long value = 0;
    if (!config_->Read(Key(name), &value)) return std::nullopt;
    return value;
  }
  std::optional<std::string> ReadBinary(const std::string& name) const override {
    wxMemoryBuffer buffer;
    if (!config_->HasEntry(Key(name)) || !config_->Read(Key(name), &buffer)) return std::nullopt;
    return std::string(static_cast<const char*>(buffer.GetData()), buffer.GetDataLen());
  }
  void WriteString(const std::string& name, const std::string& value) override {
    config_->Write(Key(name), wxString::FromUTF8(value.data(), value.size()));
  }
  void WriteInt(const std::string& name, long value) override { config_->Write(Key(name), value); }
  void WriteBinary(const std::string& name, const std::string& bytes) override {
    wxMemoryBuffer buffer;
    buffer.AppendData(bytes.data(), bytes.size());
    config_->Write(Key(name), buffer);
  }
  bool Flush() override { return config_->Flush(); }

 private:
  std::unique_ptr<wxConfigBase> config_;
};

std::unique_ptr<wxConfigBase> MakeFileConfig(const std::string& path) {
  const wxFileName file(wxString::FromUTF8(path));
  // The file holds the passwords in clear: keep its folder and the file private.
  if (!file.DirExists()) file.Mkdir(0700, wxPATH_MKDIR_FULL);
  auto config = std::make_unique<wxFileConfig>(wxString(), wxString(), file.GetFullPath(),
                                               wxString(), wxCONFIG_USE_LOCAL_FILE);
  config->SetUmask(0077);
  config->SetExpandEnvVars(false);  // a password may contain "$HOME"
  return config;
}
}  // namespace

std::optional<std::string> MemorySettingsStore::ReadString(const std::string& name) const {
  const auto it = strings_.find(name);
  return it == strings_.end() ? std::nullopt : std::optional<std::string>(it->second);
}
std::optional<long> MemorySettingsStore::ReadInt(const std::string& name) const {
  const auto it = ints_.find(name);
  return it == ints_.end() ? std::nullopt : std::optional<long>(it->second);
}
std::optional<std::string> MemorySettingsStore::ReadBinary(const std::string& name) const {
  const auto it = binaries_.find(name);
  return it == binaries_.end() ? std::nullopt : std::optional<std::string>(it->second);
}
void MemorySettingsStore::WriteString(const std::string& name, const std::string& value) {
  strings_[name] = value;
}
void MemorySettingsStore::WriteInt(const std::string& name, long value) { ints_[name] = value; }
void MemorySettingsStore::WriteBinary(const std::string& name, const std::string& bytes) {
  binaries_[name] = bytes;
}
bool MemorySettingsStore::Has(const std::string& name) const {
  return strings_.count(name) || ints_.count(name) || binaries_.count(name);
}

std::string UserSettingsPath() {
#ifdef __WINDOWS__
  return {};
#else
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/Veilmark/Veilmark.conf";
#endif
}

std::unique_ptr<SettingsStore> OpenUserSettings() {
#ifdef __WINDOWS__
  auto config = std::make_unique<wxRegConfig>("Veilmark", "Veilmark");
  config->SetExpandEnvVars(false);
  return std::make_unique<ConfigSettingsStore>(std::move(config));
#else
  return OpenSettingsFile(UserSettingsPath());
#endif
}

std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& path) {
  return std::make_unique<ConfigSettingsStore>(MakeFileConfig(path));
}

}  // namespace veilmark
