// Pictures of result windows for the documentation, made from the real windows on the offscreen
// platform from an example material rendered without a render thread, so every run draws the same:
//   result_screenshots DIR MATERIAL   writes DIR/result-zoomed-normalmap.png (the "Normal map"
//   collector zoomed to 8 times, a reading pinned and one under the mouse) and DIR/result-seam-check.png
//   (the "Diffuse map" collector moved by half its size, tiled, with tile guides).

#include "CanvasDriver.h"
#include "FuzzDialogs.h"
#include "PictureFiles.h"
#include "base/File.h"
#include "base/Progress.h"
#include "gui/windows/ResultView.h"
#include "gui/windows/ResultWindow.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QFontDatabase>
#include <QTest>
#include <QWheelEvent>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

NodeId named(const Material& material, const std::string& name) {
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (material.getNode(i).getName() == name) {
            return material.getNode(i).getId();
        }
    }
    throw std::runtime_error("the material has no node " + name);
}

void wheel(QWidget& view, QPoint at, int notches) {
    QWheelEvent event(at, view.mapToGlobal(QPointF(at)), {}, {0, 120 * notches}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &event);
}

QAction* entry(QWidget& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == text) {
            return action;
        }
    }
    throw std::runtime_error("no menu entry " + text.toStdString());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: result_screenshots DIR MATERIAL\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    useDialogFace();
    const std::string folder = argv[1];
    try {
        Material material(Material::Empty{});
        FuzzDialogs answers; // without a random source: No to every question
        loadXml(material, argv[2], answers);
        NullProgress progress;
        material.renderAll(progress);
        ResultWindowRegistry registry;

        auto* normals = new ResultWindow(nullptr, material, named(material, "Normal map"), registry, answers);
        normals->resize(560, 440);
        normals->redraw();
        ResultView& zoomed = normals->getView();
        wheel(zoomed, QPoint(150, 120), 6); // 8 times
        click(zoomed, Qt::LeftButton, {150, 120});
        hover(zoomed, {330, 250});
        savePicture(normals->grab().toImage(), folder + "/result-zoomed-normalmap.png");

        auto* diffuse =
            new ResultWindow(nullptr, material, named(material, "Diffuse map"), registry, answers);
        diffuse->resize(560, 440);
        diffuse->redraw();
        entry(*diffuse, "&Seam check\tS")->trigger();
        entry(*diffuse, "Tile &guides")->trigger();
        wheel(diffuse->getView(), QPoint(0, 0), -1);
        hover(diffuse->getView(), {200, 150});
        savePicture(diffuse->grab().toImage(), folder + "/result-seam-check.png");
        HelperWindow::closeAll();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
