#include "CanvasDriver.h"
#include "FuzzDialogs.h"
#include "FuzzSession.h"
#include "WindowParts.h"
#include "base/Exception.h"
#include "base/File.h"
#include "base/Progress.h"
#include "core/packed/PackedMaterial.h"
#include "gui/canvas/NodesView.h"
#include "gui/document/MaterialFile.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/main/MainWindow.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

// Mostly none; Ctrl and Shift select several nodes.
Qt::KeyboardModifiers Session::modifiersOf(std::uint32_t n) {
    switch (n % 6) {
    case 0:
        return Qt::ControlModifier;
    case 1:
        return Qt::ShiftModifier;
    default:
        return Qt::NoModifier;
    }
}

const VisualNode* Session::nodeNumber(std::uint32_t n) {
    return material().getNodeCount() == 0 ? nullptr : &material().getNode(n % material().getNodeCount());
}

Point Session::pointOnNode(std::uint32_t n, std::uint32_t offset) {
    const VisualNode* node = nodeNumber(n);
    const Point inside{static_cast<int>(offset % 102), static_cast<int>((offset / 102) % 102)};
    return node != nullptr ? onScreen(canvas(), *node, inside) : inside;
}

Point Session::pointInView(std::uint32_t n) {
    const Point size = canvas().getClientSize();
    return {static_cast<int>(n % static_cast<std::uint32_t>(std::max(1, size.x))),
            static_cast<int>((n / 7) % static_cast<std::uint32_t>(std::max(1, size.y)))};
}

Point Session::portPoint(std::uint32_t n) {
    const VisualNode* node = nodeNumber(n / 8);
    if (node == nullptr || n % 8 == 7) {
        return pointInView(n * 31);
    }
    const int ports = node->getInputCount() + (node->hasOutput() ? 1 : 0);
    if (ports == 0) {
        return pointOnNode(n / 8, 51 * 102 + 51);
    }
    int port = static_cast<int>(n % static_cast<std::uint32_t>(ports));
    port = node->hasOutput() ? port - 1 : port;
    return portCentreOnScreen(canvas(), *node, port);
}

