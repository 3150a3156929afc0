#include "gui/editors/ValueEditorText.h"

#include "gui/editors/WesternText.h"

#include <QLineEdit>
#include <algorithm>

ValueEditorText::ValueEditorText(QString label, std::unique_ptr<ValueTarget> target, std::size_t capacity)
    : ValueEditor(std::move(label), std::move(target)), capacity_(std::max<std::size_t>(capacity, 1)) {}

ValueEditorText::~ValueEditorText() {
    delete editBox_;
}

void ValueEditorText::create(QWidget* panel, Point position, int width) {
    createLabel(panel, position);
    editBox_ = new QLineEdit(panel);
    editBox_->setGeometry(controlX, position.y, 150, editHeight);
    // One character is one byte of the buffer.
    editBox_->setMaxLength(static_cast<int>(std::min<std::size_t>(capacity_ - 1, 32767)));
    // Only the user's edits; showing a value does not write it back.
    QObject::connect(editBox_, &QLineEdit::textEdited, editBox_,
                     [this](const QString& text) { onEdited(text); });
    QObject::connect(editBox_, &QLineEdit::editingFinished, editBox_, [this] { burst_ = 0; });
    editBox_->show();
    refresh();
    setWidth(width);
}

void ValueEditorText::setWidth(int width) {
    editBox_->resize(std::max(width - controlX, 1), editBox_->height());
}

int ValueEditorText::getHeight() const {
    return editBox_->height();
}

void ValueEditorText::refresh() {
    const ParameterValue value = target().read();
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) {
        return;
    }
    const QString shown = fromWestern(*text);
    // The box already shows what the user typed, unless a character had to be replaced; the cursor
    // stays where the typing goes on.
    if (editBox_->text() != shown) {
        const int cursor = editBox_->cursorPosition();
        editBox_->setText(shown);
        if (burst_ != 0) {
            editBox_->setCursorPosition(cursor);
        }
    }
}

void ValueEditorText::onEdited(const QString& text) {
    if (burst_ == 0) {
        burst_ = newEditGesture();
    }
    std::string bytes = toWestern(text);
    if (bytes.size() > capacity_ - 1) {
        bytes.resize(capacity_ - 1);
    }
    change(std::move(bytes), burst_);
}
