// The main window's menus and its list of node types; each entry forwards to the document or to
// the window, guarded.

#include "gui/canvas/NodesView.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/main/MainWindow.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <functional>

namespace {

// The list's pictures, by type id (the collector is never offered).
const char* iconOf(int typeId) {
    switch (typeId) {
    case 1:
        return ":/icon-checkerboard.png";
    case 2:
        return ":/icon-mixer.png";
    case 3:
        return ":/icon-subplasma.png";
    case 4:
        return ":/icon-displacement.png";
    case 5:
        return ":/icon-text.png";
    default:
        return ":/icon-normalmap.png";
    }
}

} // namespace

template <typename Command> auto MainWindow::guardedCommand(Command command) {
    return [this, command] { guarded(dialogs_, command); };
}

void MainWindow::buildMenus(QMenuBar& menus) {
    Document* document = document_.get();
    QMenu* file = menus.addMenu("&File");
    connect(file->addAction("&Clear"), &QAction::triggered, this,
            guardedCommand([document] { document->clear(); }));
    connect(file->addAction("&Import..."), &QAction::triggered, this,
            guardedCommand([document] { document->import(); }));
    connect(file->addAction("&Export..."), &QAction::triggered, this,
            guardedCommand([document] { document->exportXml(); }));
    connect(file->addAction("Export packed..."), &QAction::triggered, this,
            guardedCommand([document] { document->exportPacked(); }));
    connect(file->addAction("Export &textures..."), &QAction::triggered, this,
            guardedCommand([document] { document->exportTextures(); }));
    file->addSeparator();
    QAction* save = file->addAction("&Save");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, guardedCommand([document] { document->save(); }));
    file->addSeparator();
    QAction* close = file->addAction("&Close ");
    connect(close, &QAction::triggered, this, &MainWindow::close);
    if (document->hasFile()) {
        buildFileCommands(*file, save);
    }

    // The stack's own texts ("&Undo Move node"), with the document rendering after each step.
    QMenu* edit = menus.addMenu("&Edit");
    QAction* undo = document->getUndoStack().createUndoAction(this, "&Undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = document->getUndoStack().createRedoAction(this, "&Redo");
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // From every window of the editor (result windows, the log, the preview), not only this one; a
    // text field with the focus keeps Ctrl+Z for its own text.
    undo->setShortcutContext(Qt::ApplicationShortcut);
    redo->setShortcutContext(Qt::ApplicationShortcut);
    disconnect(undo, &QAction::triggered, nullptr, nullptr);
    disconnect(redo, &QAction::triggered, nullptr, nullptr);
    connect(undo, &QAction::triggered, this, guardedCommand([document] { document->undo(); }));
    connect(redo, &QAction::triggered, this, guardedCommand([document] { document->redo(); }));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    // On the canvas's selection; with the focus in a text field these keys stay the field's own.
    const auto canvasCommand = [this, edit](const char* text, const QKeySequence& keys,
                                            const std::function<void(NodesView&)>& command) {
        QAction* action = edit->addAction(text);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, guardedCommand([this, command] { command(*canvas_); }));
    };
    canvasCommand("Cu&t", QKeySequence::Cut, &NodesView::cutSelection);
    canvasCommand("&Copy", QKeySequence::Copy, &NodesView::copySelection);
    canvasCommand("&Paste", QKeySequence::Paste, &NodesView::paste);
    canvasCommand("&Duplicate", QKeySequence(Qt::CTRL | Qt::Key_D),
                  [](NodesView& canvas) { canvas.duplicateSelection(false); });
    canvasCommand("Duplicate &with inputs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D),
                  [](NodesView& canvas) { canvas.duplicateSelection(true); });

    QMenu* view = menus.addMenu("&View");
    connect(view->addAction("&Reorient view"), &QAction::triggered, this, [this] { canvas_->reorient(); });
    QAction* fit = view->addAction("&Zoom to fit");
    fit->setShortcut(Qt::Key_Home);
    connect(fit, &QAction::triggered, this, [this] { canvas_->zoomToFit(); });
    QAction* actual = view->addAction("A&ctual size");
    actual->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(actual, &QAction::triggered, this, [this] { canvas_->showActualSize(); });
    connect(view->addAction("Open &all"), &QAction::triggered, this, guardedCommand([this] { openAll(); }));
    connect(view->addAction("&Preview"), &QAction::triggered, this,
            guardedCommand([this] { showPreview(); }));
    view->addSeparator();
    QAction* thumbnails = view->addAction("&Thumbnails");
    thumbnails->setCheckable(true);
    thumbnails->setChecked(true);
    connect(thumbnails, &QAction::toggled, this, [this](bool on) { canvas_->setThumbnailsShown(on); });
    QAction* packedSizes = view->addAction("Packed &sizes");
    packedSizes->setCheckable(true);
    packedSizes->setChecked(true);
    connect(packedSizes, &QAction::toggled, this, [this](bool on) { canvas_->setPackedBytesShown(on); });

    QMenu* render = menus.addMenu("&Render");
    connect(render->addAction("&Render all"), &QAction::triggered, this,
            guardedCommand([document] { document->renderAll(); }));
    autoRender_ = render->addAction("&Enable auto rendering");
    autoRender_->setCheckable(true);
    autoRender_->setChecked(document->isAutoRender());
    connect(autoRender_, &QAction::toggled, document, &Document::setAutoRender);
    connect(document, &Document::autoRenderChanged, autoRender_, &QAction::setChecked);
    render->addAction("&Resize nodes...")->setEnabled(false);

    QMenu* options = menus.addMenu("&Options");
    connect(options->addAction("Packed size budget..."), &QAction::triggered, this,
            guardedCommand([this] { askPackedBudget(); }));

    QMenu* help = menus.addMenu("&Help");
    connect(help->addAction("&Help..."), &QAction::triggered, this, guardedCommand([this] { showHelp(); }));
    connect(help->addAction("&About..."), &QAction::triggered, this, guardedCommand([this] { showAbout(); }));
}

