#include "gui/main/ApplicationIcon.h"

// The images are compiled into this static library; a static library's resources must be registered
// by hand, and doing it here ties it to any program that draws a window of ours.
static bool registerImages() {
    Q_INIT_RESOURCE(resources);
    return true;
}
[[maybe_unused]] static const bool imagesRegistered = registerImages();

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/velvor-icon-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
