// The menu bar and the toolbar: every command's id, text, status-bar prompt, tooltip and
// image, in display order.
#pragma once

#include "res/art.h"

#include <string>
#include <vector>

class wxMenuBar;
class wxToolBar;

namespace veilmark::app {

inline constexpr char kIdleStatusText[] = "Veilmark v1.1c";

// wxWidgets takes menu and window ids below 32767 only; the command ids lie above. Menus,
// toolbar and accelerators carry the command id less this offset, which keeps them clear of
// wxWidgets' own ids (4999..5999).
inline constexpr int kWxIdOffset = 30000;
constexpr int ToWxId(int commandId) { return commandId - kWxIdOffset; }
constexpr int ToCommandId(int wxId) { return wxId + kWxIdOffset; }

struct CommandDef {
  int id;              // 0 for a separator
  const char* text;    // menu text with mnemonic and accelerator
  const char* prompt;  // "status-bar prompt\ntooltip"
  int bitmap;          // 1100..1121, or 0
  bool check = false;  // shows a check mark
};

struct MenuDef {
  const char* title;
  std::vector<CommandDef> items;
};

const std::vector<MenuDef>& MenuTable();
// The command with this id anywhere in the menus, or nullptr.
const CommandDef* FindCommand(int id);

std::string StatusPrompt(const CommandDef& command);
std::string Tooltip(const CommandDef& command);

// The toolbar from left to right; id 0 is a separator.
struct ToolDef {
  int id;
  res::Art art;
  bool check = false;
};
const std::vector<ToolDef>& ToolbarTable();

wxMenuBar* BuildMenuBar();
void FillToolBar(wxToolBar* toolbar);

// The folders window's context menu.
inline constexpr char kEncryptFolderText[] = "Encrypt folder";
inline constexpr char kDecryptFolderText[] = "Decrypt folder";
inline constexpr char kOpenFolderText[] = "Open folder";

}  // namespace veilmark::app
