#include "app/RenderCommand.h"

#include <iostream>

#if defined(_WIN32)
#include <io.h>
static bool errorIsTerminal() {
    return _isatty(2) != 0;
}
#else
#include <unistd.h>
static bool errorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
#endif

int main(int argc, char** argv) {
    return runRenderCommand(argc, argv, std::cout, std::cerr, errorIsTerminal());
}
