// The canvas's clipboard commands: copy, cut, paste and duplicate the selected nodes.

#include "base/Exception.h"
#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/CanvasZoom.h"
#include "gui/canvas/NodesView.h"
#include "io/MaterialXml.h"
#include "io/NodeFragment.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

// Duplicates sit this far below and right of their originals, so both stay in sight.
constexpr int duplicateOffset = 30;

std::set<NodeId> idsOf(const std::vector<const VisualNode*>& nodes) {
    std::set<NodeId> ids;
    for (const VisualNode* node : nodes) {
        ids.insert(node->getId());
    }
    return ids;
}

} // namespace

void NodesView::copySelection() {
    const std::set<NodeId> nodes = idsOf(selectedNodes());
    if (nodes.empty()) {
        emit notice("Nothing copied: no node is selected.");
        return;
    }
    const QByteArray xml = QByteArray::fromStdString(nodesToXml(material_, nodes));
    auto* data = new QMimeData;
    data->setData(nodesMimeType, xml);
    data->setText(QString::fromUtf8(xml));
    QGuiApplication::clipboard()->setMimeData(data);
}

void NodesView::cutSelection() {
    if (selectedNodes_.empty()) {
        emit notice("Nothing cut: no node is selected.");
        return;
    }
    copySelection();
    deleteSelection();
}

void NodesView::paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr) {
        emit notice("Nothing pasted: the clipboard is empty.");
        return;
    }
    const std::string xml =
        data->hasFormat(nodesMimeType) ? data->data(nodesMimeType).toStdString() : data->text().toStdString();
    insertNodes(xml, insertionPoint(), {}, "Paste");
}

void NodesView::duplicateSelection(bool withInputs) {
    std::vector<const VisualNode*> chosen;
    for (const VisualNode* node : selectedNodes()) {
        if (node->getTypeId() != 0) { // a material has one collector per slot
            chosen.push_back(node);
        }
    }
    if (chosen.empty()) {
        emit notice("Nothing duplicated: no node but collectors is selected.");
        return;
    }
    const std::set<NodeId> ids = idsOf(chosen);
    std::vector<InsertNodesCommand::EnteringCable> entering;
    if (withInputs) {
        for (std::size_t i = 0; i < material_.getCableCount(); ++i) {
            const Cable& cable = material_.getCable(i);
            const auto to = std::find(chosen.begin(), chosen.end(), &cable.getTo());
            if (to != chosen.end() && !ids.contains(cable.getFrom().getId())) {
                entering.push_back({cable.getFrom().getId(), static_cast<std::size_t>(to - chosen.begin()),
                                    cable.getToPort()});
            }
        }
    }
    Point corner = chosen.front()->getPosition();
    for (const VisualNode* node : chosen) {
        corner = {std::min(corner.x, node->getPosition().x), std::min(corner.y, node->getPosition().y)};
    }
    insertNodes(nodesToXml(material_, ids), saturatingAdd(corner, {duplicateOffset, duplicateOffset}),
                std::move(entering), withInputs ? "Duplicate with inputs" : "Duplicate");
}

void NodesView::insertNodes(const std::string& xml, Point at,
                            std::vector<InsertNodesCommand::EnteringCable> entering, const QString& text) {
    PastedNodes pasted;
    try {
        pasted = readFragment(xml, material_, at);
    } catch (const Exception& e) {
        emit notice(QString::fromStdString(e.what()));
        return;
    }
    auto command =
        std::make_unique<InsertNodesCommand>(material_, std::move(pasted.nodes), std::move(entering), text);
    const InsertNodesCommand& inserted = *command;
    pushEdit(undoStack_, std::move(command));
    // Read before anything else may merge into the stack's command; the command lives on the stack.
    const std::vector<NodeId>& ids = inserted.insertedNodes();
    selectNodes({ids.begin(), ids.end()});
    redraw();
    changeEvents_.fire();
    if (pasted.collectorsLeftOut > 0) {
        emit notice(QString("%1 collector(s) left out: the material already fills their slots.")
                        .arg(pasted.collectorsLeftOut));
    }
}

Point NodesView::insertionPoint() const {
    return mouse_ ? toCanvas(unscaledPoint(*mouse_, getZoom())) : freeSpawnPoint();
}

void NodesView::leaveEvent(QEvent* event) {
    mouse_.reset();
    Window::leaveEvent(event);
}
