#pragma once

// A colour word (0xAARRGGBB) shown as a swatch; clicking the swatch opens the colour dialog, whose
// every change is written and announced at once. One visit to the dialog is one gesture.

#include "core/Image.h"
#include "gui/editors/ValueEditor.h"
#include "gui/windows/Window.h"

class ValueEditorColour : public ValueEditor {
public:
    class RGBPicker;

    static constexpr int swatchWidth = 48;
    static constexpr int swatchHeight = 18;

    ValueEditorColour(QString label, std::unique_ptr<ValueTarget> target);
    ~ValueEditorColour() override;

    void create(QWidget* panel, Point position, int width) override;
    // The swatch keeps its size.
    void setWidth(int width) override;
    int getHeight() const override;
    void refresh() override;

    RGBPicker* getSwatch() const { return swatch_; }

private:
    // Told by the dialog, with the dialog as payload, whenever its colour changes.
    class OnColourChangedEvent : public Event<Velvor::Pixel> {
    public:
        explicit OnColourChangedEvent(ValueEditorColour& owner) : owner_(owner) {}
        void handle(Velvor::Pixel colour) override;

    private:
        ValueEditorColour& owner_;
    };

    void pickColour();

    RGBPicker* swatch_ = nullptr;
    OnColourChangedEvent observer_{*this};
    EditGesture visit_ = 0;
};

// The swatch: the colour without its alpha, in a sunken frame, with a hand cursor.
class ValueEditorColour::RGBPicker : public Window {
public:
    RGBPicker(QWidget* parent, ValueEditorColour& owner, Velvor::Pixel colour);

    void setColour(Velvor::Pixel colour);
    Velvor::Pixel getColour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Velvor::Pixel colour_;
    ValueEditorColour& owner_;
};
