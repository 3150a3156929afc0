#pragma once

// A signed 16-bit code chosen from a list of options, as radio buttons or as a drop-down list. The
// options' values need not be 0..n - 1; a value no option has shows no choice.

#include "gui/editors/ValueEditor.h"

#include <cstdint>
#include <vector>

class QButtonGroup;
class QComboBox;
class QRadioButton;

class ValueEditorEnum : public ValueEditor {
public:
    enum class Style { radioButtons, dropDownList };

    static constexpr int buttonHeight = 12;
    static constexpr int optionSpacing = 4;
    static constexpr int firstButtonOffset = 3; // below the row's top
    static constexpr int listHeight = 22;

    ValueEditorEnum(QString label, std::unique_ptr<ValueTarget> target, Style style);
    ~ValueEditorEnum() override;

    // Appends an option; all are added, in display order, before the editor is created.
    void addOption(std::int16_t value, QString label);

    void create(QWidget* panel, Point position, int width) override;
    // The controls keep their width.
    void setWidth(int width) override;
    int getHeight() const override;
    void refresh() override;

    // The radio buttons in option order (radio style), the list (list style); empty or null otherwise.
    std::vector<QRadioButton*> getButtons() const;
    QComboBox* getList() const { return list_; }

private:
    struct Option {
        std::int16_t value;
        QString label;
        QRadioButton* button = nullptr;
    };

    void choose(std::size_t option);

    Style style_;
    std::vector<Option> options_;
    QButtonGroup* group_ = nullptr;
    QComboBox* list_ = nullptr;
};
