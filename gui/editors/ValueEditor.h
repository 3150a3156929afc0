#pragma once

// One row of the parameter panel: a sunken label on the left and, from x = 200, a control that edits
// one value. Every change the user makes is written to the editor's target and then announced through
// the change events, with the editor as payload.

#include "base/Events.h"
#include "base/Point.h"
#include "gui/editors/ValueTarget.h"

#include <QString>
#include <memory>

class QLabel;
class QWidget;

class ValueEditor {
public:
    // Rows are laid out in panel pixels: the label at the row's x, the control at this x.
    static constexpr int controlX = 200;
    static constexpr int labelWidth = 188;
    static constexpr int labelHeight = 18;

    ValueEditor(QString label, std::unique_ptr<ValueTarget> target);
    ValueEditor(const ValueEditor&) = delete;
    ValueEditor& operator=(const ValueEditor&) = delete;
    // Destroys the editor's controls, then its label.
    virtual ~ValueEditor();

    // Makes the label and the controls in the panel at the row position, shows the target's value and
    // fits the controls to `width` (the panel's width less its margins). Called once.
    virtual void create(QWidget* panel, Point position, int width) = 0;
    virtual void setWidth(int width) = 0;
    // The row's height in pixels.
    virtual int getHeight() const = 0;
    // Shows the target's value again, after it changed elsewhere (an undo); announces nothing.
    virtual void refresh() = 0;

    Events<>& getChangeEvents() { return changeEvents_; }
    const QString& getLabel() const { return label_; }

protected:
    void createLabel(QWidget* panel, Point position);
    ValueTarget& target() { return *target_; }
    const ValueTarget& target() const { return *target_; }
    // Writes the user's value, then tells the change events.
    void change(const ParameterValue& value, EditGesture gesture);

private:
    QString label_;
    QLabel* labelBox_ = nullptr;
    Events<> changeEvents_;
    std::unique_ptr<ValueTarget> target_;
};
