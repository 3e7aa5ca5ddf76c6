// Command ids of the menus, toolbar, accelerators and context menus, and the map from the
// Edit commands to the image engine's operations (the engine knows no menu).
#pragma once

#include "core/image/image_ops.h"

#include <optional>

namespace veilmark::image {

// File menu.
inline constexpr int ID_FILE_EXTRACT_HIDDEN = 32850;
inline constexpr int ID_FILE_SAVE_PNG = 32816;
inline constexpr int ID_FILE_SAVE_BMP = 32817;
inline constexpr int ID_FILE_SAVE_TIFF = 32818;
inline constexpr int ID_FILE_SAVE_JPG = 32819;
inline constexpr int ID_FILE_SAVE_GIF = 32820;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_APP_EXIT = 57665;

// Hide menu.
inline constexpr int ID_HIDE_SELECT_FILE = 32824;
inline constexpr int ID_HIDE_UNSELECT_FILE = 32825;
inline constexpr int ID_HIDE_FILE = 32823;
inline constexpr int ID_HIDE_FILE_DISPLAY = 32826;
inline constexpr int ID_HIDE_ENTER_MESSAGE = 32827;
inline constexpr int ID_HIDE_MESSAGE = 32828;
inline constexpr int ID_HIDE_MESSAGE_DISPLAY = 32829;
inline constexpr int ID_HIDE_ANALYSE = 32830;

// Encrypt menu.
inline constexpr int ID_ENCRYPT_FILE = 33000;
inline constexpr int ID_DECRYPT_FILE = 33001;
inline constexpr int ID_ENCRYPT_FOLDER = 33002;
inline constexpr int ID_DECRYPT_FOLDER = 33003;
inline constexpr int ID_ENCRYPT_MESSAGE = 33004;

// Settings menu.
inline constexpr int ID_SETTINGS_PASSWORDS = 32900;

// Edit menu: history and the twelve image operations.
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_EDIT_MIRROR = 32774;
inline constexpr int ID_EDIT_FLIP = 32775;
inline constexpr int ID_EDIT_ROTATE_RIGHT = 32779;
inline constexpr int ID_EDIT_ROTATE_LEFT = 32782;
inline constexpr int ID_EDIT_GRAYSCALE = 32778;
inline constexpr int ID_EDIT_NEGATIVE = 32777;
inline constexpr int ID_EDIT_GAMMA = 32780;
inline constexpr int ID_EDIT_THRESHOLD = 32799;
inline constexpr int ID_EDIT_LIGHTEN = 32809;
inline constexpr int ID_EDIT_DARKEN = 32810;
inline constexpr int ID_EDIT_CONTRAST = 32811;
inline constexpr int ID_EDIT_SHARPEN = 32815;

// View menu and folder commands.
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;
inline constexpr int ID_VIEW_FOLDERS = 32783;
inline constexpr int ID_VIEW_PREVIEW = 32784;
inline constexpr int ID_FOLDER_REFRESH = 33031;
inline constexpr int ID_FOLDER_SAMPLES = 32851;
inline constexpr int ID_FOLDER_OPEN_IN_BROWSER = 33030;

// Help menu.
inline constexpr int ID_HELP_FRAME_COLORS = 33050;
inline constexpr int ID_HELP_WEB_SITE = 33051;
inline constexpr int ID_HELP_DISCLAIMER = 33052;
inline constexpr int ID_HELP_ABOUT = 33053;

// The image operation an Edit command runs; nothing for any other command.
inline std::optional<ImageOp> ImageOpForCommand(int id) {
  switch (id) {
    case ID_EDIT_MIRROR:
      return ImageOp::kMirror;
    case ID_EDIT_FLIP:
      return ImageOp::kFlip;
    case ID_EDIT_ROTATE_RIGHT:
      return ImageOp::kRotateRight;
    case ID_EDIT_ROTATE_LEFT:
      return ImageOp::kRotateLeft;
    case ID_EDIT_GRAYSCALE:
      return ImageOp::kGrayscale;
    case ID_EDIT_NEGATIVE:
      return ImageOp::kNegative;
    case ID_EDIT_GAMMA:
      return ImageOp::kGamma;
    case ID_EDIT_THRESHOLD:
      return ImageOp::kThreshold;
    case ID_EDIT_LIGHTEN:
      return ImageOp::kLighten;
    case ID_EDIT_DARKEN:
      return ImageOp::kDarken;
    case ID_EDIT_CONTRAST:
      return ImageOp::kContrast;
    case ID_EDIT_SHARPEN:
      return ImageOp::kSharpen;
    default:
      return std::nullopt;
  }
}

}  // namespace veilmark::image
