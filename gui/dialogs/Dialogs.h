#pragma once

// Every question the editor puts to the user goes through this interface: the loader's Yes/No
// questions and messages (Prompt), file names, OK/Cancel warnings and error boxes. The program
// answers with Qt's dialogs (QtDialogs); tests answer from a script, so nothing ever blocks them.

#include "io/Prompt.h"

#include <optional>
#include <string>
#include <vector>

struct FileQuestion {
    std::string title;     // the dialog's title
    std::string filter;    // one filter, e.g. "Ostra material (*.ostra-material)"
    std::string extension; // added to a name given without one, e.g. "ostra-material"
};

class Dialogs : public Prompt {
public:
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> askOpenFile(const FileQuestion& question) = 0;
    // As askOpenFile; the dialog asks before a file is overwritten.
    virtual std::optional<std::string> askSaveFile(const FileQuestion& question) = 0;
    // A warning with OK and Cancel; true for OK.
    virtual bool askOkCancel(const std::string& caption, const std::string& text) = 0;
    // A whole number between `minimum` and `maximum`, starting at `value`; nothing for Cancel.
    virtual std::optional<int> askNumber(const std::string& caption, const std::string& text, int value,
                                         int minimum, int maximum) = 0;
    // A question with Yes, No and Cancel: true, false, or nothing for Cancel.
    virtual std::optional<bool> askYesNoCancel(const std::string& caption, const std::string& text) = 0;
    // An existing folder, or nothing when the user cancels.
    virtual std::optional<std::string> askFolder(const std::string& title) = 0;
    // A question answered with one of the buttons, named in order; the index of the one chosen (the
    // last when the box is closed otherwise).
    virtual std::size_t askChoice(const std::string& caption, const std::string& text,
                                  const std::vector<std::string>& buttons) = 0;
};
