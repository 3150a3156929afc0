#include "gui/canvas/CanvasPainter.h"

#include "base/Exception.h"
#include "gui/canvas/CanvasGeometry.h"
#include "gui/common/DesktopFaces.h"
#include "gui/common/ShownName.h"

#include <QBitmap>
#include <QLine>
#include <QPolygon>
#include <QString>
#include <vector>

namespace {

const QColor gridColour(190, 190, 190);
const QColor outlineColour(0, 0, 0);
const QColor cableOuterColour(40, 0, 0);
const QColor selectedCableOuterColour(0, 0, 0);
const QColor cableMiddleColour(187, 40, 40);
const QColor refusedCableMiddleColour(190, 190, 190);
const QColor cableInnerColour(255, 235, 235);
const QColor textColour(0, 0, 0);

constexpr Point logoPosition{13, 13};
constexpr int outlineWidth = 5;

QImage loadImage(const char* path) {
    QImage image(QString::fromLatin1(path));
    if (image.isNull()) {
        throw Exception("Error loading one of our bitmaps.");
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The port image keys its surroundings with pure red; the key becomes transparent before the image
// is stretched, so no red bleeds into the scaled edges.
QImage keyedPort() {
    QImage port = loadImage(":/port.png");
    const QImage key = port.createMaskFromColor(qRgb(255, 0, 0), Qt::MaskOutColor);
    port.setAlphaChannel(key);
    return port;
}

QRect toQRect(const Rect& rect, Point offset) {
    return {offset.x + rect.left, offset.y + rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

QPen strokePen(const QColor& colour, int width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

CanvasPainter::CanvasPainter()
    : background_(loadImage(":/node-background.png")), port_(keyedPort()), logo_(loadImage(":/logo.png")) {
    addDesktopFaces();
    const QString face = QStringLiteral("Tahoma");
    typeFont_ = cellHeightFont(face, 12, 600, true);
    labelFont_ = cellHeightFont(face, 13, 400);
    nameFont_ = labelFont_;
    sizeFont_ = labelFont_;
}

void CanvasPainter::paintBackground(QPainter& painter, Point viewSize, Point panning,
                                    const QColor& background) const {
    painter.fillRect(0, 0, viewSize.x, viewSize.y, background);

    // Crosses five pixels wide and high, centred on the grid points.
    std::vector<QLine> lines;
    for (int x = firstGridLine(panning.x); x < viewSize.x; x += gridSpacing) {
        for (int y = firstGridLine(panning.y); y < viewSize.y; y += gridSpacing) {
            lines.emplace_back(x - 2, y, x + 2, y);
            lines.emplace_back(x, y - 2, x, y + 2);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(gridColour, 1));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));

    painter.drawImage(logoPosition.x, logoPosition.y, logo_);
}

void CanvasPainter::paintNode(QPainter& painter, const VisualNode& node, Point position,
                              bool selected) const {
    const QRect box = toQRect(nodeBox, position);
    if (selected) {
        // The outline's path runs 2 pixels outside the box, its stroke centred on pixel centres.
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(outlineColour, outlineWidth));
        painter.setBrush(Qt::NoBrush);
        const QRectF path(box.left() - 2 + 0.5, box.top() - 2 + 0.5, box.width() + 3, box.height() + 3);
        painter.drawRoundedRect(path, 2, 2);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    painter.drawImage(box.topLeft(), background_);

    const int inputCount = node.getInputCount();
    if (node.hasOutput()) {
        paintPort(painter, position, -1, inputCount);
    }
    painter.setPen(textColour);
    painter.setFont(labelFont_);
    for (int port = 0; port < inputCount; ++port) {
        paintPort(painter, position, port, inputCount);
        const Rect rect = portRect(port, inputCount);
        const Rect label{rect.right + 4, rect.top - 2, nodeBox.right - 13, rect.bottom};
        painter.drawText(toQRect(label, position), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(node.getInputName(port)));
    }

    painter.setFont(typeFont_);
    painter.drawText(toQRect({5, 6, nodeBox.right - 5, 23}, position), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromStdString(node.getTypeName()));
    painter.setFont(nameFont_);
    painter.drawText(toQRect({0, -20, nodeBox.right, 0}, position),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, shownName(node.getName()));
    const Point size = node.getSize();
    painter.setFont(sizeFont_);
    painter.drawText(toQRect({0, nodeBox.bottom, nodeBox.right, nodeBox.bottom + 20}, position),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("%1 x %2").arg(size.x).arg(size.y));
}

QRect CanvasPainter::thumbnailArea(Point position, int inputCount) {
    // Inside the body (below the type name's header), clear of the ports, their labels and the edges.
    const int top = inputCount == 0 ? 31 : portRect(inputCount - 1, inputCount).bottom + 3;
    return QRect(position.x + 18, position.y + top, 66, nodeBox.bottom - 5 - top);
}

void CanvasPainter::paintThumbnail(QPainter& painter, const QImage& thumbnail, Point position,
                                   int inputCount) const {
    const QRect area = thumbnailArea(position, inputCount);
    const QRect placed(area.left() + (area.width() - thumbnail.width()) / 2,
                       area.top() + (area.height() - thumbnail.height()) / 2, thumbnail.width(),
                       thumbnail.height());
    painter.drawImage(placed.topLeft(), thumbnail);
    painter.setPen(QColor(120, 124, 132));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(placed.adjusted(-1, -1, 0, 0));
}

void CanvasPainter::paintPackedBytes(QPainter& painter, std::size_t bytes, Point position) const {
    painter.setFont(sizeFont_);
    painter.setPen(QColor(96, 64, 72));
    painter.drawText(toQRect({0, nodeBox.bottom, nodeBox.right, nodeBox.bottom + 20}, position),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QStringLiteral("%1 B").arg(bytes));
}

void CanvasPainter::paintPort(QPainter& painter, Point position, int port, int inputCount) const {
    painter.drawImage(toQRect(portRect(port, inputCount), position), port_);
}

void CanvasPainter::paintCable(QPainter& painter, const CableCurve& curve, bool selected,
                               CableTarget target) const {
    QPolygon polyline;
    polyline.reserve(static_cast<int>(curve.size()));
    for (const Point point : curve) {
        polyline << QPoint(point.x, point.y);
    }
    painter.save();
    painter.setBrush(Qt::NoBrush);
    // The wide strokes are smoothed and centred on pixel centres, where the one-pixel inner stroke
    // lies, which stays sharp.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(0.5, 0.5);
    painter.setPen(strokePen(selected ? selectedCableOuterColour : cableOuterColour, selected ? 12 : 6));
    painter.drawPolyline(polyline);
    painter.setPen(
        strokePen(target == CableTarget::Refusing ? refusedCableMiddleColour : cableMiddleColour, 4));
    painter.drawPolyline(polyline);
    painter.translate(-0.5, -0.5);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(cableInnerColour, 1));
    painter.drawPolyline(polyline);
    painter.restore();
}
