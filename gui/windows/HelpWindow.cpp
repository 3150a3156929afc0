#include "gui/windows/HelpWindow.h"

#include "base/Exception.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : HelperWindow(parent, false), browser_(new QTextBrowser(this)) {
    setWindowTitle("ostra.Tools: Velvor / Help");
    setSizeGripEnabled(true);
    QFile document(":/help.html");
    if (!document.open(QIODevice::ReadOnly)) {
        throw Exception("The help document could not be read.");
    }
    browser_->setHtml(QString::fromUtf8(document.readAll()));
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDocumentMargin(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(600, 400);
    show();
    // From the start, nothing selected.
    QTextCursor start = browser_->textCursor();
    start.movePosition(QTextCursor::Start);
    browser_->setTextCursor(start);
    browser_->ensureCursorVisible();
}
