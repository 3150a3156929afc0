#include "gui/main/AboutBox.h"

#include "gui/main/ApplicationIcon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("ostra.Tools: Velvor / about");
    setWindowIcon(applicationIcon());

    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap(":/logo.png"));
    auto* text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setText(QString("<p><b>Completely unstable alpha version</b></p>"
                          "<p>Velvor %1</p>"
                          "<p>To check that a material still renders to the same pixels on another "
                          "machine or version: <code>velvor-render MATERIAL --digest &gt; LIST</code>, "
                          "later <code>velvor-render MATERIAL --check LIST</code>.</p>")
                      .arg(VELVOR_VERSION));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* whatever = buttons->addButton("Whatever", QDialogButtonBox::AcceptRole);
    whatever->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* body = new QHBoxLayout;
    body->addWidget(logo, 0, Qt::AlignTop);
    body->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    setFixedWidth(440);
}
