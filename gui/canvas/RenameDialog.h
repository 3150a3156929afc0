#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

// "Rename node...": an edit field holding the current name, all of it selected, taking up to 1023
// characters.
class RenameDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int maxNameLength = 1023;

    RenameDialog(QWidget* parent, const std::string& name);

    std::string getName() const;

    // Shows the dialog; the new name after OK, nothing after Cancel.
    static std::optional<std::string> ask(QWidget* parent, const std::string& name);

private:
    QLineEdit* edit_;
};
