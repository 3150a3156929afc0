#include "gui/canvas/NodesView.h"

#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/RenameDialog.h"
#include "gui/common/ImageConversion.h"
#include "gui/common/ShownName.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"
#include "model/Completeness.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtDebug>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

Point pointOf(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

// Whether the box at that screen position, with its labels above and below, can show in the view.
bool mayShow(Point position, Point viewSize) {
    constexpr int margin = 24;
    const std::int64_t x = position.x;
    const std::int64_t y = position.y;
    return x + nodeBox.right + margin > 0 && x - margin < viewSize.x && y + nodeBox.bottom + margin > 0 &&
           y - margin < viewSize.y;
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

void NodesView::selectNode(const VisualNode& node) {
    select({SelectionKind::Node, node.getId(), 0});
}

void NodesView::selectNone() {
    select({});
}

void NodesView::select(Selection selection) {
    selection_ = selection;
    selectionEvents_.fire(selectedNode());
}

VisualNode* NodesView::selectedNode() const {
    return selection_.kind == SelectionKind::Node ? material_.findNode(selection_.node) : nullptr;
}

const Cable* NodesView::selectedCable() const {
    return selection_.kind == SelectionKind::Cable ? material_.findCable(selection_.node, selection_.port)
                                                   : nullptr;
}

Point NodesView::spawnPoint() const {
    return toCanvas({20, 20});
}

void NodesView::reorient() {
    std::vector<Point> positions;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        positions.push_back(material_.getNode(i).getPosition());
    }
    if (const std::optional<Point> panning = reorientedPanning(positions, getClientSize())) {
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

void NodesView::probeSelectedNode() {
    probeEvents_.fire(selectedNode());
}

void NodesView::renameSelectedNode() {
    const VisualNode* node = selectedNode();
    if (node == nullptr) {
        return;
    }
    const NodeId id = node->getId();
    const std::optional<std::string> name = RenameDialog::ask(this, node->getName());
    node = material_.findNode(id);
    if (name && node != nullptr && *name != node->getName()) {
        pushEdit(undoStack_, std::make_unique<RenameNodeCommand>(material_, id, *name));
        redraw();
    }
}

void NodesView::deleteSelection() {
    std::unique_ptr<MaterialCommand> command;
    if (const VisualNode* node = selectedNode(); node != nullptr && node->getTypeId() != 0) {
        command = std::make_unique<RemoveNodeCommand>(material_, node->getId());
    } else if (selectedCable() != nullptr) {
        command = std::make_unique<RemoveCableCommand>(material_, selection_.node, selection_.port);
    }
    if (!command) {
        return;
    }
    // Unselected quietly first: the deletion then makes no selection vanish under the listeners' feet,
    // and they hear of the new selection once.
    const Selection previous = selection_;
    selection_ = {};
    try {
        pushEdit(undoStack_, std::move(command));
    } catch (...) {
        selection_ = previous;
        throw;
    }
    selectNone();
    redraw();
    changeEvents_.fire();
}

void NodesView::doubleSelectedSize() {
    if (const VisualNode* node = selectedNode()) {
        // 64-bit and held to the 32-bit range; the listener's resizing refuses what cannot be allocated.
        const auto doubled = [](int v) {
            return static_cast<int>(
                std::min<std::int64_t>(std::int64_t{v} * 2, std::numeric_limits<int>::max()));
        };
        fireResize({doubled(node->getSize().x), doubled(node->getSize().y)});
    }
}

void NodesView::halveSelectedSize() {
    if (const VisualNode* node = selectedNode()) {
        fireResize({std::max(1, node->getSize().x / 2), std::max(1, node->getSize().y / 2)});
    }
}

void NodesView::fireResize(Point size) {
    resizeEvents_.fire(size);
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
    packedBytes_ = std::move(bytes);
    update();
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
    const Point viewSize = getClientSize();
    try {
        painter_.paintBackground(painter, viewSize, panning_, palette().color(QPalette::Base));
        const VisualNode* selected = selectedNode();
        for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
            const VisualNode& node = material_.getNode(i);
            const Point position = toScreen(node.getPosition());
            if (mayShow(position, viewSize)) {
                painter_.paintNode(painter, node, position, &node == selected);
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
            painter_.paintCable(painter, curves[i], &material_.getCable(i) == selectedOne,
                                CableTarget::Accepting);
        }
    } catch (const Exception& exception) {
        // No message box from painting, which would ask for painting again.
        qWarning("%s", exception.what());
    }
}

void NodesView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const Point p = pointOf(event);
    guarded(this, [&] {
        if (event->button() == Qt::LeftButton) {
            leftPress(p);
        } else if (event->button() == Qt::RightButton) {
            rightPress(p);
        }
    });
    updateCursor();
}

void NodesView::leftPress(Point p) {
    if (mouseMode_ != MouseMode::None) {
        return;
    }
    mouseDown_ = p;
    if (cable_) {
        return;
    }
    const std::vector<CableCurve> curves = cableCurves();
    if (const std::optional<std::size_t> cable = cableAt(curves, p)) {
        const Cable& hit = material_.getCable(*cable);
        select({SelectionKind::Cable, hit.getTo().getId(), hit.getToPort()});
    } else if (const VisualNode* node = nodeUnder(p)) {
        selectNode(*node);
    } else {
        selectNone();
    }
    redraw();
    if (const VisualNode* node = nodeUnder(p)) {
        dragStart_ = node->getPosition();
        dragged_ = node->getId();
        ++dragCount_;
        mouseMode_ = MouseMode::Moving;
    } else {
        panStart_ = panning_;
        mouseMode_ = MouseMode::Panning;
    }
}

void NodesView::rightPress(Point p) {
    VisualNode* node = nodeUnder(p);
    const std::optional<int> port = node != nullptr ? portUnder(*node, p) : std::nullopt;
    if (!cable_) {
        if (port) {
            const Point spot = portRect(*port, node->getInputCount()).centre();
            cable_ = DrawnCable{node->getId(), *port, spot, p, CableTarget::None};
        } else if (node != nullptr) {
            selectNode(*node);
            redraw();
            openNodeMenu(p);
        }
        return;
    }
    if (!port) {
        cable_.reset();
        redraw();
        return;
    }
    VisualNode* source = material_.findNode(cable_->source);
    if (source == nullptr || !material_.canConnect(*node, *port, *source, cable_->sourcePort)) {
        return; // a refusing port: the cable stays
    }
    pushEdit(undoStack_, std::make_unique<ConnectCommand>(material_, node->getId(), *port, source->getId(),
                                                          cable_->sourcePort));
    changeEvents_.fire();
    cable_.reset();
    redraw();
}

void NodesView::openNodeMenu(Point p) {
    const VisualNode* node = selectedNode();
    if (node == nullptr) {
        return;
    }
    QMenu menu(this);
    // Listeners may raise too; nothing may leave a menu command.
    const auto command = [this](void (NodesView::*action)()) {
        return [this, action] { guarded(this, [this, action] { (this->*action)(); }); };
    };
    // The name is shown, not offered: '&' is doubled so it is not taken for a mnemonic, and a long name
    // is cut short rather than stretching the menu across the screen.
    const QString name = menu.fontMetrics().elidedText(shownName(node->getName()), Qt::ElideRight, 320);
    menu.addAction(QString(name).replace('&', QStringLiteral("&&")))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Show result window"), this, command(&NodesView::probeSelectedNode));
    menu.addAction(QStringLiteral("&Rename..."), this, command(&NodesView::renameSelectedNode));
    menu.addAction(QStringLiteral("&Delete"), this, command(&NodesView::deleteSelection));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Double the size"), this, command(&NodesView::doubleSelectedSize));
    menu.addAction(QStringLiteral("Half the size"), this, command(&NodesView::halveSelectedSize));
    menu.addAction(QStringLiteral("Custom size..."))->setEnabled(false);
    menu.exec(mapToGlobal(QPoint(p.x, p.y)));
}

void NodesView::mouseMoveEvent(QMouseEvent* event) {
    guarded(this, [&] { moveTo(pointOf(event)); });
    updateCursor();
}

void NodesView::moveTo(Point p) {
    const Point delta = saturatingSubtract(p, mouseDown_);
    if (mouseMode_ == MouseMode::Panning) {
        panning_ = saturatingAdd(panStart_, delta);
        redraw();
    } else if (mouseMode_ == MouseMode::Moving) {
        const VisualNode* node = material_.findNode(dragged_);
        const Point position = saturatingAdd(dragStart_, delta);
        if (node != nullptr && node->getPosition() != position) {
            // The material's notification repaints.
            pushEdit(undoStack_,
                     std::make_unique<MoveNodeCommand>(material_, dragged_, position, dragCount_));
        }
    }
    if (cable_) {
        cable_->end = p;
        cable_->target = targetAt(p);
        redraw();
    }
}

void NodesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mouseMode_ = MouseMode::None;
    }
    updateCursor();
}

void NodesView::keyPressEvent(QKeyEvent* event) {
    const bool commandModifier =
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (event->key() == Qt::Key_Delete && !commandModifier) {
        guarded(this, [this] { deleteSelection(); });
    } else if (event->key() == Qt::Key_F && !commandModifier) {
        reorient();
    } else if (event->key() == Qt::Key_Escape && cancelGesture()) {
        event->accept();
    } else {
        Window::keyPressEvent(event);
    }
}

void NodesView::updateCursor() {
    switch (mouseMode_) {
    case MouseMode::Panning:
        setCursor(Qt::PointingHandCursor);
        break;
    case MouseMode::Moving:
        setCursor(Qt::SizeAllCursor);
        break;
    case MouseMode::None:
        setCursor(cable_ ? Qt::CrossCursor : Qt::ArrowCursor);
        break;
    }
}

void NodesView::MaterialWatch::materialChanged(const MaterialChange&) {
    view_.forgetWhatIsGone();
    view_.update();
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
    // Listeners keep no node that has left the material: an undo or a load can take the selected one.
    if ((selection_.kind == SelectionKind::Node && selectedNode() == nullptr) ||
        (selection_.kind == SelectionKind::Cable && selectedCable() == nullptr)) {
        selectNone();
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
