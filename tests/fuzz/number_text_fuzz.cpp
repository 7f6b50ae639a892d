// Feeds arbitrary text to the number reader: it must return a number or throw Overflow, never
// crash, and a finite result must round or overflow consistently.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "startup/command_line.h"
#include "startup/number_text.h"
#include "startup/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  try {
    const double value = torva::ReadNumber(text);
    if (!std::isfinite(value)) __builtin_trap();
    const std::int32_t rounded = torva::RoundToInt32(value, text);
    if (std::fabs(static_cast<double>(rounded) - value) > 0.5) __builtin_trap();
  } catch (const torva::RuntimeError& error) {
    if (error.code() != torva::ErrorCode::Overflow) __builtin_trap();
  }
  try {
    torva::ParseCommand(text);
  } catch (const torva::RuntimeError& error) {
    if (error.code() != torva::ErrorCode::Overflow) __builtin_trap();
  }
  return 0;
}
