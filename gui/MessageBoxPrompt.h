#pragma once

#include "io/Prompt.h"

class QWidget;

// The file layer's questions as message boxes owned by a window.
class MessageBoxPrompt : public Prompt {
public:
    explicit MessageBoxPrompt(QWidget* owner = nullptr) : owner_(owner) {}

    bool askYesNo(const std::string& caption, const std::string& text) override;
    void inform(const std::string& caption, const std::string& text) override;

private:
    QWidget* owner_;
};
