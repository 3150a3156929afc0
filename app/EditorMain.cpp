// velvor [FILE] [--screenshot PATH]: the editor on the material FILE holds (or on a new one). This
// program is a host of the editing run that keeps the material in FILE: Save writes FILE at once
// (atomically), with its packed form beside it (FILE.ostra-packed, or FILE with that extension in
// place of .ostra-material); without FILE, the first Save asks for a name. --screenshot draws the
// rendered editor with a result window into a PNG and quits; --screenshot-canvas the canvas alone.

#include "base/File.h"
#include "gui/canvas/NodesView.h"
#include "gui/common/DesktopFaces.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/dialogs/QtDialogs.h"
#include "gui/document/MaterialFile.h"
#include "gui/main/EditingRun.h"
#include "gui/main/MainWindow.h"
#include "gui/preview/PreviewWindow.h"
#include "gui/windows/ResultWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

bool writePicture(const QImage& picture, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        std::fprintf(stderr, "velvor: could not encode the screenshot\n");
        return false;
    }
    try {
        writeFile(path.toStdString(),
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const Exception& exception) {
        std::fprintf(stderr, "velvor: %s\n", exception.what());
        return false;
    }
    return true;
}

// The editor after rendering, with the first collector's result window over its lower right part.
QImage editorPicture(MainWindow& window) {
    window.resize(1280, 940);
    window.canvas().reorient();
    window.getDocument().renderAll();
    window.getDocument().waitForRender();
    window.openAll();
    // A node with parameters selected, so the panel shows.
    Material& material = window.getDocument().getMaterial();
    for (std::size_t i = material.getNodeCount(); i-- > 0;) {
        if (material.getNode(i).getTypeId() == 4) {
            window.canvas().selectNode(material.getNode(i));
        }
    }
    const QImage editor = window.grab().toImage();
    QImage picture = editor;
    ResultWindow* result = nullptr;
    for (HelperWindow* open : HelperWindow::openWindows()) {
        result = result != nullptr ? result : dynamic_cast<ResultWindow*>(open);
    }
    if (result != nullptr) {
        result->resize(400, 290);
        const QImage shown = result->grab().toImage();
        // Offscreen windows have no frame; a plain title bar stands in for the desktop's.
        constexpr int titleHeight = 24;
        QPainter painter(&picture);
        const QPoint corner(editor.width() - shown.width() - 30, editor.height() - shown.height() - 24);
        const QRect title(corner - QPoint(0, titleHeight), QSize(shown.width(), titleHeight));
        painter.fillRect(title.adjusted(-1, -1, 1, shown.height() + 1), QColor(60, 60, 60));
        painter.fillRect(title, QColor(52, 56, 64));
        painter.setPen(Qt::white);
        painter.drawText(title.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, result->windowTitle());
        painter.drawImage(corner, shown);
    }
    return picture;
}

// The lit preview with the light to the upper left of the middle.
QImage previewPicture(MainWindow& window) {
    window.getDocument().renderAll();
    window.getDocument().waitForRender();
    window.showPreview();
    auto* preview = window.findChild<PreviewWindow*>();
    preview->resize(640, 452);
    preview->getView().setLight(QPoint(150, 110));
    preview->getView().waitUntilShaded();
    return preview->grab().toImage();
}

// VELVOR_THREADS outside 1..4096 is not used (the renderer then takes every processor); say so.
void warnAboutThreadCount() {
    const char* text = std::getenv("VELVOR_THREADS");
    if (text == nullptr || *text == '\0') {
        return;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < 1 || value > 4096) {
        std::fprintf(stderr, "velvor: VELVOR_THREADS=%s is not a number from 1 to 4096; ignored\n", text);
        unsetenv("VELVOR_THREADS");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Editor for procedural texture materials.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        "screenshot", "Write a PNG of the rendered editor with a result window, then quit.", "PATH");
    parser.addOption(screenshot);
    const QCommandLineOption canvasShot("screenshot-canvas", "Write a PNG of the canvas alone, then quit.",
                                        "PATH");
    parser.addOption(canvasShot);
    const QCommandLineOption previewShot("screenshot-preview", "Write a PNG of the lit preview, then quit.",
                                         "PATH");
    parser.addOption(previewShot);
    parser.addPositionalArgument("FILE", "Material file to edit (.ostra-material).");
    {
        // The command line is read before any window system is needed, so --help and --version work
        // without a display.
        QCoreApplication reader(argc, argv);
        QCoreApplication::setApplicationName("velvor");
        QCoreApplication::setApplicationVersion(VELVOR_VERSION);
        parser.process(reader);
        if (parser.positionalArguments().size() > 1) {
            parser.showHelp(2);
        }
    }
    warnAboutThreadCount();
    QApplication application(argc, argv);
    QApplication::setApplicationName("velvor");
    QApplication::setOrganizationName("velvor");
    QApplication::setApplicationVersion(VELVOR_VERSION);
    addDesktopFaces();
    const std::string file = parser.positionalArguments().isEmpty()
                                 ? std::string()
                                 : parser.positionalArguments().front().toStdString();

    QtDialogs dialogs(nullptr);
    MaterialData data;
    MaterialFile materialFile(file);
    if (!file.empty() && QFileInfo::exists(QString::fromStdString(file))) {
        try {
            data.xml = MaterialFile::read(file);
        } catch (const std::bad_alloc&) {
            showException(dialogs, "Out of memory");
            return 1;
        } catch (const Exception& exception) {
            // Not opened, so never overwritten: the editor starts untitled.
            showException(dialogs, exception.getMessage());
            materialFile.moveTo({});
        }
    }

    int status = 0;
    const bool screenshots =
        parser.isSet(screenshot) || parser.isSet(canvasShot) || parser.isSet(previewShot);
    if (screenshots) {
        QTimer::singleShot(0, [&] {
            auto* window = dynamic_cast<MainWindow*>(QApplication::activeModalWidget());
            status = window == nullptr ? 1 : 0;
            if (window != nullptr) {
                // The pictures do not depend on the screen the window would open on.
                window->resize(1100, 760);
                window->canvas().showActualSize();
            }
            if (window != nullptr && parser.isSet(canvasShot)) {
                status |= writePicture(window->canvas().grab().toImage(), parser.value(canvasShot)) ? 0 : 1;
            }
            if (window != nullptr && parser.isSet(screenshot)) {
                status |= writePicture(editorPicture(*window), parser.value(screenshot)) ? 0 : 1;
            }
            if (window != nullptr && parser.isSet(previewShot)) {
                status |= writePicture(previewPicture(*window), parser.value(previewShot)) ? 0 : 1;
            }
            if (window != nullptr) {
                HelperWindow::closeAll();
                window->done(0);
            }
        });
    }
    // Screenshots only look: no lock, no recovery, the plain title.
    editMaterial(data, nullptr, screenshots ? nullptr : &materialFile);
    return status;
}
