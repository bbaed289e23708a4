// Text conventions shared by every layer: the record buffers hold single-byte Windows-1252
// text, the files and the screen hold Unicode (UTF-8). Keys compare text without regard to
// letter case and without trailing blanks. Thread-safe: pure functions.
#pragma once

#include <string>
#include <string_view>

namespace ormile::base {

// Windows-1252 bytes to UTF-8. Every byte has a form (the five unassigned bytes map to the
// C1 controls of the same value, as the system's code page does).
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. A character without a single-byte form becomes '?' and sets
// *lossy (when given); malformed UTF-8 is taken byte by byte.
std::string utf8ToCp1252(std::string_view utf8, bool* lossy = nullptr);

// True when every character of the UTF-8 text has a single-byte form.
bool fitsCp1252(std::string_view utf8);

// Upper case of a Windows-1252 byte (letters of the code page, accented ones included).
unsigned char upper1252(unsigned char c);

// Key comparison of two Windows-1252 texts: letter case and trailing blanks ignored.
int compareKeyText(std::string_view a, std::string_view b);

// Key comparison of two UTF-8 texts (the files' form), same rules as compareKeyText.
int compareKeyTextUtf8(std::string_view a, std::string_view b);

std::string_view rtrim(std::string_view s);

// Replaces every "|" by a line break, as message texts are shown.
std::string barsToLines(std::string_view text);

}  // namespace ormile::base
