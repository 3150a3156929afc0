#include "gui/dialogs/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

} // namespace

bool QtDialogs::askYesNo(const std::string& caption, const std::string& text) {
    return QMessageBox::question(parent_, qt(caption), qt(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtDialogs::inform(const std::string& caption, const std::string& text) {
    QMessageBox::information(parent_, qt(caption), qt(text));
}

std::optional<std::string> QtDialogs::askOpenFile(const FileQuestion& question) {
    return chosen(QFileDialog::getOpenFileName(parent_, qt(question.title), QString(), qt(question.filter)));
}

std::optional<std::string> QtDialogs::askSaveFile(const FileQuestion& question) {
    QFileDialog dialog(parent_, qt(question.title), QString(), qt(question.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(qt(question.extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return chosen(dialog.selectedFiles().front());
}

bool QtDialogs::askOkCancel(const std::string& caption, const std::string& text) {
    return QMessageBox::warning(parent_, qt(caption), qt(text), QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

std::optional<bool> QtDialogs::askYesNoCancel(const std::string& caption, const std::string& text) {
    const auto answer = QMessageBox::question(parent_, qt(caption), qt(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) {
        return std::nullopt;
    }
    return answer == QMessageBox::Yes;
}

std::optional<int> QtDialogs::askNumber(const std::string& caption, const std::string& text, int value,
                                        int minimum, int maximum) {
    bool ok = false;
    const int number = QInputDialog::getInt(parent_, qt(caption), qt(text), value, minimum, maximum, 1, &ok);
    return ok ? std::optional(number) : std::nullopt;
}

std::size_t QtDialogs::askChoice(const std::string& caption, const std::string& text,
                                 const std::vector<std::string>& buttons) {
    QMessageBox box(QMessageBox::Question, qt(caption), qt(text), QMessageBox::NoButton, parent_);
    std::vector<QAbstractButton*> added;
    for (const std::string& button : buttons) {
        added.push_back(box.addButton(qt(button), QMessageBox::AcceptRole));
    }
    if (!added.empty()) {
        box.setDefaultButton(static_cast<QPushButton*>(added.front()));
        box.setEscapeButton(added.back());
    }
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen != added.end() ? static_cast<std::size_t>(chosen - added.begin()) : buttons.size() - 1;
}

std::optional<std::string> QtDialogs::askFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(parent_, qt(title));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder.toStdString();
}
