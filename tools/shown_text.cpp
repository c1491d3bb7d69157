// Escaping and measuring text for the terminal (see shown_text.h).
#include "shown_text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace talmo {

namespace {

// The code point of the UTF-8 sequence at s[i] and its length, or length 0
// when the bytes there are not valid UTF-8 (overlong forms, surrogates and
// code points past U+10FFFF included).
struct Decoded {
  char32_t code = 0;
  size_t length = 0;
};

Decoded decode(std::string_view s, size_t i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = byte(i);
  if (b < 0x80) return {b, 1};
  size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
  if (n == 0 || b > 0xF4 || i + n > s.size()) return {};
  char32_t code = b & (0xFF >> (n + 1));
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return {};
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, n};
}

bool needsEscape(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

struct Range {
  char32_t first, last;
};

bool inRanges(char32_t c, const Range* begin, const Range* end) {
  const Range* r =
      std::upper_bound(begin, end, c, [](char32_t v, const Range& x) { return v < x.first; });
  return r != begin && c <= std::prev(r)->last;
}

// Characters a terminal draws two columns wide (East Asian Wide and
// Fullwidth, emoji presentation), in order.
const Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4},
    {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
    {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x3FFFD},
};

// Combining marks and other characters drawn in no column of their own.
const Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x200B, 0x200D}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xE0100, 0xE01EF},
};

size_t widthOf(char32_t c) {
  if (inRanges(c, std::begin(kZeroWidth), std::end(kZeroWidth))) return 0;
  return inRanges(c, std::begin(kWide), std::end(kWide)) ? 2 : 1;
}

}  // namespace

std::string shown(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  char escape[12];
  for (size_t i = 0; i < bytes.size();) {
    Decoded d = decode(bytes, i);
    if (d.length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(bytes[i]));
      out += escape;
      ++i;
      continue;
    }
    if (d.code == '\t') {
      out += "\\t";
    } else if (d.code == '\n') {
      out += "\\n";
    } else if (d.code == '\r') {
      out += "\\r";
    } else if (d.code < 0x80 && needsEscape(d.code)) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(d.code));
      out += escape;
    } else if (needsEscape(d.code)) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(d.code));
      out += escape;
    } else {
      out.append(bytes, i, d.length);
    }
    i += d.length;
  }
  return out;
}

size_t columnsOf(std::string_view text) {
  size_t columns = 0;
  for (size_t i = 0; i < text.size();) {
    Decoded d = decode(text, i);
    columns += d.length ? widthOf(d.code) : 1;
    i += d.length ? d.length : 1;
  }
  return columns;
}

std::string cutTo(std::string_view text, size_t columns) {
  if (columnsOf(text) <= columns) return std::string(text);
  if (columns == 0) return {};
  std::string out;
  size_t used = 0;
  for (size_t i = 0; i < text.size();) {
    Decoded d = decode(text, i);
    size_t length = d.length ? d.length : 1;
    size_t width = d.length ? widthOf(d.code) : 1;
    if (used + width > columns - 1) break;
    out.append(text, i, length);
    used += width;
    i += length;
  }
  return out + "\u2026";
}

}  // namespace talmo
