#include "gui/main/MainWindow.h"

#include "base/File.h"
#include "gui/main/AboutBox.h"
#include "gui/main/ApplicationIcon.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/canvas/NodesView.h"
#include "gui/dialogs/QtDialogs.h"
#include "gui/document/TextureExport.h"
#include "gui/document/MaterialFile.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/undo/NodeCommands.h"
#include "gui/undo/ReplaceContentCommand.h"
#include "gui/windows/HelpWindow.h"
#include "gui/windows/LogWindow.h"
#include "gui/preview/PreviewWindow.h"
#include "io/MaterialXml.h"
#include "io/PackedBudget.h"
#include "io/PackedExport.h"
#include "model/Completeness.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

namespace {

const FileQuestion materialFile{"Select a material to assimilate...", "Ostra material (*.ostra-material)",
                                "ostra-material"};
const FileQuestion materialTarget{"Enter a filename to save your material to...",
                                  "Ostra material (*.ostra-material)", "ostra-material"};
const FileQuestion packedTarget{"Enter a filename to save your material to...",
                                "Ostra material packed (*.ostra-packed)", "ostra-packed"};

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

QFrame* sunkenPanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

} // namespace

MainWindow::MainWindow(MaterialData& data, Dialogs* dialogs, MaterialFile* file)
    : data_(data), file_(file), ownDialogs_(dialogs == nullptr ? std::make_unique<QtDialogs>(this) : nullptr),
      dialogs_(dialogs != nullptr ? *dialogs : *ownDialogs_), client_(new QWidget(this)) {
    setWindowTitle("ostra.Tools: Velvor");
    setWindowIcon(applicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setMinimumSize(640, 480);
    const LoadOutcome loaded = loadRecord();

    auto* menus = new QMenuBar(this);
    buildMenus(*menus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menus);
    layout->addWidget(client_);
    client_->installEventFilter(this);

    banner_ = new QLabel(client_);
    banner_->setPixmap(QPixmap(":/banner.png"));
    banner_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    progressBar_ = new QProgressBar(client_);
    progressBar_->setTextVisible(false);
    progressBar_->setGeometry(9, 73, 171, 20);
    status_ = new QLabel("Ready.", client_);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logButton_ = new QPushButton("...", client_);
    logButton_->setToolTip("Log...");
    // Enter in the window must not open another log window.
    logButton_->setAutoDefault(false);
    logButton_->setFocusPolicy(Qt::NoFocus);
    connect(logButton_, &QPushButton::clicked, this, &MainWindow::showLog);
    nodesLabel_ = new QLabel("Available nodes:", client_);
    nodesLabel_->setGeometry(9, 97, 108, 16);
    structureLabel_ = new QLabel("Current structure:", client_);
    structureLabel_->setGeometry(117, 97, 160, 16);
    packedSize_ = new QLabel(client_);
    packedSize_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    packedBudget_ = QSettings().value("packedBudget", 0).toInt();
    nodeList_ = new QListWidget(client_);
    buildNodeList();
    canvasPanel_ = sunkenPanel(client_);
    canvas_ = new NodesView(material_, undoStack_, canvasPanel_);
    parameterArea_ = sunkenPanel(client_);

    progress_ = std::make_unique<VelvorGUI::ProgressReporter>(*status_, *progressBar_);
    connect(&render_, &BackgroundRender::message, this,
            [this](const QString& text) { progress_->message(text.toStdString()); });
    connect(&render_, &BackgroundRender::started, this, [this](int total) { progress_->start(total); });
    connect(&render_, &BackgroundRender::stepped, this, [this] { progress_->step(); });
    connect(&render_, &BackgroundRender::progressFinished, this, [this] { progress_->finish(); });
    connect(&render_, &BackgroundRender::finished, this, &MainWindow::renderFinished);
    connect(&render_, &BackgroundRender::failed, this,
            [this](const QString& problem) { showException(dialogs_, problem.toStdString()); });
    canvas_->getSelectionEvents().add(&onSelect_);
    canvas_->getChangeEvents().add(&onChange_);
    canvas_->getProbeEvents().add(&onProbe_);
    canvas_->getResizeEvents().add(&onResize_);
    material_.addObserver(&materialWatch_);
    updatePackedSize();
    resize(1100, 760);
    layOut();
    // A new run starts with no unsaved change.
    undoStack_.setClean();
    if (file_ != nullptr) {
        startFileSession(loaded);
    }
}

MainWindow::~MainWindow() {
    // Going away is not saving: the stack's end must not look like a save and drop the recovery copy.
    disconnect(&undoStack_, nullptr, this, nullptr);
    HelperWindow::closeAll();
    material_.removeObserver(&materialWatch_);
    // The panel and the canvas watch the material; they go before it does.
    delete operatorEditor_;
    delete canvas_;
}

LoadOutcome MainWindow::loadRecord() {
    const std::string& temporary = temporary_.getPath();
    writeFile(temporary, data_.xml);
    return data_.xml.empty() ? LoadOutcome::Complete : loadXml(material_, temporary, dialogs_);
}

void MainWindow::buildMenus(QMenuBar& menus) {
    const auto guardedSlot = [this](void (MainWindow::*command)()) {
        return [this, command] { guarded(dialogs_, [this, command] { (this->*command)(); }); };
    };
    QMenu* file = menus.addMenu("&File");
    connect(file->addAction("&Clear"), &QAction::triggered, this, guardedSlot(&MainWindow::clearMaterial));
    connect(file->addAction("&Import..."), &QAction::triggered, this,
            guardedSlot(&MainWindow::importMaterial));
    connect(file->addAction("&Export..."), &QAction::triggered, this,
            guardedSlot(&MainWindow::exportMaterial));
    connect(file->addAction("Export packed..."), &QAction::triggered, this,
            guardedSlot(&MainWindow::exportPackedMaterial));
    connect(file->addAction("Export &textures..."), &QAction::triggered, this,
            guardedSlot(&MainWindow::exportTexturesCommand));
    file->addSeparator();
    QAction* save = file->addAction("&Save");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, guardedSlot(&MainWindow::save));
    file->addSeparator();
    QAction* close = file->addAction("&Close ");
    connect(close, &QAction::triggered, this, &MainWindow::close);
    if (file_ != nullptr) {
        buildFileCommands(*file, save);
    }

    // The stack's own texts ("&Undo Move node"), with this window rendering after each step.
    QMenu* edit = menus.addMenu("&Edit");
    QAction* undo = undoStack_.createUndoAction(this, "&Undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = undoStack_.createRedoAction(this, "&Redo");
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    disconnect(undo, &QAction::triggered, nullptr, nullptr);
    disconnect(redo, &QAction::triggered, nullptr, nullptr);
    connect(undo, &QAction::triggered, this, &MainWindow::undo);
    connect(redo, &QAction::triggered, this, &MainWindow::redo);
    edit->addAction(undo);
    edit->addAction(redo);

    QMenu* view = menus.addMenu("&View");
    connect(view->addAction("&Reorient view"), &QAction::triggered, this, [this] { canvas_->reorient(); });
    connect(view->addAction("Open &all"), &QAction::triggered, this, guardedSlot(&MainWindow::openAll));
    connect(view->addAction("&Preview"), &QAction::triggered, this, guardedSlot(&MainWindow::showPreview));
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
    connect(render->addAction("&Render all"), &QAction::triggered, this, guardedSlot(&MainWindow::renderAll));
    autoRender_ = render->addAction("&Enable auto rendering");
    autoRender_->setCheckable(true);
    autoRender_->setChecked(true);
    connect(autoRender_, &QAction::toggled, this, &MainWindow::setAutoRender);
    render->addAction("&Resize nodes...")->setEnabled(false);

    QMenu* options = menus.addMenu("&Options");
    connect(options->addAction("Packed size budget..."), &QAction::triggered, this,
            guardedSlot(&MainWindow::askPackedBudget));

    QMenu* help = menus.addMenu("&Help");
    connect(help->addAction("&Help..."), &QAction::triggered, this, guardedSlot(&MainWindow::showHelp));
    connect(help->addAction("&About..."), &QAction::triggered, this, guardedSlot(&MainWindow::showAbout));
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
            [this] { guarded(dialogs_, [this] { createSelectedNodeType(); }); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        layOut();
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
}

// Pixel positions for a client area of W x H (below the menu bar).
void MainWindow::layOut() {
    const int w = client_->width();
    const int h = client_->height();
    banner_->setGeometry(0, 0, w, 68);
    nodeList_->setGeometry(8, 116, 100, h - 336);
    canvasPanel_->setGeometry(116, 116, w - 124, h - 336);
    canvas_->setGeometry(1, 1, w - 128, h - 340);
    parameterArea_->setGeometry(8, h - 212, w - 16, 204);
    logButton_->setGeometry(w - 34, 73, 26, 20);
    status_->setGeometry(188, 73, w - 230, 20);
    packedSize_->setGeometry(w - 400, 97, 392, 16);
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred once the canvas has its final size, after the window's layout has run.
    if (!reoriented_) {
        reoriented_ = true;
        QTimer::singleShot(0, this, [this] {
            layOut();
            canvas_->reorient();
            canvas_->setFocus(Qt::OtherFocusReason);
            // An opened material shows its pictures without waiting for a first change.
            guarded(dialogs_, [this] { renderIfAuto(); });
        });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!undoStack_.isClean()) {
        const std::optional<bool> answer =
            dialogs_.askYesNoCancel("ostra.Tools: Velvor", "The material has changes that were not saved.\n"
                                                           "Do you want to save them before closing?");
        if (!answer) {
            event->ignore();
            return;
        }
        if (*answer) {
            bool saved = false;
            guarded(dialogs_, [&] {
                save();
                saved = true;
            });
            if (!saved) {
                event->ignore();
                return;
            }
        }
    }
    HelperWindow::closeAll();
    if (file_ != nullptr) {
        file_->removeRecovery(); // saved or discarded: nothing left to recover
    }
    QDialog::closeEvent(event);
    accept();
}

// Escape first gives up what the canvas is in the middle of (a cable being drawn); only then does it
// close like the close box, with the question about unsaved changes.
void MainWindow::reject() {
    if (canvas_->cancelGesture()) {
        return;
    }
    close();
}

void MainWindow::replaceContent(std::unique_ptr<Material> content, const QString& text) {
    HelperWindow::closeAll();
    canvas_->selectNone();
    pushEdit(undoStack_, std::make_unique<ReplaceContentCommand>(material_, std::move(content), text));
    canvas_->reorient();
    canvas_->redraw();
}

void MainWindow::clearMaterial() {
    if (!dialogs_.askOkCancel("Warning!", "This will clear your whole material and create a new one!")) {
        return;
    }
    replaceContent(std::make_unique<Material>(), "Clear");
}

void MainWindow::importMaterial() {
    const std::optional<std::string> path = dialogs_.askOpenFile(materialFile);
    if (!path) {
        return;
    }
    // Loaded aside: a file that is no material at all leaves the current one as it is (the loader
    // has said why), instead of an empty material.
    auto loaded = std::make_unique<Material>(Material::Empty{});
    if (loadXml(*loaded, *path, dialogs_) == LoadOutcome::Rejected) {
        return;
    }
    replaceContent(std::move(loaded), "Import");
    renderIfAuto();
}

void MainWindow::exportMaterial() {
    if (const std::optional<std::string> path = dialogs_.askSaveFile(materialTarget)) {
        saveXml(material_, *path);
    }
}

void MainWindow::exportPackedMaterial() {
    if (const std::optional<std::string> path = dialogs_.askSaveFile(packedTarget)) {
        exportPackedFile(material_, *path, dialogs_);
    }
}

// The record for the caller: the material file's text, read back from the temporary file it was
// saved to, and the packed bytes (empty when the material cannot be exported; the user was told).
// With a file, the file is written first: a failed write keeps the unsaved mark.
void MainWindow::save() {
    if (file_ != nullptr && !file_->hasPath()) {
        saveAs();
        return;
    }
    const std::string& temporary = temporary_.getPath();
    saveXml(material_, temporary);
    const std::string xml = readFile(temporary);
    std::vector<std::uint8_t> packed;
    if (file_ != nullptr) {
        packed = writeToFile();
    } else {
        writePacked(material_, packed, dialogs_);
    }
    data_.xml = xml;
    data_.packed.assign(packed.begin(), packed.end());
    undoStack_.setClean();
}

void MainWindow::exportTexturesCommand() {
    // The export renders on this thread: no render may run beside it.
    render_.stop();
    const std::string name = file_ != nullptr && file_->hasPath()
                                 ? std::filesystem::path(file_->getPath()).stem().string()
                                 : std::string("material");
    const std::string done = exportTextures(material_, dialogs_, name);
    renderFinished();
    if (!done.empty()) {
        progress_->message(done);
    }
}

void MainWindow::openAll() {
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        if (material_.getNode(i).getTypeId() == 0) {
            openResultWindow(material_.getNode(i).getId());
        }
    }
}

template <typename Open> void MainWindow::withRenderPaused(Open&& open) {
    const bool wasRendering = render_.stop();
    open();
    if (wasRendering) {
        render_.start();
    }
}

void MainWindow::openResultWindow(NodeId node) {
    const bool wasRendering = render_.stop();
    auto* window = new ResultWindow(this, material_, node, resultWindows_, dialogs_);
    if (wasRendering) {
        render_.start();
    } else if (picturesCurrent_) {
        window->redraw(); // the last render's verdict on this picture holds
    }
}

void MainWindow::renderAll() {
    render_.start();
}

void MainWindow::renderFinished() {
    picturesCurrent_ = true;
    resultWindows_.redrawAll();
    canvas_->refreshThumbnails();
    reportIncomplete();
}

// As the command line warns: how many collectors a render could not complete, and why the first.
void MainWindow::reportIncomplete() {
    int incomplete = 0;
    std::string first;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        const VisualNode& node = material_.getNode(i);
        if (node.getTypeId() != 0) {
            continue;
        }
        if (const std::optional<std::string> why = whyNotCurrent(material_, node)) {
            if (incomplete++ == 0) {
                first = node.getName() + ": " + *why;
            }
        }
    }
    if (incomplete > 0) {
        progress_->message(std::to_string(incomplete) +
                           (incomplete == 1 ? " collector is" : " collectors are") + " incomplete (" + first +
                           (incomplete > 1 ? ", ..." : "") + ")");
    }
}

