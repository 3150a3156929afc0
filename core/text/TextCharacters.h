#pragma once

// What a byte of the Text operator's string means as a Unicode character. The string is 8-bit: in
// ordinary faces a byte is a character of the Western Windows code page; in the symbol face (the
// picture font of the face table) it is a picture's code, whose Unicode equivalent lets another face
// draw the picture when the installed symbol face lacks it.

namespace Velvor {

// How a face of the face table reads the bytes.
enum class CharacterSet { western, symbol };

// Unicode of a byte in the Western Windows code page; the five bytes the code page leaves undefined
// map to the C1 control characters of the same value.
char32_t westernCharacter(unsigned char byte);

// Unicode equivalent of a picture code of the symbol face, or 0 when the code has none (controls,
// 0x7F, 0xFF).
char32_t symbolCharacter(unsigned char byte);

// Whether a character stands for something drawable; controls have no picture to look for elsewhere.
bool isPrintable(char32_t character);

} // namespace Velvor
