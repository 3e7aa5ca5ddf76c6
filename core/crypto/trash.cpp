#include "core/crypto/trash.h"

#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#else
#include <gio/gio.h>
#endif

namespace veilmark::crypto {

#ifdef _WIN32

bool MoveToTrash(const std::filesystem::path& file, std::string* why) {
  // The shell wants an absolute path in a list ending with two NULs.
  std::error_code ec;
  std::wstring from = std::filesystem::absolute(file, ec).native();
  if (ec) from = file.native();
  from.push_back(L'\0');
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  // A file the Recycle Bin cannot hold would be deleted for good: FOF_WANTNUKEWARNING
  // asks the user first rather than let FOF_NOCONFIRMATION agree silently.
  op.fFlags = static_cast<FILEOP_FLAGS>(FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT |
                                        FOF_NOERRORUI | FOF_WANTNUKEWARNING);
  const int result = SHFileOperationW(&op);
  if (result == 0 && !op.fAnyOperationsAborted && !std::filesystem::exists(file, ec)) return true;
  if (why) *why = "the Recycle Bin refused it (error " + std::to_string(result) + ")";
  return false;
}

#else

bool MoveToTrash(const std::filesystem::path& file, std::string* why) {
  GFile* target = g_file_new_for_path(file.c_str());
  GError* error = nullptr;
  const bool moved = g_file_trash(target, nullptr, &error) != FALSE;
  if (!moved && why) *why = error && error->message ? error->message : "the trash refused it";
  if (error) g_error_free(error);
  g_object_unref(target);
  return moved;
}

#endif

}  // namespace veilmark::crypto
