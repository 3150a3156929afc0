#pragma once

// Builds a node's parameter panel from its type's parameter records, in catalogue order: an integer
// editor per Int record, radio buttons or a drop-down list per enumeration, a swatch per colour and an
// edit box per text. Every change is a SetParameterCommand on the undo stack, so the material marks the
// node dirty and tells its observers, and one gesture is one undo step.

#include "model/Material.h"

class OperatorEditor;
class QUndoStack;
class QWidget;

// The panel, a child of `parent` (which owns it; the caller may delete it sooner), or null when the
// node has no parameter to show (the Collector) or is not in the material.
OperatorEditor* createEditor(QWidget* parent, Material& material, NodeId node, QUndoStack& undoStack);
