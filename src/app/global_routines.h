#pragma once
// Shared helpers: password scrambling, file and folder checks, the reserved-character
// check for file names, and locating Paint.
#include "app/app_data.h" // AddTrailingBackslash lives there; one copy serves both modules
#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace pictorn::app {

// Stored passwords in existing settings depend on this value: never change it.
inline constexpr int kScrambleOffset = 5;

// Characters a file-name prefix must not contain, in the order the check reports them.
inline constexpr std::string_view kReservedFileNameChars = "*<>[]=+\\|/'\"`()°²³,.:;&@#$%µ£?~^";

// Shift every byte of the UTF-8 text up (scramble) or down (unscramble) by the offset, so
// any Unicode password survives (UTF-8 bytes never exceed 0xF4). A byte that would leave
// 0..255 raises AppError 5 "Invalid procedure call or argument".
std::string ScramblePassword(std::string_view text);
std::string UnscramblePassword(std::string_view text);

// True when the file can be opened for reading; never raises.
bool FileExists(platform::FileSystem& files, std::string_view path);
// True when the path's attributes include the directory flag; never raises.
bool FolderExists(platform::FileSystem& files, std::string_view path);
// The characters of the text that occur in the set, in text order. Characters are whole
// code points of the UTF-8 text, so "µ" matches only "µ", never a byte of another letter.
std::string StringChk(std::string_view text, std::string_view set);
// Full path of Paint, or empty.
std::string LocatePaint(platform::FileSystem& files);

} // namespace pictorn::app
