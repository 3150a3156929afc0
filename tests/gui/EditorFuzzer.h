#pragma once

// The editor fuzzer: random sequences of what a user does, played on the real MainWindow (offscreen)
// with real mouse and key events, every dialog answered at random. After every step the material's
// file must load back to the same bytes and a successful packed export must be readable by the
// run-time reader; after a sequence, undoing everything gives the starting file, redoing everything
// the final one, and every complete collector equals a fresh headless render of the saved file.
//
// A sequence is fixed by its start and its steps, not by the editor's state: a step names nodes,
// widgets and answers by numbers taken modulo what is there when it runs. So a shorter list of the
// same steps still plays, which is what shrinking a failure relies on.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class FuzzAction : std::uint8_t {
    AddFromList,   // double-click a type in "Available nodes"
    ClickCanvas,   // left click on a node, a cable's middle or empty canvas
    DragCanvas,    // left drag from a node or empty canvas
    DrawCable,     // right click on a port, move, right click on a port or empty canvas
    Key,           // a key to the focused widget
    NodeMenu,      // right click on a node, then one of its menu's commands
    MainMenu,      // one command of the main window's menus
    PanelEdit,     // scroll bar, radio button, list, typing or the colour dialog of the panel
    Undo,          // Ctrl+Z
    Redo,          // Ctrl+Shift+Z
    CloseWindow,   // closes one open result, log, help or preview window
    WaitForRender, // lets a running render finish
    Wheel,         // mouse wheel notches over the canvas (zoom)
    CloseUp,       // wheel, drag, click, a key or a menu entry in an open result window or the preview
    Count
};

struct FuzzStep {
    FuzzAction action = FuzzAction::WaitForRender;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::uint32_t c = 0;
};

struct FuzzSequence {
    std::uint32_t start = 0; // the material: the default one or an example, its nodes large or not
    std::vector<FuzzStep> steps;
};

FuzzSequence randomSequence(std::uint64_t seed, int steps);
// One line for the start, one per step ("DrawCable 3 17 9"); the text form of a regression test.
std::string toText(const FuzzSequence& sequence);
std::optional<FuzzSequence> sequenceFromText(const std::string& text);

struct FuzzResult {
    std::optional<std::string> failure; // what broke, or nothing
    std::size_t stepsRun = 0;
};

// Plays the sequence on a new editor (a QApplication must exist) and checks every promise.
FuzzResult playSequence(const FuzzSequence& sequence);

// The shortest list found by removing steps whose removal keeps `fails` true (delta debugging).
FuzzSequence shrinkSequence(const FuzzSequence& failing, bool (*fails)(const FuzzSequence&));
