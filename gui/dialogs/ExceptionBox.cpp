#include "gui/dialogs/ExceptionBox.h"

#include <QMessageBox>

namespace {

const std::string preface = "You just received a nice exception, with the following message:\n";

} // namespace

void showException(Dialogs& dialogs, const std::string& message) {
    dialogs.inform("Exception", preface + message);
}

void showException(QWidget* parent, const std::string& message) {
    QMessageBox::critical(parent, QStringLiteral("Exception"), QString::fromStdString(preface + message));
}
