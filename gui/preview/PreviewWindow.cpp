#include "gui/preview/PreviewWindow.h"

#include "core/operators/Collector.h"
#include "gui/common/ImageConversion.h"
#include "gui/preview/LitPicture.h"
#include "gui/windows/ResultWindow.h"
#include "model/Material.h"

#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

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

PreviewView::PreviewView(QWidget* parent, const Material& material) : Window(parent), material_(material) {
    setMouseTracking(true);
    connect(&shader_, &PreviewShader::frameShown, this, qOverload<>(&QWidget::update));
}

void PreviewView::setTiled(bool tiled) {
    tiled_ = tiled;
    redraw();
}

void PreviewView::setLight(QPoint viewPoint) {
    lightAt_ = viewPoint;
    if (!problem_) {
        shader_.moveLight(viewPoint);
    }
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
        shader_.setMaps(colours, normals->getOperator().getImage(),
                        specular != nullptr ? &specular->getOperator().getImage() : nullptr);
        shader_.moveLight(lightAt_.value_or(QPoint(colours.getWidth() / 2, colours.getHeight() / 2)));
    }
    redraw();
}

void PreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (problem_) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, *problem_);
        return;
    }
    paintTiled(painter, shader_.getFrame(), size(), tiled_);
}

void PreviewView::mouseMoveEvent(QMouseEvent* event) {
    setLight(event->position().toPoint());
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
    layout->setMenuBar(menus);
    layout->addWidget(view_);
    resize(600, 400);
    registry_.addObserver(&refresher_);
    view_->refresh();
    show();
}

PreviewWindow::~PreviewWindow() {
    registry_.removeObserver(&refresher_);
}
