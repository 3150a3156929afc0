#include "gui/MessageBoxPrompt.h"

#include <QMessageBox>

bool MessageBoxPrompt::askYesNo(const std::string& caption, const std::string& text) {
    return QMessageBox::question(owner_, QString::fromStdString(caption), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompt::inform(const std::string& caption, const std::string& text) {
    QMessageBox::warning(owner_, QString::fromStdString(caption), QString::fromStdString(text));
}
