#include "core/operators/OperatorFactory.h"

#include "base/Exception.h"
#include "core/operators/Checkboard.h"
#include "core/operators/Collector.h"
#include "core/operators/Displacement.h"
#include "core/operators/Mixer.h"
#include "core/operators/NormalMap.h"
#include "core/operators/SubPlasma.h"
#include "core/operators/Text.h"

#include <string>

namespace Velvor {

bool isKnownOperatorType(int typeId) {
    return typeId >= 0 && typeId <= static_cast<int>(OperatorType::NormalMap);
}

std::unique_ptr<Operator> createOperator(int typeId, int width, int height) {
    switch (static_cast<OperatorType>(typeId)) {
    case OperatorType::Collector:
        return std::make_unique<Collector>(width, height);
    case OperatorType::Checkerboard:
        return std::make_unique<Checkboard>(width, height);
    case OperatorType::Mixer:
        return std::make_unique<Mixer>(width, height);
    case OperatorType::Subplasma:
        return std::make_unique<SubPlasma>(width, height);
    case OperatorType::Displacement:
        return std::make_unique<Displacement>(width, height);
    case OperatorType::Text:
        return std::make_unique<Text>(width, height);
    case OperatorType::NormalMap:
        return std::make_unique<NormalMap>(width, height);
    }
    throw Exception("Unknown operator type " + std::to_string(typeId));
}

} // namespace Velvor
