// Renders a packed material and prints, per collector, its slot, size and how many pixels are not
// transparent black: what a player linking the library would use.
// The package puts include/velvor on the include path, as the library's own headers expect.
#include <core/packed/PackedMaterial.h>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: player FILE.ostra-packed\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    try {
        Velvor::PackedMaterial material(bytes);
        material.render();
        for (const auto& output : material.getCollectors()) {
            int inked = 0;
            for (int i = 0; i < output.image->getPixelCount(); ++i) {
                inked += output.image->getPixels()[i] != 0;
            }
            std::cout << "slot" << output.slotIndex << " " << output.image->getWidth() << "x"
                      << output.image->getHeight() << " " << inked << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "player: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
