#pragma once

// A signed 16-bit value over minimum..maximum on a horizontal scroll bar, with the value shown in a
// sunken box at the row's right end. Every user action on the scroll bar writes and notifies, even
// one that leaves the value where it was (a page step at the end of the range).

#include "gui/editors/ValueEditor.h"

#include <cstdint>

class QLabel;
class QScrollBar;

class ValueEditorInt : public ValueEditor {
public:
    static constexpr int scrollBarHeight = 22;
    static constexpr int valueBoxWidth = 54;
    static constexpr int valueBoxHeight = 18;

    ValueEditorInt(QString label, std::unique_ptr<ValueTarget> target, std::int16_t minimum,
                   std::int16_t maximum);
    ~ValueEditorInt() override;

    void create(QWidget* panel, Point position, int width) override;
    // The scroll bar runs from x = 200 to width - 60, the value box from width - 54 to width.
    void setWidth(int width) override;
    int getHeight() const override;
    void refresh() override;

    // An eighth of the scroll bar's range, rounded down, and at least 1.
    int getPageStep() const;
    QScrollBar* getScrollBar() const;
    QLabel* getValueBox() const { return valueBox_; }

private:
    class ScrollBar;

    void showValue(int value);
    void onAction();

    std::int16_t minimum_;
    std::int16_t maximum_;
    ScrollBar* scrollBar_ = nullptr;
    QLabel* valueBox_ = nullptr;
    int rowY_ = 0;
};
