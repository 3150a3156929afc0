#include "gui/editors/ValueEditorInt.h"

#include <QLabel>
#include <QScrollBar>
#include <algorithm>

// A mouse press on the scroll bar starts one gesture that lasts until the button is released: a drag
// of the thumb, or an arrow or the trough held down, is one undo step.
class ValueEditorInt::ScrollBar : public QScrollBar {
public:
    explicit ScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

    EditGesture gesture() const { return held_ != 0 ? held_ : newEditGesture(); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        held_ = newEditGesture();
        QScrollBar::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QScrollBar::mouseReleaseEvent(event);
        held_ = 0;
    }

private:
    EditGesture held_ = 0;
};

ValueEditorInt::ValueEditorInt(QString label, std::unique_ptr<ValueTarget> target, std::int16_t minimum,
                               std::int16_t maximum)
    : ValueEditor(std::move(label), std::move(target)), minimum_(minimum), maximum_(maximum) {}

ValueEditorInt::~ValueEditorInt() {
    delete valueBox_;
    delete scrollBar_;
}

void ValueEditorInt::create(QWidget* panel, Point position, int width) {
    createLabel(panel, position);
    rowY_ = position.y;

    scrollBar_ = new ScrollBar(panel);
    scrollBar_->setGeometry(controlX, position.y, 150, scrollBarHeight);
    scrollBar_->setRange(minimum_, maximum_);
    scrollBar_->setSingleStep(1);
    scrollBar_->setPageStep(getPageStep());
    scrollBar_->setTracking(true);
    // Actions, not value changes: a page step at the end of the range changes nothing and must
    // still be heard.
    QObject::connect(scrollBar_, &QAbstractSlider::actionTriggered, scrollBar_, [this] { onAction(); });
    scrollBar_->show();

    valueBox_ = new QLabel(QStringLiteral("?"), panel);
    valueBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    valueBox_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    valueBox_->setGeometry(position.x, position.y, valueBoxWidth, valueBoxHeight);
    valueBox_->show();

    refresh();
    setWidth(width);
}

void ValueEditorInt::setWidth(int width) {
    scrollBar_->resize(std::max(width - 260, 1), scrollBar_->height());
    valueBox_->move(width - valueBoxWidth, rowY_);
}

int ValueEditorInt::getHeight() const {
    return scrollBar_->height();
}

void ValueEditorInt::refresh() {
    const ParameterValue value = target().read();
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        showValue(*number);
    }
}

int ValueEditorInt::getPageStep() const {
    return std::max((scrollBar_->maximum() - scrollBar_->minimum()) / 8, 1);
}

QScrollBar* ValueEditorInt::getScrollBar() const {
    return scrollBar_;
}

void ValueEditorInt::showValue(int value) {
    scrollBar_->setValue(value);
    valueBox_->setText(QString::number(static_cast<std::int16_t>(value)));
}

void ValueEditorInt::onAction() {
    // The scroll bar has already moved the position by the action and held it to the range.
    const int position = scrollBar_->sliderPosition();
    valueBox_->setText(QString::number(static_cast<std::int16_t>(position)));
    change(static_cast<std::int32_t>(position), scrollBar_->gesture());
}
