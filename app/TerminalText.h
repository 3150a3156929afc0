#pragma once

#include <string>
#include <string_view>

// Text from files (node names, paths) shown on a terminal: every control character becomes "\xNN",
// so a name cannot move the cursor, clear the screen or fake a line of its own.
std::string escapeControlCharacters(std::string_view text);
