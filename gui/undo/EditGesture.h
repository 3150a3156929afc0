#pragma once

// Which user gesture a change belongs to. Changes of one parameter made in one gesture (a drag of a
// scroll bar, a burst of typing, a visit to the colour dialog) are one undo step; a change that is a
// gesture of its own (a click on a radio button) takes a fresh number.

#include <cstdint>

using EditGesture = std::uint64_t;

// A number no earlier call gave; never 0.
EditGesture newEditGesture();