// The stand-alone editor's file commands around Save.
void MainWindow::buildFileCommands(QMenu& file, QAction* save) {
    Document* document = document_.get();
    QAction* first = file.actions().front();
    auto* open = new QAction("&Open...", &file);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, guardedCommand([document] { document->open(); }));
    file.insertAction(first, open);
    QMenu* recent = new QMenu("Open &Recent", &file);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(*recent); });
    file.insertMenu(first, recent);
    file.insertSeparator(first);

    auto* saveAs = new QAction("Save &As...", &file);
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, guardedCommand([document] { document->saveAs(); }));
    const QList<QAction*> actions = file.actions();
    const auto afterSave = actions.indexOf(save) + 1;
    file.insertAction(afterSave < actions.size() ? actions[afterSave] : nullptr, saveAs);
}

void MainWindow::fillRecentMenu(QMenu& menu) {
    menu.clear();
    const QStringList recent = Document::recentFiles();
    for (const QString& path : recent) {
        QAction* entry = menu.addAction(QString(path).replace('&', "&&"));
        connect(entry, &QAction::triggered, this, guardedCommand([this, path] {
                    if (document_->changesMayGo()) {
                        document_->openPath(path.toStdString());
                    }
                }));
    }
    menu.setEnabled(true);
    if (recent.isEmpty()) {
        menu.addAction("(none)")->setEnabled(false);
    }
}

void MainWindow::buildNodeList() {
    nodeList_->setViewMode(QListView::IconMode);
    nodeList_->setIconSize(QSize(32, 32));
    nodeList_->setGridSize(QSize(92, 58));
    nodeList_->setMovement(QListView::Static);
    nodeList_->setResizeMode(QListView::Adjust);
    nodeList_->setSelectionMode(QAbstractItemView::SingleSelection);
    nodeList_->setWordWrap(true);
    // Rows 1 to 6 of the type table, in table order; the collector (row 0) is never offered.
    for (std::size_t row = 1; row < nodeTypes.size(); ++row) {
        auto* item = new QListWidgetItem(QIcon(iconOf(nodeTypes[row].id)),
                                         QString::fromStdString(std::string(nodeTypes[row].name)), nodeList_);
        item->setData(Qt::UserRole, static_cast<int>(row));
    }
    connect(nodeList_, &QListWidget::itemDoubleClicked, this,
            guardedCommand([this] { createSelectedNodeType(); }));
}
