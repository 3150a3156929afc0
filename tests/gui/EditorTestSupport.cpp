#include "EditorTestSupport.h"

#include <QTimer>
#include <gtest/gtest.h>

void whileModal(std::function<void(QWidget* dialog)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}
