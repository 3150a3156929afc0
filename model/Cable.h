#pragma once

#include "model/Attributes.h"

class VisualNode;

// Joins the output of `from` to input port `toPort` of `to`. The material owns cables; a cable points
// at its nodes without owning them.
class Cable {
public:
    Cable(VisualNode& from, VisualNode& to, int toPort) : from_(&from), to_(&to), toPort_(toPort) {}

    VisualNode& getFrom() const { return *from_; }
    VisualNode& getTo() const { return *to_; }
    int getToPort() const { return toPort_; }
    bool involves(const VisualNode& node) const { return &node == from_ || &node == to_; }

    // "fromNode", "toNode", "toPort"; the ids are those the nodes were written with.
    void writeXml(AttributeList& out, int fromId, int toId) const;

private:
    VisualNode* from_;
    VisualNode* to_;
    int toPort_;
};
