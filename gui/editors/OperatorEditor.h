#pragma once

// The parameter panel of the selected node: fills its parent (the main window's parameter area) and
// stacks one value editor per parameter, the first row at y = 8 and each further one 4 pixels below
// the previous, labels at x = 8 and controls ending 16 pixels short of the right edge. Every value
// change marks the node dirty and then fires the change events, with the panel as payload. The panel
// watches the material: a parameter changed elsewhere (an undo) is shown again, and while the node is
// out of the material the panel is disabled.
//
// The panel must not outlive its material. A listener of the change events is told from inside the
// control's signal and must not delete the panel then (deleteLater does it safely). Panels for the
// catalogue's node types come from createEditor (CreateEditor.h).

#include "base/Events.h"
#include "base/Point.h"
#include "gui/editors/ValueEditor.h"
#include "model/Material.h"

#include <QWidget>
#include <memory>
#include <vector>

class OperatorEditor : public QWidget {
    Q_OBJECT

public:
    static constexpr Point firstRow{8, 8};
    static constexpr int rowSpacing = 4;
    static constexpr int rightMargin = 16; // the editors' width is the panel's width less this

    // An empty panel over the whole of `parent` for the node with the id.
    OperatorEditor(QWidget* parent, Material& material, NodeId node);
    ~OperatorEditor() override;

    // Takes the editor and creates its row below the previous one.
    void addEditor(std::unique_ptr<ValueEditor> editor);

    NodeId getNode() const { return node_; }
    // Where the last row added begins (its label's top-left corner).
    Point lastRow() const { return nextRow_; }
    // Stops watching the material and telling listeners, for a panel on its way out; the material may
    // then go before the panel does.
    void detach();
    const std::vector<std::unique_ptr<ValueEditor>>& getEditors() const { return editors_; }
    Events<>& getChangeEvents() { return changeEvents_; }

protected:
    // Follows the parent's size.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class ValueChangeHandler : public Event<> {
    public:
        explicit ValueChangeHandler(OperatorEditor& panel) : panel_(panel) {}
        void handle() override;

    private:
        OperatorEditor& panel_;
    };

    class MaterialWatcher : public MaterialObserver {
    public:
        explicit MaterialWatcher(OperatorEditor& panel) : panel_(panel) {}
        void materialChanged(const MaterialChange& change) override;

    private:
        OperatorEditor& panel_;
    };

    Material& material_;
    NodeId node_;
    std::vector<std::unique_ptr<ValueEditor>> editors_;
    Point nextRow_ = firstRow;
    ValueChangeHandler changeHandler_{*this};
    MaterialWatcher watcher_{*this};
    Events<> changeEvents_;
    bool attached_ = true;
};
