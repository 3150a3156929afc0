// Pictures of the parameter editing windows for the documentation, made from the real widgets on the
// offscreen platform: a Text node's panel and the colour dialog with a colour picked.
//   editor_screenshots DIR   writes DIR/panel-text.png and DIR/colour-picker.png

#include "PictureFiles.h"
#include "base/File.h"
#include "gui/editors/ColourWindow.h"
#include "gui/editors/CreateEditor.h"
#include "gui/editors/OperatorEditor.h"
#include "model/Material.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QTimer>
#include <QUndoStack>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void drag(QWidget* view, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, view->mapToGlobal(QPointF(from)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(QPointF(to)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_screenshots DIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    // The dialog face the editor uses, where the metric-compatible clone is installed.
    useDialogFace();
    const std::string folder = argv[1];

    try {
        Material material(Material::Empty{});
        QUndoStack undoStack;
        const NodeTypeInfo* text = findNodeType(5);
        const NodeId node = material.addNode("Logo", *text, Point{256, 256}).getId();
        QWidget area;
        area.resize(400, 208);
        OperatorEditor* panel = createEditor(&area, material, node, undoStack);
        area.show();
        savePicture(panel->grab().toImage(), folder + "/panel-text.png");

        auto* dialog = new ColourWindow(&area, 0xFF336699u);
        QTimer::singleShot(0, dialog, [dialog, &folder] {
            // A colour picked away from the start, so both halves of the comparison show.
            drag(dialog->findChild<QWidget*>(QStringLiteral("largeView")), QPoint(60, 200), QPoint(190, 70));
            savePicture(dialog->grab().toImage(), folder + "/colour-picker.png");
            dialog->accept();
        });
        dialog->show();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
