#pragma once

// Where a value editor's value lives. The operator panel's targets write through the material and
// its undo stack; a test may bind an editor to a plain variable.

#include "gui/undo/EditGesture.h"
#include "model/Material.h"

class ValueTarget {
public:
    virtual ~ValueTarget() = default;

    // A number (16-bit values sign-extended, a colour's bits) or a text, as the editor's kind holds.
    virtual ParameterValue read() const = 0;
    // Stores a value the user chose; `gesture` groups the writes of one user gesture.
    virtual void write(const ParameterValue& value, EditGesture gesture) = 0;
};
