// velvor [FILE] [--screenshot PATH]: the editor's window with the canvas on a new material, or on
// the material FILE holds. --screenshot writes a PNG of the window as first drawn and quits.

#include "base/File.h"
#include "gui/CanvasWindow.h"
#include "gui/DesktopFaces.h"
#include "gui/ExceptionBox.h"
#include "gui/MessageBoxPrompt.h"
#include "io/MaterialXml.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QTimer>
#include <QUndoStack>
#include <cstdio>

namespace {

// Writes the window as it is drawn now; false, with the reason on standard error, on failure.
bool writeScreenshot(QWidget& window, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!window.grab().toImage().save(&buffer, "PNG")) {
        std::fprintf(stderr, "velvor: could not encode the screenshot\n");
        return false;
    }
    try {
        writeFile(path.toStdString(), std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                static_cast<std::size_t>(bytes.size())));
    } catch (const Exception& exception) {
        std::fprintf(stderr, "velvor: %s\n", exception.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velvor"));
    addDesktopFaces();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for procedural texture materials."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write a PNG of the window as first drawn and quit."),
                                        QStringLiteral("PATH"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Material file to open."));
    parser.process(application);
    if (parser.positionalArguments().size() > 1) {
        parser.showHelp(2);
    }

    Material material;
    if (!parser.positionalArguments().isEmpty()) {
        MessageBoxPrompt prompt;
        guarded(nullptr,
                [&] { loadXml(material, parser.positionalArguments().front().toStdString(), prompt); });
    }
    QUndoStack undoStack;
    CanvasWindow window(material, undoStack);
    window.show();

    if (parser.isSet(screenshot)) {
        const QString path = parser.value(screenshot);
        QTimer::singleShot(0, &window, [&] { application.exit(writeScreenshot(window, path) ? 0 : 1); });
    }
    return application.exec();
}