void Session::act(const FuzzStep& step) {
    switch (step.action) {
    case FuzzAction::AddFromList: {
        QListWidget& list = nodeListOf(window_);
        QListWidgetItem* item =
            list.item(static_cast<int>(step.a % static_cast<std::uint32_t>(list.count())));
        const QPoint centre = list.visualItemRect(item).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
        break;
    }
    case FuzzAction::ClickCanvas:
        click(canvas(), Qt::LeftButton,
              step.b % 4 == 0   ? pointInView(step.a)
              : step.b % 4 == 1 ? cableMiddle(step.a)
                                : pointOnNode(step.a, step.c),
              modifiersOf(step.b / 4));
        break;
    case FuzzAction::DragCanvas: {
        const Point from = step.b % 3 == 0 ? pointInView(step.a) : pointOnNode(step.a, step.b);
        const int dx = static_cast<int>(step.c % 301) - 150;
        const int dy = static_cast<int>((step.c / 301) % 301) - 150;
        // Now and then onto a cable's middle, where a free node goes in between.
        const Point to = step.c % 5 == 0 ? cableMiddle(step.c / 5) : Point{from.x + dx, from.y + dy};
        drag(canvas(), from, to, modifiersOf(step.b / 3));
        break;
    }
    case FuzzAction::DrawCable:
        if (step.c % 3 == 0) { // a right-button drag, ended by its release
            const Point from = portPoint(step.a);
            const Point to = step.b % 2 == 0 ? portPoint(step.b) : pointInView(step.b);
            sendMouse(canvas(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, from);
            sendMouse(canvas(), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, to);
            sendMouse(canvas(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, to);
            break;
        }
        click(canvas(), Qt::RightButton, portPoint(step.a));
        hover(canvas(), pointInView(step.c));
        hover(canvas(), portPoint(step.b));
        click(canvas(), Qt::RightButton, portPoint(step.b));
        break;
    case FuzzAction::Key:
        pressKey(step.a);
        break;
    case FuzzAction::Wheel: {
        // One to three notches either way, over a node or anywhere in the view.
        const Point at = step.b % 2 == 0 ? pointOnNode(step.a, step.c) : pointInView(step.a);
        const int notches = static_cast<int>(step.c % 7) - 3;
        QWheelEvent wheel(QPointF(at.x, at.y), canvas().mapToGlobal(QPointF(at.x, at.y)), {},
                          {0, 120 * notches}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&canvas(), &wheel);
        break;
    }
    case FuzzAction::NodeMenu:
        if (const VisualNode* node = nodeNumber(step.a)) {
            // The middle of the box's lower half holds no port.
            click(canvas(), Qt::RightButton, onScreen(canvas(), *node, {51, 90}));
        }
        break;
    case FuzzAction::MainMenu:
        triggerMenuCommand(step.a);
        break;
    case FuzzAction::PanelEdit:
        editPanel(step);
        break;
    case FuzzAction::Undo:
        window_.getDocument().undo();
        break;
    case FuzzAction::Redo:
        window_.getDocument().redo();
        break;
    case FuzzAction::CloseWindow: {
        const std::vector<HelperWindow*>& open = HelperWindow::openWindows();
        if (!open.empty()) {
            open[step.a % open.size()]->close();
        }
        break;
    }
    case FuzzAction::CloseUp:
        lookClosely(step);
        break;
    case FuzzAction::WaitForRender:
    case FuzzAction::Count:
        window_.getDocument().waitForRender();
        break;
    }
}

Point Session::cableMiddle(std::uint32_t n) {
    if (material().getCableCount() == 0) {
        return pointInView(n);
    }
    const Cable& cable = material().getCable(n % material().getCableCount());
    const CableCurve curve = cableCurveBetween(unscaledOnScreen(canvas(), cable.getFrom(), {0, 0}),
                                               unscaledOnScreen(canvas(), cable.getTo(), {0, 0}),
                                               cable.getToPort(), cable.getTo().getInputCount());
    return pixelOf(curve[cableCurvePointCount / 2], canvas().getZoom());
}

void Session::pressKey(std::uint32_t n) {
    struct Press {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    static const std::array<Press, 14> keys{{{Qt::Key_Delete, {}},
                                             {Qt::Key_F, {}},
                                             {Qt::Key_Escape, {}},
                                             {Qt::Key_Return, {}},
                                             {Qt::Key_Z, Qt::ControlModifier},
                                             {Qt::Key_Y, Qt::ControlModifier},
                                             {Qt::Key_S, Qt::ControlModifier},
                                             {Qt::Key_Tab, {}},
                                             {Qt::Key_Space, {}},
                                             {Qt::Key_C, Qt::ControlModifier},
                                             {Qt::Key_X, Qt::ControlModifier},
                                             {Qt::Key_V, Qt::ControlModifier},
                                             {Qt::Key_D, Qt::ControlModifier},
                                             {Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier}}};
    const Press press = keys[n % keys.size()];
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : &canvas(), press.key, press.modifiers);
}

void Session::triggerMenuCommand(std::uint32_t n) {
    std::vector<QAction*> commands;
    const auto* bar = window_.findChild<QMenuBar*>();
    for (QAction* menu : bar->actions()) {
        for (QAction* command : menu->menu()->actions()) {
            if (!command->isSeparator() && command->isEnabled()) {
                commands.push_back(command);
            }
        }
    }
    commands[n % commands.size()]->trigger();
}

void Session::editPanel(const FuzzStep& step) {
    OperatorEditor* panel = panelOf(window_);
    if (panel == nullptr) {
        return;
    }
    std::vector<QWidget*> controls;
    for (QWidget* child : panel->findChildren<QWidget*>()) {
        if (qobject_cast<QScrollBar*>(child) || qobject_cast<QRadioButton*>(child) ||
            qobject_cast<QComboBox*>(child) || qobject_cast<QLineEdit*>(child) ||
            qobject_cast<QPushButton*>(child) || child->inherits("ValueEditorColour::RGBPicker")) {
            controls.push_back(child);
        }
    }
    if (controls.empty()) {
        return;
    }
    QWidget* control = controls[step.a % controls.size()];
    if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
        qInfo("  panel of %s: %s", material().findNode(panel->getNode())->getName().c_str(),
              control->metaObject()->className());
    }
    if (auto* bar = qobject_cast<QScrollBar*>(control)) {
        moveScrollBar(*bar, step.b, step.c);
    } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        radio->click();
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->click(); // "New seed"
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        const int index = static_cast<int>(step.b % static_cast<std::uint32_t>(std::max(1, list->count())));
        list->setCurrentIndex(index);
        emit list->activated(index);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        static const std::array<const char*, 5> texts{"Velvor", "&x", "", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
                                                      "a long line of text that runs on and on"};
        edit->setFocus();
        if (step.b % 2 == 0) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        }
        // One key event per character, with its text: QTest's typing knows only ASCII keys.
        for (const QChar character : QString::fromUtf8(texts[step.c % texts.size()])) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &release);
        }
    } else {
        click(*static_cast<QWidget*>(control), Qt::LeftButton, {5, 5}); // opens the colour dialog
    }
}

