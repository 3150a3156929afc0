#include "gui/CanvasWindow.h"

#include "gui/ApplicationIcon.h"
#include "gui/ExceptionBox.h"
#include "gui/undo/NodeCommands.h"

#include <QAction>
#include <QVBoxLayout>
#include <memory>

CanvasWindow::CanvasWindow(Material& material, QUndoStack& undoStack, QWidget* parent)
    : QWidget(parent), material_(material), undoStack_(undoStack),
      canvas_(new NodesView(material, undoStack)) {
    setWindowTitle(QStringLiteral("ostra.Tools: Velvor"));
    setWindowIcon(applicationIcon());
    resize(960, 600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas_);
    canvas_->setFocus();
    canvas_->getResizeEvents().add(&resizeSelectedNode_);

    auto* undo = new QAction(tr("&Undo"), this);
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(undoStack_.canUndo());
    connect(undo, &QAction::triggered, this, [this] { guarded(this, [this] { undoStack_.undo(); }); });
    connect(&undoStack_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    auto* redo = new QAction(tr("&Redo"), this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setEnabled(undoStack_.canRedo());
    connect(redo, &QAction::triggered, this, [this] { guarded(this, [this] { undoStack_.redo(); }); });
    connect(&undoStack_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    addAction(undo);
    addAction(redo);
}

void CanvasWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The nodes are centred once the canvas has its size.
    if (!shown_) {
        shown_ = true;
        canvas_->reorient();
    }
}

void CanvasWindow::ResizeSelectedNode::handle(void* size) {
    const Point newSize = *static_cast<const Point*>(size);
    const VisualNode* node = window_.canvas_->selectedNode();
    if (node != nullptr && node->getSize() != newSize) {
        guarded(&window_, [&] {
            pushEdit(window_.undoStack_,
                     std::make_unique<ResizeNodeCommand>(window_.material_, node->getId(), newSize));
        });
    }
}
