#pragma once

// What the documentation's picture programs share: the dialog face the editor shows, and writing a
// picture as a PNG file whose name is printed.

#include "base/File.h"

#include <QApplication>
#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <cstdio>
#include <span>
#include <string>

// Tahoma at 8 points, from the metric-compatible clone where it is installed.
inline void useDialogFace() {
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    QFont face(QStringLiteral("Tahoma"));
    face.setPointSize(8);
    QApplication::setFont(face);
}

inline void savePicture(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    writeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              static_cast<std::size_t>(bytes.size())));
    std::printf("%s\n", path.c_str());
}
