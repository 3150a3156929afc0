#include "gui/closeup/CloseUpView.h"

#include "gui/closeup/CloseUpPainter.h"

#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace {

// A press that moves less than this is a click, not a drag.
constexpr int dragDistance = 3;

} // namespace

CloseUpView::CloseUpView(QWidget* parent) : Window(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void CloseUpView::setPicture(const QImage& picture) {
    picture_ = picture;
    scaledZoom_ = 0.0;
    update();
    emit pictureChanged();
}

void CloseUpView::setTiled(bool tiled) {
    tiled_ = tiled;
    redraw();
    emit transformChanged();
}

void CloseUpView::setTileGuides(bool on) {
    guides_ = on;
    update();
}

void CloseUpView::setSeamCheck(bool on) {
    seamCheck_ = on;
    update();
    emit transformChanged();
}

void CloseUpView::setChannel(ChannelMode mode) {
    channel_ = mode;
    update();
}

void CloseUpView::setTransform(const ViewTransform& transform) {
    transform_ = transform;
    update();
    emit transformChanged();
}

void CloseUpView::zoomAt(int notches, QPoint widgetPoint) {
    setTransform(zoomAround(transform_, zoomStep(transform_.zoom, notches),
                            {widgetPoint.x() + 0.5, widgetPoint.y() + 0.5}));
}

void CloseUpView::fitPicture() {
    setTransform(fitTransform(picture_.width(), picture_.height(), width(), height()));
}

void CloseUpView::showActualSize() {
    setTransform({});
}

PictureLayout CloseUpView::getLayout() const {
    return {picture_.width(), picture_.height(), tiled_, seamCheck_};
}

std::optional<PixelPlace> CloseUpView::pixelAt(QPoint widgetPoint) const {
    return ::pixelAt(transform_, getLayout(), widgetPoint.x(), widgetPoint.y());
}

void CloseUpView::setMark(std::optional<ViewPoint> picturePoint) {
    mark_ = picturePoint;
    update();
}

const QImage& CloseUpView::samples() {
    if (transform_.zoom >= 1.0 || picture_.isNull()) {
        return picture_;
    }
    if (scaledZoom_ != transform_.zoom) {
        scaled_ = scaledDownPicture(picture_, transform_.zoom);
        scaledZoom_ = transform_.zoom;
    }
    return scaled_;
}

void CloseUpView::paintEvent(QPaintEvent*) {
    if (target_.size() != size()) {
        target_ = QImage(size(), QImage::Format_RGB32);
    }
    paintCloseUp(target_, samples(), getLayout(), transform_, channel_,
                 palette().color(QPalette::Base).rgb());
    QPainter painter(this);
    painter.drawImage(0, 0, target_);
    if (guides_) {
        paintGuides(painter);
    }
    if (mark_) {
        paintMark(painter);
    }
}

// Lines on the borders of every tile in sight (of the one copy when untiled).
void CloseUpView::paintGuides(QPainter& painter) const {
    if (picture_.isNull()) {
        return;
    }
    painter.setPen(QPen(QColor(255, 0, 255, 170), 1));
    const ViewPoint first = toPicture(transform_, {0, 0});
    const ViewPoint last =
        toPicture(transform_, {static_cast<double>(width()), static_cast<double>(height())});
    const auto border = [](double picture, int size) {
        return static_cast<long long>(std::floor(picture / size));
    };
    const long long fromX = tiled_ ? border(first.x, picture_.width()) : 0;
    const long long toX = tiled_ ? border(last.x, picture_.width()) + 1 : 1;
    const long long fromY = tiled_ ? border(first.y, picture_.height()) : 0;
    const long long toY = tiled_ ? border(last.y, picture_.height()) + 1 : 1;
    const ViewPoint topLeft = toWidget(transform_, {0.0, static_cast<double>(fromY * picture_.height())});
    const ViewPoint bottomRight = toWidget(transform_, {0.0, static_cast<double>(toY * picture_.height())});
    for (long long k = fromX; k <= toX && toX - fromX < 4096; ++k) {
        const double x = std::floor(toWidget(transform_, {static_cast<double>(k * picture_.width()), 0}).x);
        painter.drawLine(QPointF(x + 0.5, std::max(0.0, topLeft.y)),
                         QPointF(x + 0.5, std::min<double>(height(), bottomRight.y)));
    }
    const ViewPoint left = toWidget(transform_, {static_cast<double>(fromX * picture_.width()), 0.0});
    const ViewPoint right = toWidget(transform_, {static_cast<double>(toX * picture_.width()), 0.0});
    for (long long k = fromY; k <= toY && toY - fromY < 4096; ++k) {
        const double y = std::floor(toWidget(transform_, {0, static_cast<double>(k * picture_.height())}).y);
        painter.drawLine(QPointF(std::max(0.0, left.x), y + 0.5),
                         QPointF(std::min<double>(width(), right.x), y + 0.5));
    }
}

// A two-colour square around the marked pixel, visible on any picture.
void CloseUpView::paintMark(QPainter& painter) const {
    const ViewPoint corner = toWidget(transform_, {std::floor(mark_->x), std::floor(mark_->y)});
    const double side = std::max(transform_.zoom, 1.0);
    const QRectF box(std::floor(corner.x) - 1.5, std::floor(corner.y) - 1.5, std::ceil(side) + 2,
                     std::ceil(side) + 2);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box.adjusted(-1, -1, 1, 1));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(box);
}

void CloseUpView::wheelEvent(QWheelEvent* event) {
    // Fine-grained wheels send parts of a notch: they add up to one.
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0) {
        zoomAt(notches, event->position().toPoint());
    }
    event->accept();
}

void CloseUpView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt_ = event->position().toPoint();
        draggedTo_.reset();
    }
}

void CloseUpView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) {
        emit pointed(at);
        return;
    }
    if (!draggedTo_ && (at - *pressedAt_).manhattanLength() < dragDistance) {
        return;
    }
    const QPoint from = draggedTo_.value_or(*pressedAt_);
    draggedTo_ = at;
    setTransform(
        {transform_.zoom, transform_.panX + (at.x() - from.x()), transform_.panY + (at.y() - from.y())});
}

void CloseUpView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressedAt_) {
        return;
    }
    const bool click = !draggedTo_;
    pressedAt_.reset();
    draggedTo_.reset();
    if (click) {
        emit clicked(event->position().toPoint());
    }
}

void CloseUpView::leaveEvent(QEvent*) {
    emit pointerLeft();
}

void CloseUpView::keyPressEvent(QKeyEvent* event) {
    const QPoint middle(width() / 2, height() / 2);
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_F:
        fitPicture();
        break;
    case Qt::Key_Z:
    case Qt::Key_1:
        showActualSize();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(1, middle);
        break;
    case Qt::Key_Minus:
        zoomAt(-1, middle);
        break;
    default:
        event->ignore(); // the window's keys
        return;
    }
}
