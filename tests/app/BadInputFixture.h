#pragma once

// Whole files a user could meet, damaged or hostile, through the command-line renderer: each gets a
// clear message and its exit status, never a crash or a hang, and whatever was valid in it is kept.

#include "PngDecoding.h"
#include "RenderCommandFixture.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

inline const std::string ask = " Do you want to continue loading?";

// A 16 x 16 checkerboard of two blocks into the collector "Kept", ids 1 and 2: the valid part that
// every damaged material below carries and that must still come out.
inline const std::string keptNodes =
    R"(<checkerboard id="1" typeId="1" name="Board" size="16,16" blocks="2"/>)"
    R"(<collector id="2" typeId="0" name="Kept" size="16,16" index="0"/>)";
inline const std::string keptCable = R"(<cable fromNode="1" toNode="2" toPort="0"/>)";

inline std::string material(const std::string& nodes, const std::string& cables) {
    return "<velvorMaterial><nodes>" + keptNodes + nodes + "</nodes><cables>" + keptCable + cables +
           "</cables></velvorMaterial>";
}

// Every pixel of the grey level with the alpha.
inline bool uniform(const Picture& picture, png_byte level, png_byte alpha) {
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
        if (picture.rgba[i] != level || picture.rgba[i + 1] != level || picture.rgba[i + 2] != level ||
            picture.rgba[i + 3] != alpha) {
            return false;
        }
    }
    return !picture.rgba.empty();
}

// Packed records written from the byte layout.
inline void header(Bytes& b, int type, int width, int height) {
    for (int value : {type, width & 0xFF, width >> 8, height & 0xFF, height >> 8}) {
        b.push_back(static_cast<std::uint8_t>(value));
    }
}
inline void checkerboard(Bytes& b, int width, int height, int blocks) {
    header(b, 1, width, height);
    b.insert(b.end(), {static_cast<std::uint8_t>(blocks), 0, 0});
}
inline void collector(Bytes& b, int size, Bytes inputs) {
    header(b, 0, size, size);
    b.insert(b.end(), {0, 0, static_cast<std::uint8_t>(inputs.size())});
    b.insert(b.end(), inputs.begin(), inputs.end());
}

class BadInputTest : public RenderCommandFixture {
protected:
    // Renders the file into the folder "png", emptied first.
    int render(const std::string& input, std::vector<std::string> more = {}) {
        fs::remove_all(pngDir());
        more.insert(more.begin(), {input, "-o", pngDir().string()});
        return run(more);
    }
    fs::path pngDir() const { return dir / "png"; }
    std::set<std::string> written() const {
        std::set<std::string> names;
        if (fs::exists(pngDir())) {
            for (const auto& entry : fs::directory_iterator(pngDir())) {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }
    bool saidOnError(const std::string& text) const { return err.str().find(text) != std::string::npos; }

    // The 16 x 16 board of two blocks as displayed: the counters run down from the top-left, so the
    // top-left and bottom-right quarters are black, the other two white.
    void expectKeptBoard() const {
        ASSERT_TRUE(written().contains("0_Kept.png")) << err.str();
        const Picture board = decode(pngDir() / "0_Kept.png");
        ASSERT_EQ(board.width, 16u);
        ASSERT_EQ(board.height, 16u);
        for (unsigned row = 0; row < 16; ++row) {
            for (unsigned column = 0; column < 16; ++column) {
                const png_byte level = (row < 8) == (column < 8) ? 0 : 255;
                ASSERT_EQ(board.at(row, column)[0], level) << row << "," << column;
                ASSERT_EQ(board.at(row, column)[3], 255);
            }
        }
    }
};
