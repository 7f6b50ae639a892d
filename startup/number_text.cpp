// Text-to-number conversion with the platform's rules.
#include "startup/number_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "startup/runtime_error.h"

namespace torva {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Walks the text with the blanks taken out.
class Cursor {
 public:
  explicit Cursor(std::wstring_view text) : text_(text) { SkipBlanks(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  wchar_t Peek() const { return AtEnd() ? L'\0' : Upper(text_[pos_]); }
  void Advance() {
    ++pos_;
    SkipBlanks();
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::wstring_view text_;
  std::size_t pos_ = 0;
};

int DigitValue(wchar_t c, int radix) {
  int value = -1;
  if (IsDigit(c)) value = c - L'0';
  else if (c >= L'A' && c <= L'F') value = c - L'A' + 10;
  return value < radix ? value : -1;
}

double ReadRadixNumber(Cursor& cursor, int radix, std::wstring_view text) {
  constexpr std::uint64_t kMax32 = 0xFFFFFFFFu;
  std::uint64_t value = 0;
  for (int digit; (digit = DigitValue(cursor.Peek(), radix)) >= 0; cursor.Advance()) {
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    if (value > kMax32) throw RuntimeError(ErrorCode::Overflow, std::wstring(text));
  }
  if (value <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

void CopyDigits(Cursor& cursor, std::string& out) {
  for (; IsDigit(cursor.Peek()); cursor.Advance()) out += static_cast<char>(cursor.Peek());
}

}  // namespace

double ReadNumber(std::wstring_view text) {
  Cursor cursor(text);
  if (cursor.Peek() == L'&') {
    cursor.Advance();
    const wchar_t prefix = cursor.Peek();
    if (prefix != L'H' && prefix != L'O') return 0;
    cursor.Advance();
    return ReadRadixNumber(cursor, prefix == L'H' ? 16 : 8, text);
  }

  // Gather the number without its blanks into a plain "[-]digits.digitsE[-]digits" for strtod,
  // which rounds correctly however many digits there are.
  std::string plain;
  if (cursor.Peek() == L'-' || cursor.Peek() == L'+') {
    plain += static_cast<char>(cursor.Peek());
    cursor.Advance();
  }
  const std::size_t mantissaStart = plain.size();
  CopyDigits(cursor, plain);
  if (cursor.Peek() == L'.') {
    plain += '.';
    cursor.Advance();
    CopyDigits(cursor, plain);
  }
  if (plain.find_first_of("0123456789", mantissaStart) == std::string::npos) return 0;

  if (cursor.Peek() == L'E' || cursor.Peek() == L'D') {
    cursor.Advance();
    std::string exponent = "e";
    if (cursor.Peek() == L'-' || cursor.Peek() == L'+') {
      exponent += static_cast<char>(cursor.Peek());
      cursor.Advance();
    }
    const std::size_t digitsStart = exponent.size();
    CopyDigits(cursor, exponent);
    if (exponent.size() > digitsStart) plain += exponent;
  }

  const double value = std::strtod(plain.c_str(), nullptr);
  if (std::isinf(value)) throw RuntimeError(ErrorCode::Overflow, std::wstring(text));
  return value;
}

std::int32_t RoundToInt32(double value, std::wstring_view subject) {
  // nearbyint follows the current rounding mode, which nothing in this program changes from the
  // default: to nearest, ties to even.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    throw RuntimeError(ErrorCode::Overflow, std::wstring(subject));
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace torva
