#include "gui/windows/ResultWindow.h"

#include "base/Exception.h"
#include "gui/dialogs/Dialogs.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/common/ShownName.h"
#include "gui/windows/ResultView.h"
#include "io/PngWriter.h"
#include "model/Completeness.h"
#include "model/Material.h"

#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

ResultWindow::ResultWindow(QWidget* parent, const Material& material, NodeId node,
                           ResultWindowRegistry& registry, Dialogs& dialogs)
    : HelperWindow(parent, false), material_(material), node_(node), registry_(registry), dialogs_(dialogs),
      view_(new ResultView(this, material, node)) {
    const VisualNode* shown = material.findNode(node);
    setWindowTitle("Result: " + (shown != nullptr ? shownName(shown->getName()) : QString()));
    setSizeGripEnabled(true);

    auto* menus = new QMenuBar(this);
    export_ = menus->addMenu("&File")->addAction("&Export bitmap...");
    tiled_ = menus->addMenu("&Options")->addAction("&Tiled");
    tiled_->setCheckable(true);
    tiled_->setChecked(true);
    connect(tiled_, &QAction::toggled, view_, &ResultView::setTiled);
    connect(export_, &QAction::triggered, this, &ResultWindow::exportBitmap);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menus);
    layout->addWidget(view_, 1);
    notCurrent_ = new QLabel(this);
    notCurrent_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    notCurrent_->setStyleSheet("color: #c81e1e; padding: 2px 6px;");
    notCurrent_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(notCurrent_);
    notCurrent_->hide(); // said after a render has finished

    resize(600, 400);
    registry_.addObserver(&redrawer_);
    show();
}

ResultWindow::~ResultWindow() {
    registry_.removeObserver(&redrawer_);
}

void ResultWindow::redraw() {
    view_->refresh();
    updateNotCurrent();
}

void ResultWindow::updateNotCurrent() {
    const VisualNode* node = material_.findNode(node_);
    const std::optional<std::string> why = node != nullptr ? whyNotCurrent(material_, *node) : std::nullopt;
    notCurrent_->setText(why ? QString::fromStdString("Not current: " + *why) : QString());
    notCurrent_->setVisible(why.has_value());
}

QString ResultWindow::getNotCurrentText() const {
    return notCurrent_->isVisible() ? notCurrent_->text() : QString();
}

// The image as shown (the copy taken when a render last finished, never one being written), saved as
// PNG through the renderer's writer (the alpha channel kept).
void ResultWindow::exportBitmap() {
    const VisualNode* node = material_.findNode(node_);
    if (node == nullptr) {
        return;
    }
    const std::optional<std::string> path =
        dialogs_.askSaveFile({"Export bitmap...", "PNG image (*.png)", "png"});
    if (!path) {
        return;
    }
    try {
        writePng(*path, view_->getShownPixels(), false);
    } catch (const Exception& e) {
        showException(dialogs_, e.getMessage());
    }
}
