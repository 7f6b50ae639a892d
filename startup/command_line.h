// Parsing the switch that the host starts the saver with, into a plain value that start-up acts on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torva {

enum class Mode {
  None,      // nothing recognised: end silently
  Preview,   // "/P <handle>": draw into the host's preview pane
  Settings,  // "/C": the settings dialog
  Password,  // "/A": say that no password is needed
  Show,      // "/S": the full-screen show
};

struct Command {
  Mode mode = Mode::None;
  std::int32_t hostWindow = 0;  // Preview only; a 32-bit handle as the host wrote it

  friend bool operator==(const Command&, const Command&) = default;
};

// The command-line tail: everything after the program's name (quoted or not) and the blanks
// that follow it.
std::wstring_view CommandTail(std::wstring_view commandLine);

// Only the first two characters of the trimmed, upper-cased tail select the mode, so "/SAVE"
// runs the show and "/c:1234" opens the settings. Throws RuntimeError(Overflow) when the
// preview handle does not fit in 32 bits.
Command ParseCommand(std::wstring_view tail);

inline constexpr wchar_t kPasswordMessage[] = L"No password is necessary.";
inline constexpr wchar_t kPasswordTitle[] = L"Password Information";

}  // namespace torva
