#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a file-name pattern may name: "{material}" (the input file's name without its extension),
// "{index}" (the collector's position), "{collector}" (its name; "slot<index>" for packed files) and
// "{slot}" (its slot index).
struct FileNameFields {
    std::string_view material;
    std::size_t index = 0;
    std::string_view collector;
    int slot = 0;
};

// Every character outside A-Z a-z 0-9 . _ - becomes '_', so that no name taken from a file can leave
// the output folder or make an unusable path.
std::string safeFileNamePart(std::string_view text);

// Raises Exception naming the fault when the pattern is empty, names an unknown field, leaves a brace
// open, or holds a character outside A-Z a-z 0-9 . _ - between its fields.
void checkFileNamePattern(std::string_view pattern);

// The pattern with each field replaced by its value made safe, and ".png" appended. The pattern must
// have passed checkFileNamePattern.
std::string expandFileNamePattern(std::string_view pattern, const FileNameFields& fields);
