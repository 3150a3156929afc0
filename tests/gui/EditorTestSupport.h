#pragma once

// Shared pieces of the parameter editing tests: a value an editor can be bound to without a material,
// and a counter of notifications.

#include "base/Events.h"
#include "gui/editors/ValueTarget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

// A variable with a log of what was written to it.
struct Variable {
    explicit Variable(ParameterValue start) : value(std::move(start)) {}

    ParameterValue value;
    std::vector<ParameterValue> writes;
    std::vector<EditGesture> gestures;
};

class VariableTarget : public ValueTarget {
public:
    explicit VariableTarget(Variable& variable) : variable_(variable) {}
    ParameterValue read() const override { return variable_.value; }
    void write(const ParameterValue& value, EditGesture gesture) override {
        variable_.value = value;
        variable_.writes.push_back(value);
        variable_.gestures.push_back(gesture);
    }

private:
    Variable& variable_;
};

inline std::unique_ptr<ValueTarget> bindTo(Variable& variable) {
    return std::make_unique<VariableTarget>(variable);
}

struct Counter : Event<> {
    int count = 0;
    void handle() override { ++count; }
};

// A left click delivered to the widget itself at a position that may lie outside it, as a mouse
// that was pressed inside and dragged out is reported.
inline void clickAt(QWidget* widget, QPoint position) {
    const QPointF local(position);
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Runs `act` inside the next modal dialog's event loop (the code that opens it blocks until it ends).
void whileModal(std::function<void(QWidget* dialog)> act);
