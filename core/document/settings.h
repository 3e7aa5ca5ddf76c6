// The persisted settings: string, integer and binary values in the section "DataApp" of the
// application's profile. Backed by wxConfig in the program, by memory in tests.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace veilmark {

// Value names of the password slots 1..5 and of the selected slot.
inline constexpr const char* kPasswordValueNames[] = {
    "PasswordCry01", "PasswordCry02", "PasswordCry03", "PasswordCry04", "PasswordCry05"};
inline constexpr char kSelectedPasswordValueName[] = "PasswordRadioCry";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
  virtual std::optional<long> ReadInt(const std::string& name) const = 0;
  virtual std::optional<std::string> ReadBinary(const std::string& name) const = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  virtual void WriteInt(const std::string& name, long value) = 0;
  virtual void WriteBinary(const std::string& name, const std::string& bytes) = 0;
  // Makes the writes durable; false when they could not be stored.
  virtual bool Flush() = 0;

  std::string GetString(const std::string& name, const std::string& fallback = {}) const {
    return ReadString(name).value_or(fallback);
  }
  long GetInt(const std::string& name, long fallback) const {
    return ReadInt(name).value_or(fallback);
  }
};

class MemorySettingsStore final : public SettingsStore {
 public:
  std::optional<std::string> ReadString(const std::string& name) const override;
  std::optional<long> ReadInt(const std::string& name) const override;
  std::optional<std::string> ReadBinary(const std::string& name) const override;
  void WriteString(const std::string& name, const std::string& value) override;
  void WriteInt(const std::string& name, long value) override;
  void WriteBinary(const std::string& name, const std::string& bytes) override;
  bool Flush() override { return true; }

  bool Has(const std::string& name) const;

 private:
  std::map<std::string, std::string> strings_;
  std::map<std::string, long> ints_;
  std::map<std::string, std::string> binaries_;
};

// The user's profile: vendor "Veilmark", application "Veilmark". On Windows the registry key
// HKCU\Software\Veilmark\Veilmark; elsewhere $XDG_CONFIG_HOME/Veilmark/Veilmark.conf
// (default ~/.config), created readable by its owner only and replaced atomically on write.
std::unique_ptr<SettingsStore> OpenUserSettings();
// The same store kept in an explicit file (tests, portable use).
std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& path);
// Where OpenUserSettings keeps the file on this platform (empty on Windows).
std::string UserSettingsPath();

}  // namespace veilmark
