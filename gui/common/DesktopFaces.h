#pragma once

#include <QFont>
#include <QString>

// Makes the metric-compatible desktop faces (Tahoma among them) known to the application's fonts.
// Safe to call more than once; needs the QApplication.
void addDesktopFaces();

// A font whose line, ascent plus descent, is `cellHeight` pixels: the height the canvas's layout
// numbers are measured in. `weight` is on the 100 (thin) .. 900 (black) scale.
QFont cellHeightFont(const QString& family, int cellHeight, int weight, bool underline = false);
