// velvor-sample: renders the built-in generators to PNG files, a first look at the run-time library.
#include <cstdio>
#include <string>

#include "app/PngWriter.h"
#include "base/Exception.h"
#include "core/Checkboard.h"
#include "core/SubPlasma.h"

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    try {
        Velvor::Checkboard checkerboard(256, 256);
        checkerboard.blocks = 8;
        checkerboard.generate(nullptr);
        writePng(dir + "/checkerboard.png", checkerboard.getImage(), false);
        std::printf("%s/checkerboard.png\n", dir.c_str());

        Velvor::SubPlasma plasma(256, 256);
        plasma.grid = 3;
        plasma.seed = 7;
        plasma.colour = 0xFFFFB060u;
        plasma.generate(nullptr);
        writePng(dir + "/subplasma.png", plasma.getImage(), false);
        std::printf("%s/subplasma.png\n", dir.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "velvor-sample: %s\n", e.getMessage().c_str());
        return 1;
    }
    return 0;
}
