// Small text and path helpers shared by the document's commands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veilmark {

// printf-style formatting into a std::string; the program's texts are printf formats. The
// attribute lets the compiler check every caller's arguments against its format.
#ifdef __MINGW_PRINTF_FORMAT
// MinGW's C++ runtime formats with its C99 printf (%zu, %ju); plain "printf" would check the
// arguments against the Microsoft runtime's older dialect.
[[gnu::format(__MINGW_PRINTF_FORMAT, 1, 2)]] std::string Format(const char* format, ...);
#else
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);
#endif

// Overwrites a text's bytes with zeros (passwords, messages) before it is freed or reused.
void Wipe(std::string& text);

// Lower-cases ASCII letters only, so UTF-8 names stay intact.
std::string AsciiLower(std::string text);

// folder + separator + name, by the platform's rules ("C:\" + "a" has one separator).
std::string JoinPath(const std::string& folder, const std::string& name);
// The part of a path after its last separator.
std::string FileNameFromPath(const std::string& path);
// Size of a file in bytes, or -1 when it cannot be read.
long long FileSizeOf(const std::string& path);
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// Length of the well-formed UTF-8 sequence at `i` (no overlong forms, no surrogates, at
// most U+10FFFF) with its code point; 0 when there is none.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i, char32_t& codePoint);

// The character a Windows-1252 byte stands for; the five bytes the code page leaves undefined
// stand for the C1 control of the same value, as Windows' own conversion has it.
char32_t Windows1252CodePoint(unsigned char byte);
// `bytes` themselves when they are UTF-8; otherwise read as Windows-1252, the code page that
// programs knowing no UTF-8 wrote names in. The result is always UTF-8.
std::string Utf8OrWindows1252(std::string_view bytes);

// Code points a display must not act upon even in valid UTF-8: C1 controls, the
// bidirectional controls (which reorder what follows them) and the line and paragraph
// separators.
bool IsFormattingControl(char32_t codePoint);

// Text from an untrusted source (a hidden name or message, a file name) as it may be put on
// a terminal, the status line or a text panel: C0 controls and DEL become \xNN, the
// formatting controls above <U+202E>, bytes that are not UTF-8 \xNN; the rest is kept.
// With `keepLineBreaks`, LF, CR LF and tab stay as they are (a lone CR still does not).
std::string VisibleText(std::string_view utf8, bool keepLineBreaks = false);

// Creates a new folder, readable by its owner only, in the system's temporary folder.
std::string MakePrivateTempFolder();

// `length` letters and digits from the system's random device: names that must not collide
// (temporary files and folders), not secrets.
std::string RandomName(std::size_t length);

}  // namespace veilmark
