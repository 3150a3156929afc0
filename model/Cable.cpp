#include "model/Cable.h"

#include <string>

void Cable::writeXml(AttributeList& out, int fromId, int toId) const {
    out.emplace_back("fromNode", std::to_string(fromId));
    out.emplace_back("toNode", std::to_string(toId));
    out.emplace_back("toPort", std::to_string(toPort_));
}
