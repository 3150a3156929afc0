#include "gui/common/DesktopFaces.h"

#include "core/text/FontMatch.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

void addDesktopFaces() {
    static bool added = false;
    if (added) {
        return;
    }
    added = true;
    const QDir folder(QString::fromUtf8(Velvor::desktopFaceFolder));
    // Only the outline faces: the folder's bitmap faces would shadow nothing we draw with.
    for (const QString& file : folder.entryList({"*.ttf"}, QDir::Files)) {
        QFontDatabase::addApplicationFont(folder.filePath(file));
    }
}

QFont cellHeightFont(const QString& family, int cellHeight, int weight, bool underline) {
    QFont font(family);
    font.setPixelSize(cellHeight);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setUnderline(underline);
    const QFontMetricsF metrics(font);
    const qreal line = metrics.ascent() + metrics.descent();
    if (line > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(cellHeight * cellHeight / line))));
    }
    return font;
}
