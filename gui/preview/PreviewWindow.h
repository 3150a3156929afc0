#pragma once

// "Preview": the material as it will look, its Diffuse map, Normal map and Specular map collectors
// shaded together on a flat plane (LitShading.h), lit by a point light that follows the mouse, tiled
// or once like a result window, and zoomed and panned like one (CloseUpView.h). Sliders set the
// light's height and strength. Shaded again after every render. Frames are shaded off the
// user-interface thread (PreviewShader.h); the view shows the last one finished. What cannot be shown
// (a missing map, maps of different sizes) is said in the window.

#include "base/Events.h"
#include "core/Image.h"
#include "gui/closeup/CloseUpView.h"
#include "gui/preview/PreviewShader.h"
#include "gui/windows/HelperWindow.h"

#include <QString>
#include <optional>

class Material;
class QAction;
class QLabel;
class QSlider;
class ResultWindowRegistry;

class PreviewView : public CloseUpView {
    Q_OBJECT

public:
    PreviewView(QWidget* parent, const Material& material);

    // Copies the maps as they are now and shades them (called when a render has finished).
    void refresh();
    // Places the light above the picture point under the view point, as the mouse does.
    void setLight(QPoint viewPoint);
    void setLightShape(LightShape shape);
    // Why nothing is shaded, or nothing when the maps are shown.
    const std::optional<QString>& getProblem() const { return problem_; }
    // The pixels of the frame shown, row 0 at the bottom; none before the first frame.
    Velvor::Image getShaded() const;
    // Returns once the light's last position is shaded and shown (tests, screenshots, measurements).
    void waitUntilShaded() { shader_.waitUntilShaded(); }
    PreviewShader& getShader() { return shader_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The picture point the light stands above: under its view point, or the middle of the maps.
    QPoint lightPoint() const;

    const Material& material_;
    std::optional<QPoint> lightAt_; // view point; the middle of the maps until the mouse moves
    QSize mapSize_;
    PreviewShader shader_;
    std::optional<QString> problem_;
};

class PreviewWindow : public HelperWindow {
    Q_OBJECT

public:
    // Opens at once.
    PreviewWindow(QWidget* parent, const Material& material, ResultWindowRegistry& registry);
    ~PreviewWindow() override;

    PreviewView& getView() { return *view_; }
    QAction& tiledAction() { return *tiled_; }
    QSlider& heightSlider() { return *height_; }
    QSlider& strengthSlider() { return *strength_; }

private:
    class Refresher : public Event<> {
    public:
        explicit Refresher(PreviewView& view) : view_(view) {}
        void handle() override { view_.refresh(); }

    private:
        PreviewView& view_;
    };

    QWidget* lightControls();
    void shapeChanged();

    ResultWindowRegistry& registry_;
    PreviewView* view_;
    QAction* tiled_;
    QSlider* height_ = nullptr;   // per cent of the maps' larger side
    QSlider* strength_ = nullptr; // per cent
    QLabel* zoom_ = nullptr;
    Refresher refresher_{*view_};
};
