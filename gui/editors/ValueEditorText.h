#pragma once

// A text in a one-line edit box. Every keystroke writes the whole text and notifies; the keystrokes
// between entering the box and leaving it (or pressing Enter) are one gesture.

#include "gui/editors/ValueEditor.h"

#include <cstddef>

class QLineEdit;

class ValueEditorText : public ValueEditor {
public:
    static constexpr int editHeight = 22;

    // `capacity` is the bound buffer's size in bytes with its terminating zero: at most capacity - 1
    // characters are taken.
    ValueEditorText(QString label, std::unique_ptr<ValueTarget> target, std::size_t capacity);
    ~ValueEditorText() override;

    void create(QWidget* panel, Point position, int width) override;
    // The edit box runs from x = 200 to `width`.
    void setWidth(int width) override;
    int getHeight() const override;
    void refresh() override;

    QLineEdit* getEditBox() const { return editBox_; }

private:
    void onEdited(const QString& text);

    std::size_t capacity_;
    QLineEdit* editBox_ = nullptr;
    EditGesture burst_ = 0;
};
