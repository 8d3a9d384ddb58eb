#pragma once
// Text that must come back byte for byte although it passes through UTF-8
// only steps (a JSON parser, Qt strings): every byte that is not part of
// valid UTF-8 is carried as one code point of the last private use plane,
// U+10FF80 to U+10FFFF (U+10FF00 plus the byte), and turned back into that
// byte where the text leaves for a file.

#include <string>
#include <string_view>

namespace velmora {

// Valid UTF-8 as it is; each other byte as its private code point.
std::string carryInvalidBytes(std::string_view bytes);
// The bytes carryInvalidBytes stood in for, back in their place.
std::string restoreCarriedBytes(std::string_view text);

}  // namespace velmora
