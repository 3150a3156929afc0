#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a whole text file; CR LF line ends become LF.
// Raises Exception "Could not read file <path>" when the file cannot be opened or read.
std::string readFile(const std::string& path);

// Reads a whole file unchanged. Raises Exception "Could not read file <path>" when it cannot be read,
// and "File <path> is larger than the limit of <n> bytes" before reading one that exceeds maxBytes.
std::vector<std::uint8_t> readBinaryFile(const std::string& path, std::size_t maxBytes);

// Writes the bytes unchanged. The data goes to a file beside the target first and replaces it only
// when complete, so a failed write never leaves a half-written file where the old one was.
// Raises Exception "Could not write file <path>" on any failure.
void writeFile(const std::string& path, const std::string& data);
