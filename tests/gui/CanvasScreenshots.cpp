// Pictures of the canvas's graph editing for the documentation, made from the real main window on
// the offscreen platform: the three examples pasted side by side, zoomed out, with a rubber band being
// drawn; and the add-node search box open over the canvas.
//   canvas_screenshots DIR   writes DIR/canvas-selection.png and DIR/node-search.png

#include "CanvasDriver.h"
#include "PictureFiles.h"
#include "base/File.h"
#include "gui/common/DesktopFaces.h"
#include "gui/main/MainWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <cstdio>
#include <string>

namespace {

// The window with its open popup drawn where it is (offscreen, a popup is a window of its own).
QImage withPopup(QWidget& window, QWidget* popup) {
    QImage picture = window.grab().toImage();
    if (popup != nullptr && popup->isVisible()) {
        QPainter painter(&picture);
        painter.drawImage(window.mapFromGlobal(popup->pos()), popup->grab().toImage());
    }
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: canvas_screenshots DIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    addDesktopFaces();
    const std::string folder = argv[1];
    try {
        MaterialData data{readFile(VELVOR_SOURCE_DIR "/examples/metal-plate.ostra-material"), {}};
        MainWindow window(data, nullptr);
        // Boxes without thumbnails: the pasted examples' outputs are left out (their slots are
        // taken), so a render would leave half the material without pictures.
        window.getDocument().setAutoRender(false);
        window.resize(1100, 760);
        window.show();
        QCoreApplication::processEvents();
        NodesView& canvas = *window.findChild<NodesView*>();
        canvas.showActualSize();
        canvas.reorient();
        // The other examples to the right of it, one under the other, as a user pastes them from a
        // text editor with the mouse there.
        Material& material = window.getDocument().getMaterial();
        int right = 0;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            right = std::max(right, material.getNode(i).getPosition().x);
        }
        int top = material.getNode(0).getPosition().y;
        for (const char* name : {"tiles", "labelled-panel"}) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(
                readFile(VELVOR_SOURCE_DIR "/examples/" + std::string(name) + ".ostra-material")));
            hover(canvas, {right + 240 + canvas.getPanning().x, top + canvas.getPanning().y});
            canvas.paste();
            for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
                top = std::max(top, material.getNode(i).getPosition().y + 200);
            }
        }
        canvas.selectNone();
        canvas.zoomToFit();
        QCoreApplication::processEvents();
        // Shift+drag on empty canvas, caught before the release.
        const Point from{canvas.width() / 2 + 10, 12};
        const Point to{canvas.width() - 40, canvas.height() / 2 + 40};
        sendMouse(canvas, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from, Qt::ShiftModifier);
        sendMouse(canvas, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to, Qt::ShiftModifier);
        savePicture(window.grab().toImage(), folder + "/canvas-selection.png");
        sendMouse(canvas, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to, Qt::ShiftModifier);

        canvas.selectNone();
        canvas.showActualSize();
        canvas.reorient();
        hover(canvas, {canvas.width() / 2 - 60, canvas.height() - 200});
        QTest::keyClick(&canvas, Qt::Key_Space);
        QWidget* search = QApplication::activePopupWidget();
        if (search == nullptr) {
            throw std::runtime_error("the search box did not open");
        }
        QTest::keyClicks(search->findChild<QLineEdit*>(), "no");
        savePicture(withPopup(window, search), folder + "/node-search.png");
        search->close();
        window.getDocument().getUndoStack().setClean();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
