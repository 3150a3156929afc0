#pragma once

// One editor of the fuzzer, played step by step: the actions a step names (FuzzActions.cpp) and the
// promises checked after each step and at the end (FuzzSession.cpp).

#include "EditorFuzzer.h"
#include "FuzzDialogs.h"
#include "Sanitizers.h"
#include "WindowParts.h"
#include "gui/document/MaterialFile.h"
#include "gui/main/MainWindow.h"

#include <QScrollBar>
#include <QTimer>
#include <QVariantMap>
#include <array>
#include <optional>
#include <random>
#include <string>

// What a sequence starts from: the default material or one of the examples. Starts beyond these are
// the same materials with every node at largeNodeSide a side: their renders last long enough (tens to
// hundreds of milliseconds) for the steps that follow to cut into them.
inline constexpr std::array<const char*, 4> startingMaterials{"", "tiles", "metal-plate", "labelled-panel"};
inline constexpr std::uint32_t startCount = 2 * startingMaterials.size();
#if defined(VELVOR_ANY_SANITIZER)
inline constexpr int largeNodeSide = 1024; // renders several times slower already
#else
inline constexpr int largeNodeSide = 2048;
#endif

// One editor, played step by step.
class Session {
public:
    explicit Session(std::uint32_t start);

    ~Session();

    void play(const FuzzStep& step);

    // The promises that hold after every step; the first broken one.
    std::optional<std::string> checkStep();

    std::optional<std::string> checkEnd();

private:
    std::optional<std::string> compareWithFreshRender(const std::string& xml);

    void guardedStep(const FuzzStep& step);

    NodesView& canvas() { return canvasOf(window_); }
    Material& material() { return window_.getDocument().getMaterial(); }

    const VisualNode* nodeNumber(std::uint32_t n);
    static Qt::KeyboardModifiers modifiersOf(std::uint32_t n);

    // A point on node n's box, or on empty canvas when the material has no node.
    Point pointOnNode(std::uint32_t n, std::uint32_t offset);

    Point pointInView(std::uint32_t n);

    // A port of node n (the output or an input), or empty canvas.
    Point portPoint(std::uint32_t n);

    void act(const FuzzStep& step);

    Point cableMiddle(std::uint32_t n);

    void pressKey(std::uint32_t n);

    // FuzzCloseUp.cpp
    void lookClosely(const FuzzStep& step);

    void triggerMenuCommand(std::uint32_t n);

    void editPanel(const FuzzStep& step);

    static void moveScrollBar(QScrollBar& bar, std::uint32_t how, std::uint32_t where);

    // Answers whatever modal dialog or menu is open, from inside its event loop, later in that loop so
    // that a dialog the answer opens is answered in turn.
    void answerModal();

    void answer(QWidget& open, std::uint32_t choice);

    FuzzDialogs dialogs_;
    MaterialData data_;
    MaterialFile file_;
    MainWindow window_;
    std::string startXml_;
    std::mt19937 random_;
    QTimer answerer_;
    bool answering_ = false;
    QVariantMap settingsBefore_;
};
