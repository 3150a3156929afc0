#pragma once

// The seven node types. Everything that tells them apart (ports, parameters, output) is catalogue
// data (NodeType.h); each class owns its run-time operator and keeps it typed, so that the editor can
// reach the parameter fields of the concrete operator.

#include "core/operators/Checkboard.h"
#include "core/operators/Collector.h"
#include "core/operators/Displacement.h"
#include "core/operators/Mixer.h"
#include "core/operators/NormalMap.h"
#include "core/operators/SubPlasma.h"
#include "core/operators/Text.h"
#include "model/VisualNode.h"

#include <memory>
#include <string>
#include <utility>

template <class Op> class TypedNode : public VisualNode {
public:
    // The operator is built with (width, height) = (size.x, size.y); the node starts dirty.
    TypedNode(std::string name, Point position, Point size)
        : VisualNode(std::move(name), position, std::make_unique<Op>(size.x, size.y)),
          typed_(static_cast<Op*>(&getOperator())) {}

    Op& getTypedOperator() { return *typed_; }
    const Op& getTypedOperator() const { return *typed_; }

private:
    Op* typed_;
};

namespace Operators {

class Collector final : public TypedNode<Velvor::Collector> {
public:
    using TypedNode::TypedNode;
};

class Checkboard final : public TypedNode<Velvor::Checkboard> {
public:
    using TypedNode::TypedNode;
};

class Mixer final : public TypedNode<Velvor::Mixer> {
public:
    using TypedNode::TypedNode;
};

class SubPlasma final : public TypedNode<Velvor::SubPlasma> {
public:
    using TypedNode::TypedNode;
};

class Displacement final : public TypedNode<Velvor::Displacement> {
public:
    using TypedNode::TypedNode;
};

class NormalMap final : public TypedNode<Velvor::NormalMap> {
public:
    using TypedNode::TypedNode;
};

class Text final : public TypedNode<Velvor::Text> {
public:
    using TypedNode::TypedNode;
};

} // namespace Operators
