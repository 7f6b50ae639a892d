// Parsing the host's command line.
#include "startup/command_line.h"

#include <algorithm>

#include "startup/number_text.h"

namespace torva {
namespace {

std::wstring TrimSpaces(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::wstring UpperAscii(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  });
  return text;
}

}  // namespace

std::wstring_view CommandTail(std::wstring_view commandLine) {
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const auto close = commandLine.find(L'"', 1);
    pos = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  }
  while (pos < commandLine.size() && commandLine[pos] != L' ' && commandLine[pos] != L'\t') ++pos;
  while (pos < commandLine.size() && (commandLine[pos] == L' ' || commandLine[pos] == L'\t')) ++pos;
  return commandLine.substr(pos);
}

Command ParseCommand(std::wstring_view tail) {
  const std::wstring text = UpperAscii(TrimSpaces(tail));
  const std::wstring_view switchText = std::wstring_view(text).substr(0, 2);

  if (switchText == L"/P") {
    // The third character separates the handle ("/p 1234" or "/p:1234") whatever it is.
    const std::wstring_view handleText = std::wstring_view(text).substr(std::min<std::size_t>(3, text.size()));
    return {Mode::Preview, RoundToInt32(ReadNumber(handleText), handleText)};
  }
  if (switchText == L"/C") return {Mode::Settings};
  if (switchText == L"/A") return {Mode::Password};
  if (switchText == L"/S") return {Mode::Show};
  return {};
}

}  // namespace torva
