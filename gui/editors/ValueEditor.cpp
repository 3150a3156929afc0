#include "gui/editors/ValueEditor.h"

#include <QLabel>
#include <utility>

ValueEditor::ValueEditor(QString label, std::unique_ptr<ValueTarget> target)
    : label_(std::move(label)), target_(std::move(target)) {}

ValueEditor::~ValueEditor() {
    delete labelBox_;
}

void ValueEditor::createLabel(QWidget* panel, Point position) {
    labelBox_ = new QLabel(QStringLiteral(" ") + label_, panel);
    labelBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    labelBox_->setLineWidth(1);
    labelBox_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labelBox_->setGeometry(position.x, position.y, labelWidth, labelHeight);
    labelBox_->show();
}

void ValueEditor::change(const ParameterValue& value, EditGesture gesture) {
    target_->write(value, gesture);
    changeEvents_.fire();
}