void Session::moveScrollBar(QScrollBar& bar, std::uint32_t how, std::uint32_t where) {
    static const std::array<QAbstractSlider::SliderAction, 6> steps{
        QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
        QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
        QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};
    if (how % 2 == 0) {
        bar.triggerAction(steps[how / 2 % steps.size()]);
        return;
    }
    // A drag of the thumb: several moves, one undo step.
    const auto range = static_cast<std::uint32_t>(bar.maximum() - bar.minimum()) + 1;
    bar.setSliderDown(true);
    for (int i = 0; i < 3; ++i) {
        bar.setSliderPosition(bar.minimum() +
                              static_cast<int>((where + static_cast<std::uint32_t>(i) * 7919) % range));
    }
    bar.setSliderDown(false);
}

void Session::answerModal() {
    if (answering_) {
        return;
    }
    QWidget* open = QApplication::activePopupWidget();
    if (open == nullptr) {
        open = QApplication::activeModalWidget();
    }
    if (open == nullptr || open == &window_) {
        return;
    }
    answering_ = true;
    QPointer<QWidget> target = open;
    const std::uint32_t choice = static_cast<std::uint32_t>(random_());
    QTimer::singleShot(0, [this, target, choice] {
        answering_ = false;
        if (target) {
            answer(*target, choice);
        }
    });
}

void Session::answer(QWidget& open, std::uint32_t choice) {
    if (auto* menu = qobject_cast<QMenu*>(&open)) {
        std::vector<QAction*> enabled;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->isEnabled()) {
                enabled.push_back(action);
            }
        }
        menu->close();
        if (!enabled.empty() && choice % 8 != 0) {
            if (std::getenv("VELVOR_FUZZ_TRACE") != nullptr) {
                qInfo("  menu: %s", qPrintable(enabled[choice % enabled.size()]->text()));
            }
            enabled[choice % enabled.size()]->trigger();
        }
        return;
    }
    if (open.objectName() == "nodeSearch") {
        // Types a word, then picks what matches, or gives up.
        static const std::array<const char*, 5> words{"noise", "mix", "bump", "zzz", ""};
        if (auto* field = open.findChild<QLineEdit*>()) {
            QTest::keyClicks(field, words[choice % words.size()]);
            QTest::keyClick(field, choice % 4 == 0 ? Qt::Key_Escape : Qt::Key_Return);
        }
        open.close();
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(&open);
    if (dialog == nullptr) {
        open.close();
        return;
    }
    if (auto* name = dialog->findChild<QLineEdit*>();
        name != nullptr && dialog->windowTitle() == "Rename node...") {
        static const std::array<const char*, 4> names{"Renamed", "", "A & B", "\xc3\xbc"};
        name->setText(QString::fromUtf8(names[choice % names.size()]));
    }
    for (Window* view : dialog->findChildren<Window*>()) {
        if (choice % 3 != 0) {
            const Point size = view->getClientSize();
            click(*view, Qt::LeftButton,
                  {static_cast<int>(choice % static_cast<std::uint32_t>(std::max(1, size.x))),
                   static_cast<int>((choice / 3) % static_cast<std::uint32_t>(std::max(1, size.y)))});
        }
    }
    switch (choice % 3) {
    case 0:
        dialog->accept();
        break;
    case 1:
        dialog->reject();
        break;
    default:
        dialog->close();
        break;
    }
}
