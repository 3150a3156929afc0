#include "gui/canvas/NodesView.h"

#include "base/Exception.h"
#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/CanvasZoom.h"
#include "gui/canvas/RenameDialog.h"
#include "gui/common/ImageConversion.h"
#include "gui/common/ShownName.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"
#include "model/Completeness.h"

#include <QPaintEvent>
#include <QPainter>
#include <QtDebug>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

// Whether the box at that screen position, with its labels above and below, can show in the view.
bool mayShow(Point position, Point viewSize) {
    constexpr int margin = 24;
    const std::int64_t x = position.x;
    const std::int64_t y = position.y;
    return x + nodeBox.right + margin > 0 && x - margin < viewSize.x && y + nodeBox.bottom + margin > 0 &&
           y - margin < viewSize.y;
}

// Whether any of the cable can show in the view: a large material's cables are mostly elsewhere, and
// stroking them all made its first paint slow.
bool mayShowCurve(const CableCurve& curve, Point viewSize) {
    constexpr int margin = 8; // the cable's width
    const auto [minX, maxX] =
        std::minmax_element(curve.begin(), curve.end(), [](Point a, Point b) { return a.x < b.x; });
    const auto [minY, maxY] =
        std::minmax_element(curve.begin(), curve.end(), [](Point a, Point b) { return a.y < b.y; });
    return std::int64_t{maxX->x} + margin >= 0 && std::int64_t{minX->x} - margin < viewSize.x &&
           std::int64_t{maxY->y} + margin >= 0 && std::int64_t{minY->y} - margin < viewSize.y;
}

} // namespace

NodesView::NodesView(Material& material, QUndoStack& undoStack, QWidget* parent)
    : Window(parent), material_(material), undoStack_(undoStack) {
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true); // the cable being drawn follows the mouse without a button held
    setCursor(Qt::ArrowCursor);
    material_.addObserver(&watch_);
    selectNone();
}

NodesView::~NodesView() {
    material_.removeObserver(&watch_);
}

Point NodesView::spawnPoint() const {
    return toCanvas(unscaledPoint({20, 20}, getZoom()));
}

Point NodesView::freeSpawnPoint() const {
    const Point origin = spawnPoint();
    const Point view = viewSize();
    constexpr int spacing = nodeBox.right + 26; // room for the labels between boxes
    std::vector<Point> candidates;
    for (int y = 0; y + nodeBox.bottom <= std::max(view.y - 20, nodeBox.bottom); y += spacing) {
        for (int x = 0; x + nodeBox.right <= std::max(view.x - 20, nodeBox.right); x += spacing) {
            candidates.push_back({x, y});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](Point a, Point b) {
        return std::int64_t{a.x} * a.x + std::int64_t{a.y} * a.y <
               std::int64_t{b.x} * b.x + std::int64_t{b.y} * b.y;
    });
    for (const Point offset : candidates) {
        const Point place = saturatingAdd(origin, offset);
        bool free = true;
        for (std::size_t i = 0; i < material_.getNodeCount() && free; ++i) {
            const Point other = material_.getNode(i).getPosition();
            free = std::abs(std::int64_t{other.x} - place.x) >= spacing ||
                   std::abs(std::int64_t{other.y} - place.y) >= spacing;
        }
        if (free) {
            return place;
        }
    }
    return origin;
}

double NodesView::getZoom() const {
    return zoomFactor(zoomStep_);
}

Point NodesView::viewSize() const {
    return unscaledSize(getClientSize(), getZoom());
}

void NodesView::zoomAt(Point pixel, int steps) {
    const int step = clampZoomStep(zoomStep_ + steps);
    if (step == zoomStep_) {
        return;
    }
    panning_ = panningZoomedAround(panning_, pixel, getZoom(), zoomFactor(step));
    zoomStep_ = step;
    redraw();
}

void NodesView::zoomToFit() {
    std::vector<Point> positions;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        positions.push_back(material_.getNode(i).getPosition());
    }
    zoomStep_ = fittingZoomStep(positions, getClientSize());
    reorient();
    redraw();
}

