// Text-to-number conversion with the platform's rules, used for the preview window handle.
#pragma once

#include <cstdint>
#include <string_view>

namespace torva {

// Reads the number that `text` starts with, the way the platform's own conversion does:
// - spaces, tabs and line feeds are skipped anywhere, also between the digits ("1 2" is 12);
// - a decimal number has an optional sign, a decimal point and an exponent (E or D);
// - "&H" introduces hexadecimal digits and "&O" octal ones; such a value is typed like the
//   platform's literals: up to &HFFFF a 16-bit integer, up to &HFFFFFFFF a 32-bit one, so
//   "&HFFFF" reads as -1;
// - reading stops at the first character that cannot continue the number, and text that does
//   not start with a number reads as 0.
// Throws RuntimeError(Overflow) when the value is beyond double range or, for hexadecimal and
// octal, beyond 32 bits.
double ReadNumber(std::wstring_view text);

// Rounds to the nearest 32-bit integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
// Throws RuntimeError(Overflow) naming `subject` when the result does not fit.
std::int32_t RoundToInt32(double value, std::wstring_view subject);

}  // namespace torva
