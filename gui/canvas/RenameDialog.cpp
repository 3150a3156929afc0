#include "gui/canvas/RenameDialog.h"

#include "gui/main/ApplicationIcon.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

RenameDialog::RenameDialog(QWidget* parent, const std::string& name) : QDialog(parent), edit_(new QLineEdit) {
    setWindowTitle(QStringLiteral("Rename node..."));
    setWindowIcon(applicationIcon());
    edit_->setMaxLength(maxNameLength);
    edit_->setText(QString::fromStdString(name));
    edit_->selectAll();
    edit_->setMinimumWidth(260);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    edit_->setFocus();
}

std::string RenameDialog::getName() const {
    return edit_->text().toStdString();
}

std::optional<std::string> RenameDialog::ask(QWidget* parent, const std::string& name) {
    RenameDialog dialog(parent, name);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.getName();
}
