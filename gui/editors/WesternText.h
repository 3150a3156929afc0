#pragma once

// The Text operator's string is 8-bit, one byte a character of the Western Windows code page; the
// text editor shows and takes Unicode.

#include <QString>
#include <string>
#include <string_view>

QString fromWestern(std::string_view bytes);
// Characters the code page does not have (and the zero character, which would end the string)
// become '?'.
std::string toWestern(const QString& text);
