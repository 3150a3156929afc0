#include "app/CliPrompt.h"

#include "app/TerminalText.h"

namespace {

// The loader's texts end their question with "\n\r"; on a terminal a lone CR would overwrite the line,
// and the names they quote come from the file.
std::string oneLine(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\r') {
            continue;
        }
        result += c == '\n' ? ' ' : c;
    }
    return escapeControlCharacters(result);
}

} // namespace

bool CliPrompt::askYesNo(const std::string& /*caption*/, const std::string& text) {
    questions_.emplace_back(oneLine(text), !strict_);
    if (strict_) {
        refused_ = true;
        err_ << "velvor-render: error: " << oneLine(text) << " No (--strict)\n";
        return false;
    }
    err_ << "velvor-render: warning: " << oneLine(text) << " Yes\n";
    return true;
}

void CliPrompt::inform(const std::string& /*caption*/, const std::string& text) {
    failed_ = true;
    messages_.push_back(oneLine(text));
    err_ << "velvor-render: error: " << oneLine(text) << "\n";
}
