#include "gui/ExceptionBox.h"

#include <QMessageBox>

void showException(QWidget* parent, const std::string& message) {
    QMessageBox::critical(
        parent, QStringLiteral("Exception"),
        QStringLiteral("You just received a nice exception, with the following message:\n") +
            QString::fromStdString(message));
}
