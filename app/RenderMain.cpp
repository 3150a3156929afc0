#include "app/RenderCommand.h"

#include <iostream>

#if defined(_WIN32)
#include <io.h>
static bool isTerminal(int fd) {
    return _isatty(fd) != 0;
}
#else
#include <unistd.h>
static bool isTerminal(int fd) {
    return isatty(fd) != 0;
}
#endif

int main(int argc, char** argv) {
    return runRenderCommand(argc, argv, std::cout, std::cerr, isTerminal(2), isTerminal(1));
}
