#pragma once

// The editor-side node: owns one run-time operator, carries its name and canvas position, remembers
// whether its image is out of date, and holds the input images rendering hands to the operator.
// Positions are canvas pixels; a size is the operator's image size (x = width, y = height).
// Ports: inputs are 0 .. getInputCount() - 1; the output is port -1 wherever a port is expected.
// Name, position and size change only through the Material that holds the node, which announces
// each change (Material.h).

#include "base/Point.h"
#include "core/operators/Operator.h"
#include "model/Attributes.h"
#include "model/NodeType.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Unique among all nodes made by this process and kept for the node's lifetime, so that a node taken
// out of a material and put back is still the same node to whoever recorded its id.
enum class NodeId : std::uint64_t {};

class VisualNode {
public:
    // Every node occupies a square box of this many pixels on the canvas.
    static constexpr int boxSize = 102;

    VisualNode(const VisualNode&) = delete;
    VisualNode& operator=(const VisualNode&) = delete;
    // Abstract: only the node types of the catalogue are made.
    virtual ~VisualNode() = 0;

    // The catalogue record of this node's type; null only for a type the catalogue does not know.
    const NodeTypeInfo* getTypeInfo() const { return type_; }

    std::string getInputName(int port) const;
    bool hasOutput() const;
    // True when `port` is an input port and the source's size equals this node's size.
    bool acceptsInput(int port, Point sourceSize) const;
    // Points input `port` at the source's image, or empties it for a null source. Raises Exception for
    // a port that is not an input port.
    void setInput(int port, const VisualNode* source);
    // Generates the operator and clears dirty, unless an input is empty or differs in size from this
    // node's image: then nothing runs and the node stays dirty, so no operator reads outside an input.
    // A node whose image is released does not run either: it would be marked clean without a picture.
    void update();
    // True inside the canvas box whose top-left corner is the position.
    bool hitTest(Point point) const;

    // Raises Exception "Could not find a typename for visualnode." for an unknown type id.
    std::string getTypeName() const;
    Velvor::Operator& getOperator() { return *operator_; }
    const Velvor::Operator& getOperator() const { return *operator_; }
    NodeId getId() const { return id_; }
    const std::string& getName() const { return name_; }
    Point getPosition() const { return position_; }
    Point getSize() const;
    int getTypeId() const { return operator_->getTypeId(); }
    int getInputCount() const { return operator_->getNumInputs(); }
    bool isDirty() const { return dirty_; }
    void markDirty() {
        dirty_ = true;
        discarded_ = false;
    }
    // When the operator last generated, on one clock for the whole process that only moves forward
    // (0: never). A node older than a source it reads holds a picture of that source's older image.
    std::uint64_t getGeneration() const { return generation_; }
    // The latest generation handed out so far.
    static std::uint64_t latestGeneration();

    // While the node is out of the material (an undo record keeps it), its image's memory is given up
    // and only its size kept; reclaiming allocates a zero-filled image of that size again and marks
    // the node dirty, so it is rendered anew. Reclaiming raises Exception, changing nothing, when the
    // image cannot be had.
    void releaseImage();
    void reclaimImage();
    // For a generated image no step of the render will read again (RenderControl): its memory is
    // given up as by releaseImage and the node is dirty, but it is discarded, not ungenerated
    // (Completeness), until reclaimed or edited. A dirty node keeps its image, so that what could not
    // be generated is still told.
    void discardImage();
    bool isDiscarded() const { return discarded_; }

    // The file attributes: "id" (the caller's identity for this node in one save), "typeId", "name",
    // "size", "position", then the type's parameters in catalogue order.
    void writeXml(AttributeList& out, int id) const;
    // Reads the type's parameters (the caller reads name, size and position). An absent 16-bit
    // parameter becomes 0; absent colours and text keep their values. Values are not held to the
    // editor ranges: the operators are safe for any of them.
    void readXml(const AttributeSource& in);
    // The packed record's header (type byte, width and height as 16-bit little-endian) followed by
    // the operator's parameter block.
    void writePacked(std::vector<std::uint8_t>& out) const;

protected:
    VisualNode(std::string name, Point position, std::unique_ptr<Velvor::Operator> op);

private:
    friend class Material;

    void setName(std::string name) { name_ = std::move(name); }
    void setPosition(Point position) { position_ = position; }
    // Replaces the image by a zero-filled one of the new size and marks the node dirty. Raises
    // Exception (and changes nothing) when the image cannot be allocated.
    void resize(Point size);

    NodeId id_;
    std::unique_ptr<Velvor::Operator> operator_;
    std::string name_;
    bool dirty_ = true;
    bool discarded_ = false;
    std::uint64_t generation_ = 0;
    std::optional<Point> releasedSize_;
    std::vector<const Velvor::Image*> inputs_;
    Point position_;
    const NodeTypeInfo* type_;
};
