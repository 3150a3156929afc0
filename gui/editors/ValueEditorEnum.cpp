#include "gui/editors/ValueEditorEnum.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QRadioButton>

ValueEditorEnum::ValueEditorEnum(QString label, std::unique_ptr<ValueTarget> target, Style style)
    : ValueEditor(std::move(label), std::move(target)), style_(style) {}

ValueEditorEnum::~ValueEditorEnum() {
    for (Option& option : options_) {
        delete option.button;
    }
    delete group_;
    delete list_;
}

void ValueEditorEnum::addOption(std::int16_t value, QString label) {
    options_.push_back(Option{value, std::move(label)});
}

void ValueEditorEnum::create(QWidget* panel, Point position, int width) {
    createLabel(panel, position);
    if (style_ == Style::radioButtons) {
        // A group of the editor's own: the buttons of two editors on one panel must not exclude
        // each other.
        group_ = new QButtonGroup(panel);
        for (std::size_t i = 0; i < options_.size(); ++i) {
            auto* button = new QRadioButton(options_[i].label, panel);
            const int y =
                position.y + firstButtonOffset + static_cast<int>(i) * (buttonHeight + optionSpacing);
            button->setGeometry(controlX, y, 150, buttonHeight);
            group_->addButton(button, static_cast<int>(i));
            button->show();
            options_[i].button = button;
        }
        QObject::connect(group_, &QButtonGroup::idClicked, group_,
                         [this](int id) { choose(static_cast<std::size_t>(id)); });
    } else {
        list_ = new QComboBox(panel);
        list_->setGeometry(controlX, position.y, 150, listHeight);
        for (const Option& option : options_) {
            list_->addItem(option.label);
        }
        // Only the user's choices; showing a value selects without a signal of this kind.
        QObject::connect(list_, &QComboBox::activated, list_, [this](int index) {
            if (index >= 0) {
                choose(static_cast<std::size_t>(index));
            }
        });
        list_->show();
    }
    refresh();
    setWidth(width);
}

void ValueEditorEnum::setWidth(int) {}

int ValueEditorEnum::getHeight() const {
    if (list_ != nullptr) {
        return list_->height();
    }
    int height = 0;
    for (const Option& option : options_) {
        height += option.button->height();
    }
    return options_.empty() ? 0 : height + optionSpacing * static_cast<int>(options_.size() - 1);
}

void ValueEditorEnum::refresh() {
    const ParameterValue value = target().read();
    const auto* number = std::get_if<std::int32_t>(&value);
    int shown = -1;
    for (std::size_t i = 0; i < options_.size(); ++i) {
        if (number != nullptr && options_[i].value == *number) {
            shown = static_cast<int>(i);
            break;
        }
    }
    if (list_ != nullptr) {
        list_->setCurrentIndex(shown);
        return;
    }
    // An exclusive group always keeps one button checked; a value no option has checks none.
    group_->setExclusive(false);
    for (std::size_t i = 0; i < options_.size(); ++i) {
        options_[i].button->setChecked(static_cast<int>(i) == shown);
    }
    group_->setExclusive(true);
}

std::vector<QRadioButton*> ValueEditorEnum::getButtons() const {
    std::vector<QRadioButton*> buttons;
    for (const Option& option : options_) {
        if (option.button != nullptr) {
            buttons.push_back(option.button);
        }
    }
    return buttons;
}

void ValueEditorEnum::choose(std::size_t option) {
    if (option < options_.size()) {
        change(static_cast<std::int32_t>(options_[option].value), newEditGesture());
    }
}