bool MainWindow::waitForRender(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (render_.isRunning()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    // The last reports are queued behind the worker's end.
    QCoreApplication::processEvents();
    return true;
}

void MainWindow::renderIfAuto() {
    if (autoRenderOn_) {
        renderAll();
    }
}

void MainWindow::setAutoRender(bool on) {
    autoRenderOn_ = on;
    if (autoRender_->isChecked() != on) {
        autoRender_->setChecked(on);
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
    withRenderPaused([&] { new PreviewWindow(this, material_, resultWindows_); });
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
    const PackedBudget budget = measurePackedBudget(material_);
    canvas_->setPackedBytes(budget.recordBytes);
    QString text;
    bool over = false;
    if (budget.total) {
        text = QString("Packed size: %1 bytes").arg(*budget.total);
        if (packedBudget_ > 0) {
            text += QString(" of %1").arg(packedBudget_);
            over = *budget.total > static_cast<std::size_t>(packedBudget_);
        }
    } else {
        text = "Packed size: not exportable";
        packedSize_->setToolTip(QString::fromStdString(budget.problem));
    }
    if (budget.total) {
        packedSize_->setToolTip(QString());
    }
    packedSize_->setText(text);
    packedSize_->setStyleSheet(over ? "color: #c81e1e; font-weight: bold;" : "");
}

void MainWindow::showLog() {
    new LogWindow(*progress_, this);
}

void MainWindow::undo() {
    guarded(dialogs_, [this] {
        undoStack_.undo();
        renderIfAuto();
    });
}

void MainWindow::redo() {
    guarded(dialogs_, [this] {
        undoStack_.redo();
        renderIfAuto();
    });
}

void MainWindow::createSelectedNodeType() {
    const QList<QListWidgetItem*> selected = nodeList_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const auto row = static_cast<std::size_t>(selected.front()->data(Qt::UserRole).toInt());
    auto command = std::make_unique<AddNodeCommand>(material_, "Unnamed", nodeTypes.at(row), Point{256, 256},
                                                    canvas_->spawnPoint());
    const AddNodeCommand& added = *command;
    pushEdit(undoStack_, std::move(command));
    if (const VisualNode* node = material_.findNode(*added.getNodeId())) {
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
