#pragma once

#include "gui/dialogs/Dialogs.h"

class QWidget;

// Dialogs answered by the user through Qt's message boxes and file dialogs, owned by `parent`.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    bool askYesNo(const std::string& caption, const std::string& text) override;
    void inform(const std::string& caption, const std::string& text) override;
    std::optional<std::string> askOpenFile(const FileQuestion& question) override;
    std::optional<std::string> askSaveFile(const FileQuestion& question) override;
    bool askOkCancel(const std::string& caption, const std::string& text) override;
    std::optional<int> askNumber(const std::string& caption, const std::string& text, int value, int minimum,
                                 int maximum) override;
    std::optional<bool> askYesNoCancel(const std::string& caption, const std::string& text) override;
    std::optional<std::string> askFolder(const std::string& title) override;
    std::size_t askChoice(const std::string& caption, const std::string& text,
                          const std::vector<std::string>& buttons) override;

private:
    QWidget* parent_;
};
