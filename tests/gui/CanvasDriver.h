#pragma once

// Drives a canvas as a user would, with mouse events at screen points, and records what its four
// event lists fire.

#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/CanvasZoom.h"
#include "gui/canvas/NodesView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

inline void sendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
                      Point p, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF local(p.x, p.y);
    QMouseEvent event(type, local, widget.mapToGlobal(local), button, held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

inline void click(QWidget& widget, Qt::MouseButton button, Point p,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(widget, QEvent::MouseButtonPress, button, button, p, modifiers);
    sendMouse(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, p, modifiers);
}

// Presses the left button at `from`, moves to `to` in three steps, releases.
inline void drag(QWidget& widget, Point from, Point to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(widget, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from, modifiers);
    for (int step = 1; step <= 3; ++step) {
        const Point p{from.x + (to.x - from.x) * step / 3, from.y + (to.y - from.y) * step / 3};
        sendMouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, p, modifiers);
    }
    sendMouse(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to, modifiers);
}

inline void hover(QWidget& widget, Point p) {
    sendMouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, p);
}

// Where a point relative to the node's top-left corner is on the screen.
// A point relative to a node's corner in the view's unscaled points, and in pixels at its zoom.
inline Point unscaledOnScreen(const NodesView& view, const VisualNode& node, Point relative) {
    return {node.getPosition().x + view.getPanning().x + relative.x,
            node.getPosition().y + view.getPanning().y + relative.y};
}

inline Point onScreen(const NodesView& view, const VisualNode& node, Point relative) {
    return pixelOf(unscaledOnScreen(view, node, relative), view.getZoom());
}

inline Point portCentreOnScreen(const NodesView& view, const VisualNode& node, int port) {
    return onScreen(view, node, portRect(port, node.getInputCount()).centre());
}

// Runs `answer` on the next modal dialog or menu once it is open (from inside its event loop).
inline void whenOpen(std::function<void(QWidget&)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* open = QApplication::activePopupWidget();
        if (open == nullptr) {
            open = QApplication::activeModalWidget();
        }
        if (open != nullptr) {
            answer(*open);
        }
    });
}

// Every event the canvas fires, in order, by list name; resize payloads kept aside.
struct EventLog {
    template <typename... Payload> struct Listener : Event<Payload...> {
        Listener(EventLog& log, const char* name) : log(log), name(name) {}
        void handle(Payload... payload) override {
            log.fired.push_back(name);
            if constexpr ((std::is_same_v<Payload, Point> && ...) && sizeof...(Payload) == 1) {
                log.sizes.push_back(payload...);
            }
        }
        EventLog& log;
        const char* name;
    };

    explicit EventLog(NodesView& view) {
        view.getSelectionEvents().add(&selection);
        view.getChangeEvents().add(&change);
        view.getProbeEvents().add(&probe);
        view.getResizeEvents().add(&resize);
    }

    std::vector<std::string> fired;
    std::vector<Point> sizes;
    Listener<const VisualNode*> selection{*this, "selection"}, probe{*this, "probe"};
    Listener<> change{*this, "change"};
    Listener<Point> resize{*this, "resize"};
};
