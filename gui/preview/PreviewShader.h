#pragma once

// The preview's frames, shaded off the user-interface thread. Moving the light only records where it
// is and makes sure a frame will be shaded; one thread for the whole process shades the newest
// position asked for (bands of rows on every thread), so positions that arrive while a frame is
// shaded are never shaded themselves. Each finished frame reaches the user-interface thread through
// its event loop and is shown until the next one. New maps drop the frame being shaded (within a band
// of rows). The shader can be destroyed at any time and never waits: a frame being shaded then ends
// within a band and is dropped, with what it reads kept alive until then.

#include "core/Image.h"
#include "gui/preview/LitPicture.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <memory>

class PreviewShader : public QObject {
    Q_OBJECT

public:
    explicit PreviewShader(QObject* parent = nullptr);
    ~PreviewShader() override;

    // Copies the maps (into the buffers of the last copy when the sizes match), dropping the frame
    // being shaded: waits at most for its band of rows. `normals` and `specular` (may be null) have the
    // diffuse map's size. A position asked for and not yet shaded is shaded with the new maps.
    void setMaps(const Velvor::Image& diffuse, const Velvor::Image& normals, const Velvor::Image* specular);
    // Asks for a frame lit from above the picture point (LitPicture.h's lightAbove); needs maps.
    void moveLight(QPoint picturePoint);
    // Asks for a frame with the light this high and strong, where it stands.
    void setLightShape(LightShape shape);
    // The last finished frame, top row first; null before the first.
    const QImage& getFrame() const { return frame_; }
    // Blocks until no frame is waiting to be shaded or being shaded, then shows the last one: for tests,
    // screenshots and measurements.
    void waitUntilShaded();

signals:
    // getFrame() holds a newer frame.
    void frameShown();

private:
    struct Shared;
    // With the shared lock held: puts a job on the shading thread unless one is there.
    static void schedule(const std::shared_ptr<Shared>& shared);
    static void work(const std::shared_ptr<Shared>& shared);
    void takeFrame();

    std::shared_ptr<Shared> shared_;
    QImage frame_;
};
