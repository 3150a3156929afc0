#pragma once

// "Preview": the material as it will look, its Diffuse map, Normal map and Specular map collectors
// shaded together on a flat plane (LitShading.h), lit by a point light that follows the mouse, tiled
// or once like a result window. Shaded again after every render. Frames are shaded off the
// user-interface thread (PreviewShader.h); the view shows the last one finished. What cannot be shown
// (a missing map, maps of different sizes) is said in the window.

#include "base/Events.h"
#include "core/Image.h"
#include "gui/preview/PreviewShader.h"
#include "gui/windows/HelperWindow.h"
#include "gui/windows/Window.h"

#include <QString>
#include <optional>

class Material;
class QAction;
class ResultWindowRegistry;

class PreviewView : public Window {
    Q_OBJECT

public:
    PreviewView(QWidget* parent, const Material& material);

    void setTiled(bool tiled);
    // Copies the maps as they are now and shades them (called when a render has finished).
    void refresh();
    // Places the light above the view point, as the mouse does.
    void setLight(QPoint viewPoint);
    // Why nothing is shaded, or nothing when the maps are shown.
    const std::optional<QString>& getProblem() const { return problem_; }
    // The pixels of the frame shown, row 0 at the bottom; none before the first frame.
    Velvor::Image getShaded() const;
    // Returns once the light's last position is shaded and shown (tests, screenshots, measurements).
    void waitUntilShaded() { shader_.waitUntilShaded(); }
    PreviewShader& getShader() { return shader_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const Material& material_;
    bool tiled_ = true;
    std::optional<QPoint> lightAt_; // view point; the middle of the image until the mouse moves
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

private:
    class Refresher : public Event<> {
    public:
        explicit Refresher(PreviewView& view) : view_(view) {}
        void handle() override { view_.refresh(); }

    private:
        PreviewView& view_;
    };

    ResultWindowRegistry& registry_;
    PreviewView* view_;
    QAction* tiled_;
    Refresher refresher_{*view_};
};
