#include "gui/editors/ValueEditorColour.h"

#include "gui/editors/ColourWindow.h"
#include "gui/editors/SunkenFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using Velvor::Pixel;

namespace {

Pixel colourOf(const ParameterValue& value) {
    const auto* number = std::get_if<std::int32_t>(&value);
    return number != nullptr ? static_cast<Pixel>(*number) : 0;
}

} // namespace

ValueEditorColour::ValueEditorColour(QString label, std::unique_ptr<ValueTarget> target)
    : ValueEditor(std::move(label), std::move(target)) {}

ValueEditorColour::~ValueEditorColour() {
    delete swatch_;
}

void ValueEditorColour::create(QWidget* panel, Point position, int width) {
    createLabel(panel, position);
    swatch_ = new RGBPicker(panel, *this, colourOf(target().read()));
    swatch_->setGeometry(controlX, position.y, swatchWidth, swatchHeight);
    swatch_->show();
    setWidth(width);
}

void ValueEditorColour::setWidth(int) {}

int ValueEditorColour::getHeight() const {
    return swatch_->height();
}

void ValueEditorColour::refresh() {
    const Pixel colour = colourOf(target().read());
    if (colour != swatch_->getColour()) {
        swatch_->setColour(colour);
    }
}

void ValueEditorColour::pickColour() {
    visit_ = newEditGesture();
    auto* dialog = new ColourWindow(swatch_, swatch_->getColour());
    dialog->getColourEvents().add(&observer_);
    // The dialog ends and deletes itself before show() returns; the editor may not outlive the
    // swatch's parent, which deletes it.
    QPointer<RGBPicker> alive = swatch_;
    dialog->show();
    if (alive) {
        visit_ = 0;
    }
}

void ValueEditorColour::OnColourChangedEvent::handle(Pixel colour) {
    owner_.swatch_->setColour(colour);
    owner_.change(static_cast<std::int32_t>(colour), owner_.visit_ != 0 ? owner_.visit_ : newEditGesture());
}

ValueEditorColour::RGBPicker::RGBPicker(QWidget* parent, ValueEditorColour& owner, Pixel colour)
    : Window(parent), colour_(colour), owner_(owner) {
    setCursor(Qt::PointingHandCursor);
}

void ValueEditorColour::RGBPicker::setColour(Pixel colour) {
    colour_ = colour;
    redraw();
}

void ValueEditorColour::RGBPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Point size = getClientSize();
    // QColor::fromRgb ignores the alpha byte, as the swatch must.
    painter.fillRect(0, 0, size.x, size.y, QColor::fromRgb(colour_));
    paintSunkenFrame(painter, palette(), 0, 0, size.x, size.y);
}

void ValueEditorColour::RGBPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        owner_.pickColour();
    }
}
