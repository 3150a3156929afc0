#include "gui/editors/ColourWindow.h"

#include "gui/editors/ColourAxes.h"
#include "gui/editors/ColourViews.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

using Velvor::Pixel;

namespace {

// The dialog is laid out in dialog units of its 8-point face: a unit is a quarter of the face's
// average character width (6 pixels) across and an eighth of its height (13 pixels) down, rounded
// to the nearest pixel.
int across(int units) {
    return static_cast<int>(std::lround(units * 6 / 4.0));
}
int down(int units) {
    return static_cast<int>(std::lround(units * 13 / 8.0));
}
QRect unitRect(int x, int y, int width, int height) {
    return QRect(across(x), down(y), across(width), down(height));
}

template <class Control> Control* place(Control* control, QRect rectangle) {
    control->setGeometry(rectangle);
    return control;
}

QLabel* staticText(QWidget* dialog, const QString& text, QRect rectangle) {
    return place(new QLabel(text, dialog), rectangle);
}

QLabel* sunkenText(QWidget* dialog, QRect rectangle) {
    QLabel* label = staticText(dialog, QStringLiteral("?, ?, ?"), rectangle);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

ColourWindow::ColourWindow(QWidget* parent, Pixel colour)
    : HelperWindow(parent, true), starting_(colour), current_(colour) {
    setWindowTitle(QStringLiteral("Pick your colour..."));
    QFont face(QStringLiteral("Tahoma"));
    face.setPointSize(8);
    setFont(face);
    setFixedSize(across(328), down(186));
    buildControls();
}

ColourWindow::~ColourWindow() {
    // The views announce to the observer; they go first.
    delete largeView_;
    delete smallView_;
    delete selectedView_;
}

void ColourWindow::buildControls() {
    staticText(this, QStringLiteral("Select your colour:"), unitRect(6, 6, 120, 8));

    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), unitRect(270, 18, 50, 14));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ColourWindow::accept);
    auto* cancel = place(new QPushButton(QStringLiteral("Cancel"), this), unitRect(270, 36, 50, 14));
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QPushButton::clicked, this, &ColourWindow::reject);

    // There is no HSV model: its buttons and texts are present and disabled.
    auto* hsvButtons = new QButtonGroup(this);
    const QRect hsvPlaces[] = {unitRect(234, 72, 21, 10), unitRect(264, 72, 20, 10),
                               unitRect(294, 72, 20, 10)};
    const QString hsvNames[] = {QStringLiteral("H"), QStringLiteral("S"), QStringLiteral("V")};
    for (int i = 0; i < 3; ++i) {
        auto* button = place(new QRadioButton(hsvNames[i], this), hsvPlaces[i]);
        button->setEnabled(false);
        hsvButtons->addButton(button);
    }

    axisButtons_ = new QButtonGroup(this);
    const QRect rgbPlaces[] = {unitRect(234, 84, 21, 10), unitRect(264, 84, 21, 10),
                               unitRect(294, 84, 20, 10)};
    const QString rgbNames[] = {QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B")};
    for (int i = 0; i < 3; ++i) {
        auto* button = place(new QRadioButton(rgbNames[i], this), rgbPlaces[i]);
        button->setObjectName(QStringLiteral("axis") + rgbNames[i]);
        axisButtons_->addButton(button, i);
    }
    connect(axisButtons_, &QButtonGroup::idClicked, this, &ColourWindow::setAxis);

    staticText(this, QStringLiteral("HSV:"), unitRect(216, 109, 18, 8))->setEnabled(false);
    sunkenText(this, unitRect(234, 108, 85, 11))->setEnabled(false);
    staticText(this, QStringLiteral("RGB:"), unitRect(216, 124, 18, 8));
    rgbText_ = sunkenText(this, unitRect(234, 123, 85, 11));
    rgbText_->setObjectName(QStringLiteral("rgbText"));
    staticText(this, QStringLiteral("#:"), unitRect(216, 166, 18, 8));
    hexText_ = place(new QLineEdit(this), unitRect(234, 165, 85, 12));
    hexText_->setObjectName(QStringLiteral("hexText"));
    hexText_->setReadOnly(true);
    hexText_->setAlignment(Qt::AlignCenter);
}

void ColourWindow::onInitDialog() {
    largeView_ = new LargeView(this, Point{8, 29}, Point{259, 259});
    largeView_->setObjectName(QStringLiteral("largeView"));
    largeView_->setColour(current_);
    largeView_->setAxis(0);
    largeView_->getColourEvents().add(&observer_);

    smallView_ = new SmallView(this, Point{273, 29}, Point{40, 259});
    smallView_->setObjectName(QStringLiteral("smallView"));
    smallView_->setColour(current_);
    smallView_->setAxis(0);
    smallView_->getColourEvents().add(&observer_);

    selectedView_ = new SelectedView(this, Point{320, 29}, Point{62, 70}, starting_);
    selectedView_->setObjectName(QStringLiteral("selectedView"));
    selectedView_->setColour(current_);
    selectedView_->getColourEvents().add(&observer_);

    axisButtons_->button(0)->setChecked(true);
    setColour(current_);
}

void ColourWindow::setColour(Pixel colour) {
    // The views exist from the moment the dialog opens.
    if (largeView_ != nullptr) {
        largeView_->setColour(colour);
        smallView_->setColour(colour);
        selectedView_->setColour(colour);
        largeView_->redraw();
        smallView_->redraw();
        selectedView_->redraw();
    }

    const int red = ColourAxes::channel(colour, ColourAxes::redShift);
    const int green = ColourAxes::channel(colour, ColourAxes::greenShift);
    const int blue = ColourAxes::channel(colour, ColourAxes::blueShift);
    rgbText_->setText(QStringLiteral("%1, %2, %3").arg(red).arg(green).arg(blue));
    hexText_->setText(QStringLiteral("%1%2%3")
                          .arg(red, 2, 16, QLatin1Char('0'))
                          .arg(green, 2, 16, QLatin1Char('0'))
                          .arg(blue, 2, 16, QLatin1Char('0'))
                          .toUpper());
    current_ = colour;
    colourEvents_.fire(current_);
}

void ColourWindow::setAxis(int axis) {
    if (largeView_ == nullptr) {
        return;
    }
    largeView_->setAxis(axis);
    smallView_->setAxis(axis);
    largeView_->redraw();
    smallView_->redraw();
}

void ColourWindow::reject() {
    if (!closingByTitleBar_) {
        current_ = starting_;
        colourEvents_.fire(current_);
    }
    HelperWindow::reject();
}

void ColourWindow::closeEvent(QCloseEvent* event) {
    // The dialog's own close ends it as rejected; from the title bar that must not restore.
    closingByTitleBar_ = true;
    HelperWindow::closeEvent(event);
}
