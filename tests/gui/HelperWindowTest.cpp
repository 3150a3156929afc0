#include "gui/windows/HelperWindow.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

TEST(HelperWindowTest, OpenWindowsAreListedInOrderAndCloseAllDeletesThem) {
    HelperWindow::closeAll(); // nothing open: nothing happens
    QPointer<HelperWindow> first = new HelperWindow(nullptr, false);
    QPointer<HelperWindow> second = new HelperWindow(nullptr, false);
    QPointer<HelperWindow> third = new HelperWindow(nullptr, false);
    EXPECT_TRUE(HelperWindow::openWindows().empty()); // listed from the moment they open
    for (HelperWindow* window : {first.data(), second.data(), third.data()}) {
        EXPECT_EQ(window->show(), 0);
    }
    EXPECT_EQ(HelperWindow::openWindows(), (std::vector<HelperWindow*>{first, second, third}));
    EXPECT_FALSE(first->windowIcon().isNull());

    // Closed by its title bar: deleted (when control is back in the event loop) and off the list.
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(HelperWindow::openWindows(), (std::vector<HelperWindow*>{first, third}));

    HelperWindow::closeAll();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(third.isNull());
    EXPECT_TRUE(HelperWindow::openWindows().empty());
}

TEST(HelperWindowTest, AModalWindowReturnsItsResultWhenItEnds) {
    auto* window = new HelperWindow(nullptr, true);
    QPointer<HelperWindow> watch = window;
    QTimer::singleShot(0, window, [window] {
        EXPECT_EQ(HelperWindow::openWindows().size(), 1u);
        window->accept();
    });
    EXPECT_EQ(window->show(), QDialog::Accepted);
    // Like every helper window it is gone once it has ended.
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(HelperWindow::openWindows().empty());
}
