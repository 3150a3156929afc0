#pragma once

// The operator contract shared by every texture operator:
// - An operator owns one image and fills all of it in one pass in generate().
// - generate() receives the input images in port order (0 .. getNumInputs() - 1). Every input has the
//   operator's own size: callers ask inputsFit() first. An operator given inputs that do not fit
//   leaves its image as it was. Operators without inputs ignore the argument.
// - Parameters are public 16-bit fields (and 32-bit colours, and Text's string). Each operator hands
//   its constructor one list of them (ParameterField.h), in block order; readParameters() and
//   writeParameters() move exactly those fields, little-endian, to and from the packed parameter block,
//   and the packed reader sizes blocks from the same list. readParameters() trusts its cursor: callers
//   check the byte count first.
// - Every parameter value a 16-bit field can hold is safe: out-of-range values are brought into the
//   nearest usable one when the operator runs, never by rewriting the field.

#include "core/Image.h"
#include "core/operators/ParameterField.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Velvor {

enum class OperatorType : std::int32_t {
    Collector = 0,
    Checkerboard = 1,
    Mixer = 2,
    Subplasma = 3,
    Displacement = 4,
    Text = 5,
    NormalMap = 6,
};

class Operator {
public:
    // `parameters` must outlive the operator (the operators pass their static declaration).
    Operator(OperatorType typeId, int numInputs, int width, int height,
             std::span<const ParameterField> parameters = {});
    Operator(const Operator&) = delete;
    Operator& operator=(const Operator&) = delete;
    virtual ~Operator() = default;

    // Replaces the image by a zero-filled one of the new size. On allocation failure the operator
    // keeps its previous image.
    virtual void resize(int width, int height);
    virtual void generate(const Image* const* inputs) = 0;
    const std::uint8_t*& readParameters(const std::uint8_t*& cursor);
    void writeParameters(std::vector<std::uint8_t>& out) const;
    std::span<const ParameterField> getParameterFields() const { return parameters_; }

    int getTypeId() const { return static_cast<int>(typeId_); }
    OperatorType getType() const { return typeId_; }
    int getNumInputs() const { return numInputs_; }
    Image& getImage() { return image_; }
    const Image& getImage() const { return image_; }

protected:
    // The array generate() was handed, one entry a port; empty when there is none.
    std::span<const Image* const> portsOf(const Image* const* inputs) const {
        return {inputs, inputs != nullptr ? static_cast<std::size_t>(numInputs_) : 0};
    }

    Image image_;

private:
    int numInputs_;
    OperatorType typeId_;
    std::span<const ParameterField> parameters_;
};

// Whether the operator can generate from `inputs`: one image a port, in port order, none missing and
// each of the operator's own size. Operators read every input with their own size, so anything else
// would be read out of bounds.
bool inputsFit(const Operator& op, std::span<const Image* const> inputs);

} // namespace Velvor
