#include "ScriptedPrompt.h"
#include "core/parallel/Parallel.h"
#include "gui/preview/LitPicture.h"
#include "gui/preview/PreviewWindow.h"
#include "io/MaterialXml.h"
#include "model/Material.h"

#include <QApplication>
#include <QMouseEvent>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

Velvor::Image randomImage(int width, int height, std::mt19937& random) {
    Velvor::Image image(width, height);
    for (int i = 0; i < image.getPixelCount(); ++i) {
        image.getPixels()[i] = random();
    }
    return image;
}

bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
    return a.sameSizeAs(b) &&
           std::memcmp(a.getPixels(), b.getPixels(), static_cast<std::size_t>(a.getPixelCount()) * 4) == 0;
}

} // namespace

// Rows narrower than a vector, with a tail, and longer than one block of the vector pass; normals of
// every direction (facing away too); a light over the plane, far off, and in the plane on a pixel
// (a direction of length 0); weak and strong lights.
TEST(LitPictureTest, BandsOnEveryThreadGiveThePlainShadingsPixels) {
    std::mt19937 random(7);
    for (const auto& [width, height] : {std::pair{3, 2}, {203, 61}, {1030, 40}}) {
        const LitMaps maps{randomImage(width, height, random), randomImage(width, height, random),
                           randomImage(width, height, random)};
        for (const PreviewLight light :
             {PreviewLight{1.0f, 1.0f, 0.0f}, PreviewLight{40.5f, 9.0f, 30.0f, 0.35f},
              PreviewLight{-900.0f, 3000.0f, 2.0f, 1.8f}}) {
            for (const bool withSpecular : {true, false}) {
                const LitMaps shown{maps.diffuse, maps.normals,
                                    withSpecular ? maps.specular : std::optional<Velvor::Image>()};
                Velvor::Image plain(0, 0);
                shadeLitPlane(shown.diffuse, shown.normals, shown.specular ? &*shown.specular : nullptr,
                              light, plain);
                for (const int threads : {1, 2, 7}) {
                    const Velvor::ThreadCountScope scope(threads);
                    QImage picture;
                    shadeLitPicture(shown, light, picture);
                    EXPECT_TRUE(samePixels(imageOfPicture(picture), plain))
                        << width << " x " << height << ", light at " << light.x << ", " << light.y
                        << ", specular " << withSpecular << ", threads " << threads;
                }
            }
        }
    }
}

class PreviewViewTest : public testing::Test {
protected:
    void SetUp() override {
        ScriptedPrompt prompt;
        loadXml(material, std::string(VELVOR_SOURCE_DIR) + "/examples/tiles.ostra-material", prompt);
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            material.resizeNode(material.getNode(i).getId(), {256, 128});
        }
        NullProgress quiet;
        material.renderAll(quiet);
        view.resize(300, 200);
        view.show();
        view.refresh();
    }

    void moveMouse(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), view.mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
    }

    // The collectors in the order Diffuse map, Normal map, Specular map.
    Velvor::Image plainShading(QPoint at) {
        Velvor::Image shaded(0, 0);
        shadeLitPlane(material.getNode(0).getOperator().getImage(),
                      material.getNode(1).getOperator().getImage(),
                      &material.getNode(2).getOperator().getImage(), lightAbove(at, 256, 128), shaded);
        return shaded;
    }

    Material material{Material::Empty{}};
    PreviewView view{nullptr, material};
};

// Every move only asks for a frame; whichever positions were shaded on the way, the frame shown at
// the end is the one of the last position.
TEST_F(PreviewViewTest, ABurstOfMovesEndsShowingTheLastLightPosition) {
    view.waitUntilShaded();
    for (int step = 0; step < 60; ++step) {
        moveMouse(QPoint(5 * step, 3 * step % 200));
        if (step % 20 == 0) {
            QApplication::processEvents(); // frames finished meanwhile are shown on the way
        }
    }
    view.waitUntilShaded();
    EXPECT_TRUE(samePixels(view.getShaded(), plainShading(QPoint(5 * 59, 3 * 59 % 200))));

    // A new render's maps are shaded at the same light position.
    material.setParameter(material.getNode(3).getId(), 0, 3); // the tiles' count of blocks
    NullProgress quiet;
    material.renderAll(quiet);
    view.refresh();
    view.waitUntilShaded();
    EXPECT_TRUE(samePixels(view.getShaded(), plainShading(QPoint(5 * 59, 3 * 59 % 200))));
}

// The shading thread still holds the frame, the maps and the notice of a finished frame: none of it
// may reach the view once it is gone (the sanitizer builds watch this).
TEST_F(PreviewViewTest, ClosingWhileAFrameIsShadedIsSafe) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        auto* other = new PreviewView(nullptr, material);
        other->refresh();
        other->setLight(QPoint(attempt, attempt));
        if (attempt % 2 == 1) {
            QApplication::processEvents();
        }
        delete other;
    }
    QApplication::processEvents();
    view.setLight(QPoint(10, 20));
    view.waitUntilShaded();
    EXPECT_TRUE(samePixels(view.getShaded(), plainShading(QPoint(10, 20))));
}
