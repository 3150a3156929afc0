#pragma once

#include "core/operators/Operator.h"

#include <memory>

namespace Velvor {

// True for the type ids 0..6 that name an operator.
bool isKnownOperatorType(int typeId);

// A new operator of the given type with default parameters. Raises Exception for an unknown type id,
// and the Image allocation message when the size cannot be had.
std::unique_ptr<Operator> createOperator(int typeId, int width, int height);

} // namespace Velvor
