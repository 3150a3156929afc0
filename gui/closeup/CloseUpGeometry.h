#pragma once

// Where a picture lies in a close-up view (a result window, the lit preview), as plain arithmetic.
//
// Widget coordinates are the view's pixels from its top-left corner, y downwards; a widget pixel is
// sampled at its centre (x + 0.5, y + 0.5). Picture coordinates are continuous image pixels from the
// picture's top-left corner as displayed (top row first). The two are related by
//   widget = picture * zoom + pan
// so zoom 1 with pan (0, 0) is the 1:1 view drawn from the top-left corner. Tiling repeats the picture
// in every direction; the seam check shows it moved by half its size (rounded down) both ways, so the
// picture's edges meet in the middle. An image's own row 0 is its bottom row.

#include <optional>

struct ViewPoint {
    double x = 0.0;
    double y = 0.0;
};

struct ViewTransform {
    double zoom = 1.0;
    double panX = 0.0;
    double panY = 0.0;
};

struct PictureLayout {
    int width = 0;
    int height = 0;
    bool tiled = false;
    bool seamCheck = false;
};

// A pixel of the image in its own coordinates: column from the left, row from the bottom.
struct PixelPlace {
    int column = 0;
    int row = 0;
    bool operator==(const PixelPlace&) const = default;
};

inline constexpr double minimumZoom = 1.0 / 16.0;
inline constexpr double maximumZoom = 32.0;

// The zoom `notches` wheel steps from `zoom` along a fixed ladder (1/16, 1/12, 1/8 ... 1, 3/2, 2, 3,
// 4 ... 32), so that every step above 1 is a whole or half number of screen pixels per image pixel.
// A zoom between two rungs goes to the next rung in that direction; the ends hold.
double zoomStep(double zoom, int notches);

// The transform at `zoom` (held to the range) that keeps the picture point under `anchor` in place.
ViewTransform zoomAround(const ViewTransform& transform, double zoom, ViewPoint anchor);

// The whole picture in a view of the given size, as large as fits (within the range), centred.
ViewTransform fitTransform(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight);

ViewPoint toPicture(const ViewTransform& transform, ViewPoint widget);
ViewPoint toWidget(const ViewTransform& transform, ViewPoint picture);

// The index, from 0 to `samples` - 1, of the sample that shows picture coordinate `picture` along an
// axis of `size` pixels that is sampled `samples` times (the size itself, or fewer for a picture
// scaled down); -1 where an untiled picture leaves the view empty.
int sampleIndex(double picture, int size, bool tiled, bool seamCheck, int samples);

// The image pixel a widget pixel shows, or nothing where the view is empty.
std::optional<PixelPlace> pixelAt(const ViewTransform& transform, const PictureLayout& layout, int widgetX,
                                  int widgetY);
