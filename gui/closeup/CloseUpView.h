#pragma once

// A view for looking closely at a picture: the wheel zooms around the cursor (1/16 to 32 times,
// sharp pixels above 1, smoothed below), a left drag pans, F fits the picture, Z or 1 returns to 1:1
// from the top-left corner (the state it opens in). Tiling, thin guides at the tile borders, the seam
// check (the picture moved by half its size) and a channel mode apply at every zoom and pan. The
// arithmetic is CloseUpGeometry.h's; the drawing CloseUpPainter.h's.

#include "gui/closeup/ChannelMode.h"
#include "gui/closeup/CloseUpGeometry.h"
#include "gui/windows/Window.h"

#include <QImage>
#include <optional>

class CloseUpView : public Window {
    Q_OBJECT

public:
    explicit CloseUpView(QWidget* parent = nullptr);

    // The picture: pixel words top row first, in any 32-bit format; the top byte is the alpha the
    // alpha views read. Zoom and pan stay.
    void setPicture(const QImage& picture);
    const QImage& getPicture() const { return picture_; }

    void setTiled(bool tiled);
    bool isTiled() const { return tiled_; }
    void setTileGuides(bool on);
    bool hasTileGuides() const { return guides_; }
    void setSeamCheck(bool on);
    bool isSeamCheck() const { return seamCheck_; }
    void setChannel(ChannelMode mode);
    ChannelMode getChannel() const { return channel_; }

    const ViewTransform& getTransform() const { return transform_; }
    void setTransform(const ViewTransform& transform);
    // Wheel notches (positive: closer) around a widget point.
    void zoomAt(int notches, QPoint widgetPoint);
    void fitPicture();
    void showActualSize();

    PictureLayout getLayout() const;
    // The image pixel under a widget pixel, or nothing where the view is empty.
    std::optional<PixelPlace> pixelAt(QPoint widgetPoint) const;
    // Outlines the picture pixel at this picture point (a pinned reading), or nothing.
    void setMark(std::optional<ViewPoint> picturePoint);

signals:
    void pictureChanged();
    // Zoom, pan, tiling or the seam check changed: another pixel may lie under a widget point.
    void transformChanged();
    // The mouse moved over the view with no button held.
    void pointed(QPoint widgetPoint);
    // A left press and release without a drag between.
    void clicked(QPoint widgetPoint);
    void pointerLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    const QImage& samples();
    void paintGuides(QPainter& painter) const;
    void paintMark(QPainter& painter) const;

    QImage picture_;
    QImage scaled_; // the picture at the zoom below 1 it was last drawn at
    double scaledZoom_ = 0.0;
    QImage target_;
    ViewTransform transform_;
    bool tiled_ = true;
    bool guides_ = false;
    bool seamCheck_ = false;
    ChannelMode channel_ = ChannelMode::Colour;
    std::optional<ViewPoint> mark_;
    int wheelRest_ = 0; // wheel movement short of a notch
    std::optional<QPoint> pressedAt_;
    std::optional<QPoint> draggedTo_; // set once a press moved far enough to be a drag
};
