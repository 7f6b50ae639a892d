// The settings file's text: reading its fields and writing its two lines. Kept free of
// <windows.h> so that it is tested on any platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torva {

inline constexpr wchar_t kSettingsFileName[] = L"torva.txt";
inline constexpr char kSettingsHeader[] = "Sound Config file for torva screensaver";

// Delimited field input, as the platform's file input statement reads it: blanks before a field
// are skipped, a field ends at a comma or the end of a line, a field in double quotes loses its
// quotes (and may then hold commas). Blanks after a field stay in it, so "1 " is not "1".
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // The next field, or nothing when the text is used up (the "input past end of file" case).
  std::optional<std::string> Next();

  // Whether the last field ended within the text, at its delimiter or its closing quote; if not,
  // the text ran out in its middle, and more of it could have made the field longer.
  bool LastFieldClosed() const { return lastFieldClosed_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool lastFieldClosed_ = false;
};

// The most of the settings file that is read: its two short lines fit many times over, and a file
// of any size costs no more memory than this.
inline constexpr std::size_t kSettingsReadLimit = 4096;

enum class SoundSettingRead { SoundOff, SoundOn, TooFewFields, FieldsTooLong };

// What a file says whose first bytes are `start` (all of it when `wholeFile`): sound is on exactly
// when the second field is "1"; the first (the header) is not looked at. Whatever follows the
// second field is never looked at, so as long as that field ends within `start` the answer is the
// one the whole file gives. When it does not, the first two fields run past kSettingsReadLimit:
// no settings file looks like that, and it is FieldsTooLong rather than a guess.
SoundSettingRead ReadSoundSettingStart(std::string_view start, bool wholeFile);

// The whole file: the header line, then "1" or "0", each ending in CR LF.
std::string FormatSoundSetting(bool soundOn);

}  // namespace torva
