// The main window's own commands: the windows it opens, the node list's command, the packed size.

#include "gui/canvas/NodesView.h"
#include "gui/dialogs/Dialogs.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/main/AboutBox.h"
#include "gui/main/MainWindow.h"
#include "gui/preview/PreviewWindow.h"
#include "gui/undo/NodeCommands.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/LogWindow.h"
#include "io/PackedBudget.h"

#include <QLabel>
#include <QListWidget>
#include <QSettings>

void MainWindow::openAll() {
    Material& material = document_->getMaterial();
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (material.getNode(i).getTypeId() == 0) {
            openResultWindow(material.getNode(i).getId());
        }
    }
}

void MainWindow::openResultWindow(NodeId node) {
    BackgroundRender& render = document_->getRender();
    const bool wasRendering = render.stop();
    auto* window = new ResultWindow(this, document_->getMaterial(), node, resultWindows_, dialogs_);
    if (wasRendering) {
        render.start();
    } else if (document_->picturesCurrent()) {
        window->redraw(); // the last render's verdict on this picture holds
    }
}

void MainWindow::renderFinished() {
    resultWindows_.redrawAll();
    canvas_->refreshThumbnails();
    if (const std::optional<std::string> incomplete = document_->incompleteCollectors()) {
        progress_->message(*incomplete);
    }
}

void MainWindow::showHelp() {
    new HelpWindow(this);
}

void MainWindow::showAbout() {
    auto* about = new AboutBox(this);
    about->open();
}

void MainWindow::showPreview() {
    document_->withRenderPaused([&] { new PreviewWindow(this, document_->getMaterial(), resultWindows_); });
}

void MainWindow::showLog() {
    new LogWindow(*progress_, this);
}

void MainWindow::askPackedBudget() {
    const std::optional<int> budget = dialogs_.askNumber(
        "Packed size budget...", "Largest packed size in bytes (0 for none):", packedBudget_, 0, 1 << 24);
    if (!budget) {
        return;
    }
    packedBudget_ = *budget;
    QSettings().setValue("packedBudget", packedBudget_);
    updatePackedSize();
}

// The size the packed export would have now, counted by a real export in memory; red beyond the
// budget.
void MainWindow::updatePackedSize() {
    const PackedBudget budget = measurePackedBudget(document_->getMaterial());
    canvas_->setPackedBytes(budget.recordBytes);
    QString text;
    bool over = false;
    if (budget.total) {
        text = QString("Packed size: %1 bytes").arg(*budget.total);
        if (packedBudget_ > 0) {
            text += QString(" of %1").arg(packedBudget_);
            over = *budget.total > static_cast<std::size_t>(packedBudget_);
        }
        packedSize_->setToolTip(QString());
    } else {
        text = "Packed size: not exportable";
        packedSize_->setToolTip(QString::fromStdString(budget.problem));
    }
    packedSize_->setText(text);
    packedSize_->setStyleSheet(over ? "color: #c81e1e; font-weight: bold;" : "");
}

void MainWindow::createSelectedNodeType() {
    const QList<QListWidgetItem*> selected = nodeList_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    Material& material = document_->getMaterial();
    const auto row = static_cast<std::size_t>(selected.front()->data(Qt::UserRole).toInt());
    auto command = std::make_unique<AddNodeCommand>(material, "Unnamed", nodeTypes.at(row), Point{256, 256},
                                                    canvas_->freeSpawnPoint());
    const AddNodeCommand& added = *command;
    pushEdit(document_->getUndoStack(), std::move(command));
    if (const VisualNode* node = material.findNode(*added.getNodeId())) {
        canvas_->selectNode(*node);
    }
    canvas_->redraw();
    // Delete and F act on the new node at once.
    canvas_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::replaceOperatorEditor(OperatorEditor* editor) {
    // The old panel may be on the call stack (its control's signal) or be told of the change that
    // replaces it: it stops listening now and goes once the event loop is back.
    if (operatorEditor_ != nullptr) {
        operatorEditor_->detach();
        operatorEditor_->hide();
        operatorEditor_->deleteLater();
    }
    operatorEditor_ = editor;
    if (editor != nullptr) {
        editor->getChangeEvents().add(&onChange_);
        editor->setGeometry(0, 0, parameterArea_->width(), parameterArea_->height());
        editor->show();
    }
}
