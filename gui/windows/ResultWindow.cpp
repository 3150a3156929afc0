#include "gui/windows/ResultWindow.h"

#include "base/Exception.h"
#include "gui/closeup/HistogramView.h"
#include "gui/common/ShownName.h"
#include "gui/dialogs/Dialogs.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/windows/ResultStatus.h"
#include "gui/windows/ResultView.h"
#include "io/PngWriter.h"
#include "model/Completeness.h"
#include "model/Material.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

ResultWindow::ResultWindow(QWidget* parent, const Material& material, NodeId node,
                           ResultWindowRegistry& registry, Dialogs& dialogs)
    : HelperWindow(parent, false), material_(material), node_(node), registry_(registry), dialogs_(dialogs),
      view_(new ResultView(this, material, node)), histogram_(new HistogramView(this)),
      status_(new ResultStatus(this)) {
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
    buildCloseUpMenus(*menus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menus);
    layout->addWidget(view_, 1);
    layout->addWidget(histogram_);
    histogram_->hide();
    notCurrent_ = new QLabel(this);
    notCurrent_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    notCurrent_->setStyleSheet("color: #c81e1e; padding: 2px 6px;");
    notCurrent_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(notCurrent_);
    notCurrent_->hide(); // said after a render has finished
    layout->addWidget(status_);
    connect(view_, &ResultView::readoutChanged, this, [this] { status_->showStateOf(*view_); });
    status_->showStateOf(*view_);

    resize(600, 400);
    registry_.addObserver(&redrawer_);
    show();
}

ResultWindow::~ResultWindow() {
    registry_.removeObserver(&redrawer_);
}

void ResultWindow::buildCloseUpMenus(QMenuBar& menus) {
    const auto withKey = [this](QAction* action, Qt::Key key) {
        action->setText(action->text() + "\t" + QKeySequence(key).toString(QKeySequence::NativeText));
        keys_.emplace_back(key, action);
        return action;
    };
    QMenu* options = menus.actions().back()->menu();
    QAction* guides = options->addAction("Tile &guides");
    guides->setCheckable(true);
    connect(guides, &QAction::toggled, view_, &ResultView::setTileGuides);
    QAction* seam = withKey(options->addAction("&Seam check"), Qt::Key_S);
    seam->setCheckable(true);
    connect(seam, &QAction::toggled, view_, &ResultView::setSeamCheck);
    options->addSeparator();
    histogramShown_ = withKey(options->addAction("&Histogram"), Qt::Key_H);
    histogramShown_->setCheckable(true);
    connect(histogramShown_, &QAction::toggled, this, &ResultWindow::updateHistogram);
    connect(view_, &ResultView::pictureChanged, this, [this] {
        if (histogramShown_->isChecked()) {
            updateHistogram();
        }
    });

    QMenu* view = menus.addMenu("&View");
    const auto zoomBy = [this](int notches) {
        view_->zoomAt(notches, QPoint(view_->width() / 2, view_->height() / 2));
    };
    connect(withKey(view->addAction("Zoom &in"), Qt::Key_Plus), &QAction::triggered, this,
            [zoomBy] { zoomBy(1); });
    connect(withKey(view->addAction("Zoom &out"), Qt::Key_Minus), &QAction::triggered, this,
            [zoomBy] { zoomBy(-1); });
    connect(withKey(view->addAction("&Fit"), Qt::Key_F), &QAction::triggered, view_, &ResultView::fitPicture);
    connect(withKey(view->addAction("&Actual size"), Qt::Key_Z), &QAction::triggered, view_,
            &ResultView::showActualSize);

    QMenu* channels = menus.addMenu("&Channels");
    auto* group = new QActionGroup(this);
    const std::pair<const char*, Qt::Key> entries[] = {
        {"&Colour", Qt::Key_C}, {"&Red", Qt::Key_R},   {"&Green", Qt::Key_G},
        {"&Blue", Qt::Key_B},   {"&Alpha", Qt::Key_A}, {"Alpha over a c&hecker", Qt::Key_K}};
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        QAction* entry = withKey(channels->addAction(entries[i].first), entries[i].second);
        entry->setCheckable(true);
        entry->setChecked(i == 0);
        group->addAction(entry);
        connect(entry, &QAction::triggered, view_, [this, i] {
            view_->setChannel(static_cast<ChannelMode>(i));
            status_->showStateOf(*view_);
        });
    }
}

void ResultWindow::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        for (const auto& [key, action] : keys_) {
            if (key == event->key()) {
                action->trigger();
                return;
            }
        }
    }
    HelperWindow::keyPressEvent(event);
}

void ResultWindow::updateHistogram() {
    histogram_->setVisible(histogramShown_->isChecked());
    if (histogramShown_->isChecked()) {
        histogram_->setPicture(view_->getPicture());
    }
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
