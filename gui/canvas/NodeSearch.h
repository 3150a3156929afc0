#pragma once

// The add-node search: a small box at the mouse listing the node types that match what is typed,
// by name or by a word users know the type by ("noise" finds Subplasma). Enter picks the highlighted
// entry and a click the clicked one; Escape or a click elsewhere closes the box.

#include <QFrame>
#include <cstddef>
#include <string_view>
#include <vector>

class QLineEdit;
class QListWidget;

// The rows of the node type table (never the collector's) whose name or other words contain the
// typed text, ignoring case; those whose name starts with it first, then in table order.
std::vector<std::size_t> matchingNodeTypes(std::string_view typed);

class NodeSearch : public QFrame {
    Q_OBJECT

public:
    explicit NodeSearch(QWidget* parent);

    // Shows the box with an empty field at the screen position.
    void popUp(QPoint globalPosition);

signals:
    // A row of the node type table.
    void chosen(std::size_t row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filter(const QString& typed);
    void choose();

    QLineEdit* field_;
    QListWidget* list_;
};
