#pragma once

// The modal colour dialog ("Pick your colour...") that the colour swatch opens. A 256 x 256 field shows
// two channels, a slider the third (the axis, chosen with R, G and B), and a comparison swatch the new
// colour above the starting one. Every change is announced at once through the colour events, with
// the dialog as payload, so the edited node follows live; opening announces the starting colour once.
// OK keeps the colour; Cancel (or Escape) goes back to the starting colour and announces it; closing
// by the title bar keeps the colour picked so far. The alpha byte is never changed.

#include "base/Events.h"
#include "core/Image.h"
#include "gui/windows/HelperWindow.h"

class QButtonGroup;
class QCloseEvent;
class QLabel;
class QLineEdit;

class ColourWindow : public HelperWindow {
    Q_OBJECT

public:
    class AxisView;
    class LargeView;
    class SmallView;
    class SelectedView;

    ColourWindow(QWidget* parent, Velvor::Pixel colour);
    ~ColourWindow() override;

    // Shows the colour in the views and the texts, makes it current and announces it.
    void setColour(Velvor::Pixel colour);
    // 0 red, 1 green, 2 blue: the slider's channel.
    void setAxis(int axis);
    Velvor::Pixel getColour() const { return current_; }
    // The dialog's colour, at every change.
    Events<Velvor::Pixel>& getColourEvents() { return colourEvents_; }

    void reject() override;

protected:
    void onInitDialog() override;
    void closeEvent(QCloseEvent* event) override;

private:
    class OnColourChangedEvent : public Event<Velvor::Pixel> {
    public:
        explicit OnColourChangedEvent(ColourWindow& window) : window_(window) {}
        // The payload is the colour word a view picked.
        void handle(Velvor::Pixel colour) override { window_.setColour(colour); }

    private:
        ColourWindow& window_;
    };

    void buildControls();

    Velvor::Pixel starting_;
    Velvor::Pixel current_;
    LargeView* largeView_ = nullptr;
    SmallView* smallView_ = nullptr;
    SelectedView* selectedView_ = nullptr;
    OnColourChangedEvent observer_{*this};
    Events<Velvor::Pixel> colourEvents_;
    QButtonGroup* axisButtons_ = nullptr;
    QLabel* rgbText_ = nullptr;
    QLineEdit* hexText_ = nullptr;
    bool closingByTitleBar_ = false;
};
