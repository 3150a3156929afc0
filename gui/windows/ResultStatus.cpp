#include "gui/windows/ResultStatus.h"

#include "gui/windows/ResultView.h"

#include <QStringList>
#include <cmath>

namespace {

QString channelName(ChannelMode mode) {
    switch (mode) {
    case ChannelMode::Red:
        return "red";
    case ChannelMode::Green:
        return "green";
    case ChannelMode::Blue:
        return "blue";
    case ChannelMode::Alpha:
        return "alpha";
    case ChannelMode::AlphaOverChecker:
        return "alpha over a checker";
    case ChannelMode::Colour:
        break;
    }
    return "colour";
}

// "400%", "6.25%": whole percentages where they are whole.
QString zoomText(double zoom) {
    const double percent = zoom * 100;
    return (std::abs(percent - std::round(percent)) < 1e-6 ? QString::number(std::lround(percent))
                                                           : QString::number(percent, 'f', 2)) +
           "%";
}

} // namespace

ResultStatus::ResultStatus(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setStyleSheet("padding: 2px 6px;");
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextFormat(Qt::PlainText);
}

void ResultStatus::showStateOf(const ResultView& view) {
    QStringList first;
    if (view.isShowingBefore()) {
        first << (view.hasBefore() ? "Before the last change" : "No earlier picture");
    }
    first << zoomText(view.getTransform().zoom) << channelName(view.getChannel());
    if (const QString hover = view.hoverText(); !hover.isEmpty()) {
        first << hover;
    }
    QStringList second;
    const QString pinned = view.pinnedText();
    second << (pinned.isEmpty() ? QString("Click to pin a reading") : "Pinned: " + pinned);
    if (!view.alphaNote().isEmpty()) {
        second << view.alphaNote();
    }
    setText(first.join("   ") + "\n" + second.join("   "));
}
