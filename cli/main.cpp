#include "cli/cli.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

// Windows hands narrow programs their arguments in the ANSI code page, which cannot spell most
// file names; the commands take UTF-8, so the arguments are read wide and converted.
int main() {
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!wide) return 1;
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(bytes > 0 ? static_cast<std::size_t>(bytes) : 1u, '\0');
    if (bytes > 0)
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
    arg.resize(arg.size() - 1);  // the terminating NUL
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // What the commands print is UTF-8 too.
  SetConsoleOutputCP(CP_UTF8);
  return veilmark::cli::Main(argc, argv.data());
}
#else
int main(int argc, char** argv) { return veilmark::cli::Main(argc, argv); }
#endif
