#include "gui/closeup/HistogramView.h"

#include "gui/common/JobThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <condition_variable>
#include <mutex>

// What the counting thread shares with the view; a job keeps it alive after the view is gone.
struct HistogramView::Shared {
    std::mutex lock;
    std::condition_variable idle;
    HistogramView* owner = nullptr; // null once the view is gone
    int running = 0;
};

namespace {

JobThread& countingThread() {
    static JobThread thread;
    return thread;
}

} // namespace

HistogramView::HistogramView(QWidget* parent) : QWidget(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

HistogramView::~HistogramView() {
    const std::lock_guard lock(shared_->lock);
    shared_->owner = nullptr;
}

QSize HistogramView::sizeHint() const {
    return {256 + 16, 72};
}

void HistogramView::setPicture(const QImage& picture) {
    const std::uint64_t generation = ++generation_;
    const auto count = static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height());
    // A 32-bit picture's rows are whole words with no padding, so its words lie end to end.
    if (count <= inlinePixels) {
        take(generation, histogramOf(reinterpret_cast<const std::uint32_t*>(picture.constBits()), count));
        return;
    }
    histogram_.reset();
    update();
    {
        const std::lock_guard lock(shared_->lock);
        ++shared_->running;
    }
    // The copy shares the picture's pixels; the picture is never written in place.
    countingThread().post([shared = shared_, picture, count, generation] {
        const Histogram histogram =
            histogramOf(reinterpret_cast<const std::uint32_t*>(picture.constBits()), count);
        const std::lock_guard lock(shared->lock);
        if (shared->owner != nullptr) {
            QMetaObject::invokeMethod(
                shared->owner,
                [owner = shared->owner, generation, histogram] { owner->take(generation, histogram); },
                Qt::QueuedConnection);
        }
        --shared->running;
        shared->idle.notify_all();
    });
}

void HistogramView::take(std::uint64_t generation, const Histogram& histogram) {
    if (generation != generation_) {
        return; // counted for a picture no longer shown
    }
    histogram_ = histogram;
    update();
    emit counted();
}

void HistogramView::waitUntilCounted() {
    {
        std::unique_lock lock(shared_->lock);
        shared_->idle.wait(lock, [this] { return shared_->running == 0; });
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(32, 32, 32));
    if (!histogram_ || histogram_->pixels == 0) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(8, 6, -8, -6);
    const QColor colours[] = {QColor(255, 70, 70, 200), QColor(70, 230, 70, 200), QColor(90, 120, 255, 200),
                              QColor(220, 220, 220, 160)};
    for (std::size_t channel = 0; channel < 4; ++channel) {
        const auto& counts = histogram_->counts[channel];
        const double highest = *std::max_element(counts.begin(), counts.end());
        QPainterPath curve;
        for (int value = 0; value < 256; ++value) {
            const QPointF point(area.left() + area.width() * value / 255.0,
                                area.bottom() -
                                    area.height() * counts[static_cast<std::size_t>(value)] / highest);
            value == 0 ? curve.moveTo(point) : curve.lineTo(point);
        }
        painter.setPen(QPen(colours[channel], 1.2));
        painter.drawPath(curve);
    }
}
