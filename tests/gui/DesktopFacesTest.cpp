#include "gui/common/DesktopFaces.h"

#include "core/text/FontMatch.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

// The canvas's labels are laid out for Tahoma with lines of 12 and 13 pixels; without the added folder
// another family would stand in for it.
TEST(DesktopFacesTest, TahomaIsFoundAndSizedByItsLine) {
    if (!QFileInfo::exists(QString(Velvor::desktopFaceFolder) + "/tahoma.ttf")) {
        GTEST_SKIP() << "needs " << Velvor::desktopFaceFolder << "/tahoma.ttf (fonts-wine)";
    }
    addDesktopFaces();
    for (const int line : {12, 13}) {
        const QFont font = cellHeightFont("Tahoma", line, 400);
        EXPECT_EQ(QFontInfo(font).family(), "Tahoma");
        const QFontMetrics metrics(font);
        EXPECT_NEAR(metrics.ascent() + metrics.descent(), line, 1) << line;
    }
    EXPECT_TRUE(QFontInfo(cellHeightFont("Tahoma", 12, 600, true)).bold());
}