void NodesView::showActualSize() {
    const Point size = getClientSize();
    zoomAt({size.x / 2, size.y / 2}, -zoomStep_);
}

void NodesView::reorient() {
    std::vector<Point> positions;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        positions.push_back(material_.getNode(i).getPosition());
    }
    if (const std::optional<Point> panning = reorientedPanning(positions, viewSize())) {
        panning_ = *panning;
        redraw();
    }
}

bool NodesView::cancelGesture() {
    if (!cable_) {
        return false;
    }
    cable_.reset();
    updateCursor();
    redraw();
    return true;
}

void NodesView::setThumbnailsShown(bool shown) {
    thumbnailsShown_ = shown;
    update();
}

void NodesView::setPackedBytesShown(bool shown) {
    packedBytesShown_ = shown;
    update();
}

void NodesView::refreshThumbnails() {
    thumbnails_.clear();
    notCurrent_.clear();
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        const VisualNode& node = material_.getNode(i);
        if (whyNotCurrent(material_, node)) {
            notCurrent_.insert(node.getId());
        }
        const QRect area = CanvasPainter::thumbnailArea({0, 0}, node.getInputCount());
        const QImage thumbnail =
            node.isDirty() ? QImage() : thumbnailOf(node.getOperator().getImage(), area.size());
        if (!thumbnail.isNull()) {
            thumbnails_.emplace(node.getId(), thumbnail);
        }
    }
    update();
}

void NodesView::setPackedBytes(std::unordered_map<NodeId, std::size_t> bytes) {
    if (bytes != packedBytes_) {
        packedBytes_ = std::move(bytes);
        update();
    }
}

void NodesView::paintAnnotations(QPainter& painter, const VisualNode& node, Point position) const {
    if (thumbnailsShown_) {
        if (const auto found = thumbnails_.find(node.getId()); found != thumbnails_.end()) {
            painter_.paintThumbnail(painter, found->second, position, node.getInputCount());
        }
        if (notCurrent_.contains(node.getId())) {
            // Hatched: the last render could not make this picture (its result window says why).
            const QRect area = CanvasPainter::thumbnailArea(position, node.getInputCount());
            painter.fillRect(area, QBrush(QColor(200, 30, 30, 170), Qt::BDiagPattern));
        }
    }
    if (packedBytesShown_) {
        if (const auto found = packedBytes_.find(node.getId()); found != packedBytes_.end()) {
            painter_.paintPackedBytes(painter, found->second, position);
        }
    }
}

void NodesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Point viewSize = this->viewSize();
    painter.scale(getZoom(), getZoom());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, getZoom() < 1);
    try {
        painter_.paintBackground(painter, viewSize, panning_, palette().color(QPalette::Base));
        for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
            const VisualNode& node = material_.getNode(i);
            const Point position = toScreen(node.getPosition());
            if (mayShow(position, viewSize)) {
                painter_.paintNode(painter, node, position, selectedNodes_.contains(node.getId()));
                paintAnnotations(painter, node, position);
            }
        }
        if (cable_) {
            if (const VisualNode* source = material_.findNode(cable_->source)) {
                const Point start = saturatingAdd(toScreen(source->getPosition()), cable_->sourceSpot);
                painter_.paintCable(painter, cableCurve(start, cable_->end), false, cable_->target);
            }
        }
        const Cable* selectedOne = selectedCable();
        const std::vector<CableCurve> curves = cableCurves();
        for (std::size_t i = 0; i < curves.size(); ++i) {
            if (mayShowCurve(curves[i], viewSize)) {
                painter_.paintCable(painter, curves[i],
                                    &material_.getCable(i) == selectedOne || insertCable_ == i,
                                    CableTarget::Accepting);
            }
        }
        if (mouseMode_ == MouseMode::Banding) {
            const QRect band =
                QRect(QPoint(mouseDown_.x, mouseDown_.y), QPoint(bandEnd_.x, bandEnd_.y)).normalized();
            painter.setPen(QPen(palette().color(QPalette::Highlight), 0, Qt::DashLine));
            painter.setBrush(QColor(60, 120, 220, 40));
            painter.drawRect(band);
        }
    } catch (const Exception& exception) {
        // No message box from painting, which would ask for painting again.
        qWarning("%s", exception.what());
    }
}

