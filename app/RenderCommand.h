#pragma once

#include <ostream>

// velvor-render INPUT [-o DIR] [--packed-out FILE] [--xml-out FILE] [--opaque] [--strict]
// Renders every collector of a material (XML or packed, told apart by content) to PNG files.
// Returns the exit status: 0 success, 1 error (message on `err`; also when no collector was written,
// or, with --strict, when one could not be generated), 2 usage error. `showProgress`: `err` is a
// terminal; `outIsTerminal`: paths on `out` are shown escaped.
int runRenderCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     bool showProgress, bool outIsTerminal = false);
