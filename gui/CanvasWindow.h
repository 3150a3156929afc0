#pragma once

// The editor's window while it holds only the canvas: the canvas on a material, undo and redo of the
// canvas's edits (Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y), and the resizing the canvas asks for.

#include "base/Events.h"
#include "gui/NodesView.h"

#include <QUndoStack>
#include <QWidget>

class CanvasWindow : public QWidget {
    Q_OBJECT

public:
    // The material and the stack belong to the editing run and outlive the window.
    CanvasWindow(Material& material, QUndoStack& undoStack, QWidget* parent = nullptr);

    NodesView& getCanvas() { return *canvas_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Resizes the selected node to the size the canvas asks for, as one undoable step.
    class ResizeSelectedNode : public Event {
    public:
        explicit ResizeSelectedNode(CanvasWindow& window) : window_(window) {}
        void handle(void* size) override;

    private:
        CanvasWindow& window_;
    };

    Material& material_;
    QUndoStack& undoStack_;
    NodesView* canvas_;
    ResizeSelectedNode resizeSelectedNode_{*this};
    bool shown_ = false;
};
