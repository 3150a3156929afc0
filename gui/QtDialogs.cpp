#include "gui/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

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
