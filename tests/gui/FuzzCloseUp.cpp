// The fuzzer's close-up steps: what a user does in a result window or the preview to look closely.

#include "CanvasDriver.h"
#include "FuzzSession.h"
#include "gui/closeup/CloseUpView.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWheelEvent>
#include <array>

void Session::lookClosely(const FuzzStep& step) {
    std::vector<CloseUpView*> views;
    for (HelperWindow* open : HelperWindow::openWindows()) {
        for (CloseUpView* view : open->findChildren<CloseUpView*>()) {
            views.push_back(view);
        }
    }
    if (views.empty()) {
        return;
    }
    CloseUpView& view = *views[step.a % views.size()];
    const auto width = static_cast<std::uint32_t>(std::max(1, view.width()));
    const auto height = static_cast<std::uint32_t>(std::max(1, view.height()));
    const Point at{static_cast<int>(step.c % width), static_cast<int>((step.c / width) % height)};
    switch (step.b % 6) {
    case 0: {
        const int notches = static_cast<int>(step.c % 9) - 4;
        QWheelEvent wheel(QPointF(at.x, at.y), view.mapToGlobal(QPointF(at.x, at.y)), {}, {0, 120 * notches},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        break;
    }
    case 1:
        drag(view, at,
             {at.x + static_cast<int>(step.c % 201) - 100, at.y + static_cast<int>(step.c % 151) - 75});
        break;
    case 2:
        click(view, Qt::LeftButton, at); // pins a reading
        break;
    case 3: {
        static const std::array keys{Qt::Key_F, Qt::Key_Z,    Qt::Key_1,    Qt::Key_R, Qt::Key_G,
                                     Qt::Key_B, Qt::Key_A,    Qt::Key_C,    Qt::Key_K, Qt::Key_S,
                                     Qt::Key_H, Qt::Key_Plus, Qt::Key_Minus};
        QTest::keyClick(&view, keys[step.c % keys.size()]);
        break;
    }
    case 4:
        // Holding the space bar while the mouse moves and the picture is drawn.
        QTest::keyPress(&view, Qt::Key_Space);
        hover(view, at);
        view.grab();
        QTest::keyRelease(&view, Qt::Key_Space);
        break;
    default: {
        std::vector<QAction*> entries;
        for (QAction* menu : view.window()->findChild<QMenuBar*>()->actions()) {
            for (QAction* entry : menu->menu()->actions()) {
                if (!entry->isSeparator()) {
                    entries.push_back(entry);
                }
            }
        }
        entries[step.c % entries.size()]->trigger();
        break;
    }
    }
    view.grab(); // drawn in the new state
}
