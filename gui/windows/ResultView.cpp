#include "gui/windows/ResultView.h"

#include "gui/closeup/ChannelMode.h"
#include "gui/common/ImageConversion.h"
#include "model/Material.h"

#include <QKeyEvent>
#include <cstring>

namespace {

// Images without pixels have no buffer to compare (memcmp must not see a null pointer).
bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
    return a.sameSizeAs(b) &&
           (a.getPixelCount() == 0 ||
            std::memcmp(a.getPixels(), b.getPixels(),
                        static_cast<std::size_t>(a.getPixelCount()) * sizeof(Velvor::Pixel)) == 0);
}

} // namespace

ResultView::ResultView(QWidget* parent, const Material& material, NodeId node)
    : CloseUpView(parent), material_(material), node_(node) {
    connect(this, &CloseUpView::pointed, this, [this](QPoint at) {
        pointer_ = at;
        hovered_ = pixelAt(at);
        emit readoutChanged();
    });
    connect(this, &CloseUpView::pointerLeft, this, [this] {
        pointer_.reset();
        hovered_.reset();
        emit readoutChanged();
    });
    connect(this, &CloseUpView::clicked, this, [this](QPoint at) {
        pinned_ = pixelAt(at);
        setMark(pinned_ ? std::optional(toPicture(getTransform(), {at.x() + 0.5, at.y() + 0.5}))
                        : std::nullopt);
        emit readoutChanged();
    });
    // The mouse stays where it is while the picture moves under it (keys, the wheel, a drag).
    connect(this, &CloseUpView::transformChanged, this, [this] {
        hovered_ = pointer_ ? pixelAt(*pointer_) : std::nullopt;
        emit readoutChanged();
    });
    refresh();
}

void ResultView::refresh() {
    // The node is looked up each time: it may have been deleted (and be waiting in the undo history)
    // since the window opened.
    static const Velvor::Image none(0, 0);
    const VisualNode* node = material_.findNode(node_);
    const Velvor::Image& now = node != nullptr ? node->getOperator().getImage() : none;
    if (!samePixels(now, pixels_)) {
        if (pixels_.getPixelCount() > 0) {
            before_ = pixels_;
        }
        pixels_ = now;
    }
    const AlphaRange alpha =
        alphaRangeOf(pixels_.getPixels(), static_cast<std::size_t>(pixels_.getPixelCount()));
    alphaNote_ = QString::fromStdString(alphaText(alpha));
    showPicture();
    redraw();
}

void ResultView::showBefore(bool before) {
    if (before != showingBefore_) {
        showingBefore_ = before;
        showPicture();
    }
}

void ResultView::showPicture() {
    setPicture(pictureOf(showingBefore_ && hasBefore() ? before_ : pixels_));
    emit readoutChanged();
}

QString ResultView::readingAt(const std::optional<PixelPlace>& place) const {
    const QImage& picture = getPicture();
    if (!place || place->column >= picture.width() || place->row >= picture.height()) {
        return {};
    }
    const int shownRow = picture.height() - 1 - place->row;
    const auto word = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(shownRow))[place->column];
    return QString::fromStdString(readingText(place->column, place->row, word));
}

QString ResultView::hoverText() const {
    return readingAt(hovered_);
}

QString ResultView::pinnedText() const {
    return readingAt(pinned_);
}

void ResultView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        showBefore(true);
        return;
    }
    CloseUpView::keyPressEvent(event);
}

void ResultView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        showBefore(false);
        return;
    }
    CloseUpView::keyReleaseEvent(event);
}

void ResultView::focusOutEvent(QFocusEvent* event) {
    showBefore(false); // the release may go elsewhere
    CloseUpView::focusOutEvent(event);
}
