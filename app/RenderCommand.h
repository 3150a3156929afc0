#pragma once

#include <ostream>

// velvor-render INPUT [-o DIR] [--packed-out FILE] [--xml-out FILE] [--opaque] [--strict]
// Renders every collector of a material (XML or packed, told apart by content) to PNG files.
// Returns the exit status: 0 success, 1 error (message on `err`), 2 usage error.
int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress);
