#pragma once

// The two lines under a result window's picture: the zoom, the channel shown and the pixel under the
// mouse; then the pinned pixel and what the image's alpha holds. "Before the last change" leads while
// the space bar shows the earlier picture.

#include <QLabel>

class ResultView;

class ResultStatus : public QLabel {
    Q_OBJECT

public:
    explicit ResultStatus(QWidget* parent = nullptr);

    void showStateOf(const ResultView& view);
};