void NodesView::MaterialWatch::materialChanged(const MaterialChange& change) {
    view_.forgetWhatIsGone();
    // The canvas draws no parameter: what one changes shows with the next render's thumbnails, or
    // through the packed sizes. Repainting at the edit would take the processor from that render.
    if (change.kind != MaterialChange::Kind::ParameterChanged) {
        view_.update();
    }
}

void NodesView::forgetWhatIsGone() {
    if (cable_ && material_.findNode(cable_->source) == nullptr) {
        cable_.reset();
        updateCursor();
    }
    if (mouseMode_ == MouseMode::Moving && material_.findNode(dragged_) == nullptr) {
        mouseMode_ = MouseMode::None;
        updateCursor();
    }
    // Cable indices shift with every change of the list.
    insertCable_ = cableToInsertInto();
    // Listeners keep no node that has left the material: an undo or a load can take the selected one.
    if ((selection_.kind == SelectionKind::Node && selectedNode() == nullptr) ||
        (selection_.kind == SelectionKind::Cable && selectedCable() == nullptr)) {
        selectNone();
    } else if (selectedNodes_.size() > 1) {
        std::set<NodeId> present;
        for (const NodeId id : selectedNodes_) {
            if (material_.findNode(id) != nullptr) {
                present.insert(id);
            }
        }
        if (present.size() != selectedNodes_.size()) {
            selectNodes(std::move(present));
        }
    }
}

Point NodesView::toScreen(Point canvas) const {
    return saturatingAdd(canvas, panning_);
}

Point NodesView::toCanvas(Point screen) const {
    return saturatingSubtract(screen, panning_);
}

VisualNode* NodesView::nodeUnder(Point screen) const {
    return material_.nodeAt(toCanvas(screen));
}

std::optional<int> NodesView::portUnder(const VisualNode& node, Point screen) const {
    // Relative to the node in 64 bits, so a far node cannot wrap around onto the point.
    const std::int64_t x = std::int64_t{screen.x} - panning_.x - node.getPosition().x;
    const std::int64_t y = std::int64_t{screen.y} - panning_.y - node.getPosition().y;
    if (x < 0 || y < 0 || x >= nodeBox.right || y >= nodeBox.bottom) {
        return std::nullopt;
    }
    const std::optional<PortHit> hit =
        portAt({static_cast<int>(x), static_cast<int>(y)}, node.hasOutput(), node.getInputCount());
    return hit ? std::optional<int>(hit->port) : std::nullopt;
}

std::vector<CableCurve> NodesView::cableCurves() const {
    std::vector<CableCurve> curves;
    curves.reserve(material_.getCableCount());
    for (std::size_t i = 0; i < material_.getCableCount(); ++i) {
        const Cable& cable = material_.getCable(i);
        curves.push_back(cableCurveBetween(toScreen(cable.getFrom().getPosition()),
                                           toScreen(cable.getTo().getPosition()), cable.getToPort(),
                                           cable.getTo().getInputCount()));
    }
    return curves;
}

CableTarget NodesView::targetAt(Point screen) const {
    const VisualNode* node = nodeUnder(screen);
    const VisualNode* source = material_.findNode(cable_->source);
    const std::optional<int> port = node != nullptr ? portUnder(*node, screen) : std::nullopt;
    if (!port || source == nullptr) {
        return CableTarget::None;
    }
    return material_.canConnect(*source, cable_->sourcePort, *node, *port) ? CableTarget::Accepting
                                                                           : CableTarget::Refusing;
}
