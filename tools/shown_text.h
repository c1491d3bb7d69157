// Text from a message (or a file name) made safe and measurable for a
// terminal: nothing a message holds is ever written raw to one.
#ifndef TALMO_TOOLS_SHOWN_TEXT_H
#define TALMO_TOOLS_SHOWN_TEXT_H

#include <string>
#include <string_view>

namespace talmo {

// The bytes with every control character (C0, DEL, C1), line separator and
// bidirectional control made visible as an escape (\t, \n, \r, \x1b,
// \u0085, \u202e) and every byte that is not part of valid UTF-8 as \xNN;
// all else, valid UTF-8, unchanged. (A backslash stays itself, so Windows
// paths read as they are; --json gives the exact text.)
std::string shown(std::string_view bytes);

// The columns a terminal gives text that shown() returned: one for most
// characters, two for East Asian wide and fullwidth ones, none for
// combining marks.
size_t columnsOf(std::string_view shownText);

// Text that shown() returned, cut to at most columns columns, ending in
// "…" when it was cut.
std::string cutTo(std::string_view shownText, size_t columns);

}  // namespace talmo

#endif
