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

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Sound is on exactly when the second field is "1"; the first (the header) is not looked at.
// Nothing when the text has fewer than two fields.
std::optional<bool> ParseSoundSetting(std::string_view fileContent);

// The whole file: the header line, then "1" or "0", each ending in CR LF.
std::string FormatSoundSetting(bool soundOn);

}  // namespace torva
