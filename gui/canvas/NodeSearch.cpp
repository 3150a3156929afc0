#include "gui/canvas/NodeSearch.h"

#include "model/NodeType.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cctype>

namespace {

// Other words for each type, by type id.
const std::array<std::string_view, 7> otherWords{
    "",
    "checker board chess squares grid",
    "blend mix add multiply hue saturation combine",
    "noise plasma cloud random seed",
    "warp distort offset shift",
    "label font letters words string",
    "bump normal height relief",
};

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           }) != text.end();
}

bool startsWithIgnoringCase(std::string_view text, std::string_view part) {
    return text.size() >= part.size() && containsIgnoringCase(text.substr(0, part.size()), part);
}

} // namespace

std::vector<std::size_t> matchingNodeTypes(std::string_view typed) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 1; row < nodeTypes.size(); ++row) {
        if (containsIgnoringCase(nodeTypes[row].name, typed) ||
            containsIgnoringCase(otherWords.at(static_cast<std::size_t>(nodeTypes[row].id)), typed)) {
            rows.push_back(row);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [typed](std::size_t a, std::size_t b) {
        return startsWithIgnoringCase(nodeTypes[a].name, typed) &&
               !startsWithIgnoringCase(nodeTypes[b].name, typed);
    });
    return rows;
}

NodeSearch::NodeSearch(QWidget* parent)
    : QFrame(parent, Qt::Popup), field_(new QLineEdit(this)), list_(new QListWidget(this)) {
    setObjectName("nodeSearch");
    setFrameStyle(QFrame::Box | QFrame::Plain);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    field_->setPlaceholderText("Add node...");
    list_->setFocusPolicy(Qt::NoFocus);
    // Room for every type, so the box never scrolls.
    list_->setFixedHeight(static_cast<int>(nodeTypes.size() - 1) * (list_->fontMetrics().lineSpacing() + 2) +
                          6);
    layout->addWidget(field_);
    layout->addWidget(list_);
    setFixedWidth(180);
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textChanged, this, &NodeSearch::filter);
    connect(field_, &QLineEdit::returnPressed, this, &NodeSearch::choose);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        list_->setCurrentItem(item);
        choose();
    });
}

void NodeSearch::popUp(QPoint globalPosition) {
    field_->clear();
    filter({});
    move(globalPosition);
    show();
    field_->setFocus(Qt::PopupFocusReason);
}

void NodeSearch::filter(const QString& typed) {
    list_->clear();
    for (const std::size_t row : matchingNodeTypes(typed.trimmed().toStdString())) {
        auto* item = new QListWidgetItem(
            QString::fromUtf8(nodeTypes[row].name.data(), static_cast<int>(nodeTypes[row].name.size())),
            list_);
        item->setData(Qt::UserRole, static_cast<qulonglong>(row));
    }
    list_->setCurrentRow(0);
}

void NodeSearch::choose() {
    const QListWidgetItem* item = list_->currentItem();
    if (item == nullptr) {
        return; // nothing matches: the box stays for another try
    }
    const auto row = static_cast<std::size_t>(item->data(Qt::UserRole).toULongLong());
    close();
    emit chosen(row);
}

// Up and Down move through the list while the field keeps the typing.
bool NodeSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const int row = list_->currentRow() + (key == Qt::Key_Down ? 1 : -1);
            list_->setCurrentRow(std::clamp(row, 0, std::max(0, list_->count() - 1)));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
