#pragma once

#include "base/Point.h"
#include "core/operators/Operator.h"

#include <array>
#include <memory>
#include <string_view>

namespace Velvor {

// One line of anti-aliased text on an opaque black box of the text's extent; the rest of the image
// is transparent black. Position and size are in 1/4096 of the image size.
class Text : public Operator {
public:
    static constexpr std::size_t textCapacity = 1024; // including the terminating zero
    static constexpr int faceCount = 5;

    Text(int width, int height);
    ~Text() override;

    void generate(const Image* const* inputs) override;

    // Size of the text box (x = width, y = height) measured by the last generate(); 0 x 0 before.
    Point getExtent() const { return extent_; }

    // The zero-terminated text (at most textCapacity - 1 characters).
    std::string_view getText() const;
    // Longer texts are cut to textCapacity - 1 characters.
    void setText(std::string_view value);

    // Face names of the `font` values 0..4.
    static const char* faceName(int font);

    std::int16_t x = 2048;       // left edge, 1/4096 of the width
    std::int16_t y = 2048;       // top edge, 1/4096 of the height, from the top of the picture
    std::int16_t fontsize = 256; // character height, 1/4096 of the height; 0 = default height
    std::int16_t weight = 400;   // 100 Thin .. 900 Heavy
    std::int16_t font = 0;       // face table index; values outside 0..4 use face 0
    Pixel colour = 0x00FFFFFFu;  // alpha is not used
    std::array<char, textCapacity> text{};

private:
    struct Rasteriser;
    std::unique_ptr<Rasteriser> rasteriser_;
    Point extent_;
};

// The parameter block, in byte order: 14 bytes of numbers, then the text and its zero. Characters
// beyond textCapacity - 1 are read past, not stored.
inline constexpr ParameterField textFields[] = {
    numberField<&Text::x>("x"),
    numberField<&Text::y>("y"),
    numberField<&Text::fontsize>("fontsize"),
    numberField<&Text::weight>("weight"),
    numberField<&Text::font>("font"),
    numberField<&Text::colour>("colour"),
    textField<Text>("text"),
};

} // namespace Velvor
