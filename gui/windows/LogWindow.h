#pragma once

// A modeless window ("Log...", 600 x 400) listing the progress messages logged since it opened,
// each followed by a line end. Several may be open; each hears every new message.

#include "base/Events.h"
#include "gui/windows/HelperWindow.h"

#include <string>

class Progress;
class QPlainTextEdit;

class LogWindow : public HelperWindow {
    Q_OBJECT

public:
    // Opens at once.
    // With the editor's window as parent, so that it takes input while the editing run is modal.
    explicit LogWindow(Progress& reporter, QWidget* parent = nullptr);
    ~LogWindow() override;

    void addLine(const std::string& line);
    // Every line received, each followed by "\r\n".
    const std::string& getText() const { return text_; }

private:
    class Listener : public Event<const std::string&> {
    public:
        explicit Listener(LogWindow& window) : window_(window) {}
        void handle(const std::string& message) override { window_.addLine(message); }

    private:
        LogWindow& window_;
    };

    Progress& reporter_;
    Listener listener_{*this};
    std::string text_;
    QPlainTextEdit* edit_;
};
