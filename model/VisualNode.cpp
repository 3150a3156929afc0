#include "model/VisualNode.h"

#include "base/Exception.h"
#include "base/TextFormat.h"
#include "core/packed/ParameterBytes.h"

#include <atomic>
#include <utility>

namespace {

std::atomic<std::uint64_t> generationClock{0};

NodeId newNodeId() {
    static std::atomic<std::uint64_t> lastId{0};
    return NodeId{++lastId};
}

} // namespace

VisualNode::VisualNode(std::string name, Point position, std::unique_ptr<Velvor::Operator> op)
    : id_(newNodeId()), operator_(std::move(op)), name_(std::move(name)),
      inputs_(static_cast<std::size_t>(operator_->getNumInputs()), nullptr), position_(position),
      type_(findNodeType(operator_->getTypeId())) {}

VisualNode::~VisualNode() = default;

std::string VisualNode::getInputName(int port) const {
    return type_ != nullptr ? std::string(type_->ports.nameOf(port)) : std::string();
}

bool VisualNode::hasOutput() const {
    return type_ == nullptr || type_->hasOutput;
}

bool VisualNode::acceptsInput(int port, Point sourceSize) const {
    return port >= 0 && port < getInputCount() && sourceSize == getSize();
}

void VisualNode::resize(Point size) {
    operator_->resize(size.x, size.y);
    markDirty();
}

void VisualNode::setInput(int port, const VisualNode* source) {
    if (port < 0 || port >= getInputCount()) {
        throw Exception("Input port " + std::to_string(port) + " does not exist on node " + name_);
    }
    inputs_[static_cast<std::size_t>(port)] = source != nullptr ? &source->getOperator().getImage() : nullptr;
}

void VisualNode::update() {
    if (releasedSize_ || !Velvor::inputsFit(*operator_, inputs_)) {
        return;
    }
    operator_->generate(inputs_.data());
    dirty_ = false;
    generation_ = generationClock.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::uint64_t VisualNode::latestGeneration() {
    return generationClock.load(std::memory_order_relaxed);
}

bool VisualNode::hitTest(Point point) const {
    // 64-bit, so that a position near the integer limit cannot overflow.
    const std::int64_t left = position_.x;
    const std::int64_t top = position_.y;
    return left <= point.x && point.x < left + boxSize && top <= point.y && point.y < top + boxSize;
}

std::string VisualNode::getTypeName() const {
    for (const NodeTypeInfo& type : nodeTypes) {
        if (type.id == getTypeId()) {
            return std::string(type.name);
        }
    }
    throw Exception("Could not find a typename for visualnode.");
}

void VisualNode::releaseImage() {
    if (!releasedSize_) {
        const Point size = getSize();
        operator_->resize(0, 0);
        releasedSize_ = size;
        markDirty();
    }
}

void VisualNode::discardImage() {
    if (!dirty_) {
        releaseImage();
        discarded_ = true;
    }
}

void VisualNode::reclaimImage() {
    if (releasedSize_) {
        operator_->resize(releasedSize_->x, releasedSize_->y);
        releasedSize_.reset();
        markDirty();
    }
}

Point VisualNode::getSize() const {
    if (releasedSize_) {
        return *releasedSize_;
    }
    const Velvor::Image& image = operator_->getImage();
    return Point{image.getWidth(), image.getHeight()};
}

void VisualNode::writeXml(AttributeList& out, int id) const {
    out.emplace_back("id", std::to_string(id));
    out.emplace_back("typeId", std::to_string(getTypeId()));
    out.emplace_back("name", name_);
    out.emplace_back("size", formatPoint(getSize()));
    out.emplace_back("position", formatPoint(position_));
    if (type_ == nullptr) {
        return;
    }
    for (const ParameterInfo& parameter : type_->parameters) {
        std::string value;
        if (parameter.kind == ParameterKind::Colour) {
            value = formatHex32(parameter.get(*operator_));
        } else if (parameter.kind == ParameterKind::Text) {
            value = parameter.getText(*operator_);
        } else {
            value = std::to_string(parameter.get(*operator_));
        }
        out.emplace_back(parameter.xmlKey, std::move(value));
    }
}

void VisualNode::readXml(const AttributeSource& in) {
    if (type_ == nullptr) {
        return;
    }
    // The 16-bit values first, then colours, then the text: for the Text type this reads "font"
    // before "colour", although the two are written the other way round.
    for (const ParameterInfo& parameter : type_->parameters) {
        if (parameter.isSixteenBit()) {
            const std::optional<std::string> text = in.get(parameter.xmlKey);
            parameter.set(*operator_, text ? parseDecimal(*text) : 0);
        }
    }
    for (const ParameterInfo& parameter : type_->parameters) {
        if (parameter.kind == ParameterKind::Colour) {
            if (const std::optional<std::string> text = in.get(parameter.xmlKey)) {
                parameter.set(*operator_, parseHex(*text));
            }
        }
    }
    for (const ParameterInfo& parameter : type_->parameters) {
        if (parameter.kind == ParameterKind::Text) {
            if (const std::optional<std::string> text = in.get(parameter.xmlKey)) {
                parameter.setText(*operator_, *text);
            }
        }
    }
}

void VisualNode::writePacked(std::vector<std::uint8_t>& out) const {
    const Point size = getSize();
    out.push_back(static_cast<std::uint8_t>(getTypeId()));
    // The format has room for the low 16 bits only.
    Velvor::appendInt16(out, static_cast<std::int16_t>(size.x));
    Velvor::appendInt16(out, static_cast<std::int16_t>(size.y));
    operator_->writeParameters(out);
}
