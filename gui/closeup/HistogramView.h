#pragma once

// A small drawing of a picture's histogram (Histogram.h): one curve per channel (red, green, blue,
// alpha in grey) over the values 0 to 255, each scaled to its own highest count. A picture of more
// than `inlinePixels` pixels is counted on a thread of its own; the drawing shows the last count
// finished, and a newer picture makes an older count's result be dropped.

#include "gui/closeup/Histogram.h"

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>

class HistogramView : public QWidget {
    Q_OBJECT

public:
    static constexpr std::size_t inlinePixels = 256 * 256;

    explicit HistogramView(QWidget* parent = nullptr);
    ~HistogramView() override;

    // Counts the picture's words (any 32-bit format), here or on the counting thread.
    void setPicture(const QImage& picture);
    // The last histogram counted for the newest picture, or nothing while it is being counted.
    const std::optional<Histogram>& getHistogram() const { return histogram_; }
    // Blocks until no count is running (tests).
    void waitUntilCounted();

    QSize sizeHint() const override;

signals:
    void counted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Shared;
    void take(std::uint64_t generation, const Histogram& histogram);

    std::shared_ptr<Shared> shared_;
    std::uint64_t generation_ = 0;
    std::optional<Histogram> histogram_;
};
