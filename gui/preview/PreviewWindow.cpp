#include "gui/preview/PreviewWindow.h"

#include "core/operators/Collector.h"
#include "gui/common/ImageConversion.h"
#include "gui/preview/LitPicture.h"
#include "gui/windows/ResultWindow.h"
#include "model/Material.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int diffuseSlot = 0;
constexpr int specularSlot = 3;
constexpr int normalSlot = 4;

const VisualNode* collectorOfSlot(const Material& material, int slot) {
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const VisualNode& node = material.getNode(i);
        if (node.getTypeId() == 0 &&
            static_cast<const Velvor::Collector&>(node.getOperator()).index == slot) {
            return &node;
        }
    }
    return nullptr;
}

QString sizeText(const Velvor::Image& image) {
    return QString("%1 x %2").arg(image.getWidth()).arg(image.getHeight());
}

} // namespace

PreviewView::PreviewView(QWidget* parent, const Material& material)
    : CloseUpView(parent), material_(material) {
    connect(&shader_, &PreviewShader::frameShown, this, [this] { setPicture(shader_.getFrame()); });
    connect(this, &CloseUpView::pointed, this, &PreviewView::setLight);
    // The light stays under the mouse: the picture point there changes with zoom and pan.
    connect(this, &CloseUpView::transformChanged, this, [this] {
        if (!problem_ && lightAt_) {
            shader_.moveLight(lightPoint());
        }
    });
}

QPoint PreviewView::lightPoint() const {
    if (!lightAt_) {
        return {mapSize_.width() / 2, mapSize_.height() / 2};
    }
    const ViewPoint at = toPicture(getTransform(), {lightAt_->x() + 0.5, lightAt_->y() + 0.5});
    return {static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y))};
}

void PreviewView::setLight(QPoint viewPoint) {
    lightAt_ = viewPoint;
    if (!problem_) {
        shader_.moveLight(lightPoint());
    }
}

void PreviewView::setLightShape(LightShape shape) {
    shader_.setLightShape(shape);
}

Velvor::Image PreviewView::getShaded() const {
    return imageOfPicture(shader_.getFrame());
}

void PreviewView::refresh() {
    problem_.reset();
    const VisualNode* diffuse = collectorOfSlot(material_, diffuseSlot);
    const VisualNode* normals = collectorOfSlot(material_, normalSlot);
    const VisualNode* specular = collectorOfSlot(material_, specularSlot);
    if (diffuse == nullptr || normals == nullptr) {
        problem_ = QString("The preview needs a Diffuse map collector (slot 0) and a Normal map collector "
                           "(slot 4); this material has no %1.")
                       .arg(diffuse == nullptr ? "Diffuse map" : "Normal map");
    } else if (!diffuse->getOperator().getImage().sameSizeAs(normals->getOperator().getImage())) {
        problem_ = QString("The Diffuse map is %1 but the Normal map is %2; the preview needs one size.")
                       .arg(sizeText(diffuse->getOperator().getImage()),
                            sizeText(normals->getOperator().getImage()));
    } else if (specular != nullptr &&
               !specular->getOperator().getImage().sameSizeAs(diffuse->getOperator().getImage())) {
        problem_ = QString("The Specular map is %1 but the Diffuse map is %2; the preview needs one size.")
                       .arg(sizeText(specular->getOperator().getImage()),
                            sizeText(diffuse->getOperator().getImage()));
    } else if (diffuse->getOperator().getImage().getPixelCount() == 0) {
        problem_ = QString("The Diffuse map has no pixels.");
    }
    if (!problem_) {
        const Velvor::Image& colours = diffuse->getOperator().getImage();
        mapSize_ = QSize(colours.getWidth(), colours.getHeight());
        shader_.setMaps(colours, normals->getOperator().getImage(),
                        specular != nullptr ? &specular->getOperator().getImage() : nullptr);
        shader_.moveLight(lightPoint());
    }
    redraw();
}

void PreviewView::paintEvent(QPaintEvent* event) {
    if (!problem_) {
        CloseUpView::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, *problem_);
}

PreviewWindow::PreviewWindow(QWidget* parent, const Material& material, ResultWindowRegistry& registry)
    : HelperWindow(parent, false), registry_(registry), view_(new PreviewView(this, material)) {
    setWindowTitle("Preview");
    setSizeGripEnabled(true);
    auto* menus = new QMenuBar(this);
    tiled_ = menus->addMenu("&Options")->addAction("&Tiled");
    tiled_->setCheckable(true);
    tiled_->setChecked(true);
    connect(tiled_, &QAction::toggled, view_, &PreviewView::setTiled);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menus);
    layout->addWidget(view_, 1);
    layout->addWidget(lightControls());
    resize(600, 400);
    registry_.addObserver(&refresher_);
    view_->refresh();
    show();
}

// "Light height" and "Strength" sliders, and the zoom, in a row under the picture.
QWidget* PreviewWindow::lightControls() {
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(6, 2, 6, 2);
    const auto slider = [row, line, this](const QString& label, int lowest, int highest, int value) {
        auto* name = new QLabel(label, row);
        auto* bar = new QSlider(Qt::Horizontal, row);
        bar->setRange(lowest, highest);
        bar->setValue(value);
        bar->setFocusPolicy(Qt::NoFocus); // the keys stay the picture's
        name->setBuddy(bar);
        line->addWidget(name);
        line->addWidget(bar, 1);
        connect(bar, &QSlider::valueChanged, this, &PreviewWindow::shapeChanged);
        return bar;
    };
    const LightShape standard;
    height_ = slider("Light &height", 5, 200, static_cast<int>(standard.height * 100));
    strength_ = slider("&Strength", 0, 200, static_cast<int>(standard.strength * 100));
    zoom_ = new QLabel("100%", row);
    zoom_->setMinimumWidth(zoom_->fontMetrics().horizontalAdvance("6.25%  "));
    zoom_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(zoom_);
    connect(view_, &CloseUpView::transformChanged, zoom_,
            [this] { zoom_->setText(QString::number(view_->getTransform().zoom * 100, 'g', 4) + "%"); });
    return row;
}

void PreviewWindow::shapeChanged() {
    view_->setLightShape(
        {static_cast<float>(height_->value()) / 100.0f, static_cast<float>(strength_->value()) / 100.0f});
}

PreviewWindow::~PreviewWindow() {
    registry_.removeObserver(&refresher_);
}
