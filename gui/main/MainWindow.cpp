#include "gui/main/MainWindow.h"

#include "gui/canvas/NodesView.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/dialogs/QtDialogs.h"
#include "gui/document/MaterialFile.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/main/ApplicationIcon.h"
#include "gui/windows/HelperWindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QFrame* sunkenPanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

// Where the window's size and place are kept between runs.
const char* const geometryKey = "mainWindow/geometry";

} // namespace

MainWindow::MainWindow(MaterialData& data, Dialogs* dialogs, MaterialFile* file)
    : ownDialogs_(dialogs == nullptr ? std::make_unique<QtDialogs>(this) : nullptr),
      dialogs_(dialogs != nullptr ? *dialogs : *ownDialogs_),
      document_(std::make_unique<Document>(data, dialogs_, file)), client_(new QWidget(this)) {
    setWindowTitle("ostra.Tools: Velvor");
    setWindowIcon(applicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setMinimumSize(640, 480);

    auto* menus = new QMenuBar(this);
    buildMenus(*menus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menus);
    layout->addWidget(client_);
    client_->installEventFilter(this);
    buildWidgets();
    watchDocument();
    updatePackedSize();
    // Large enough for the examples on most screens, never larger than the screen.
    const QSize room = screen()->availableGeometry().size() * 0.92;
    resize(std::min(1240, room.width()), std::min(900, room.height()));
    layOut();
    if (document_->hasFile()) {
        // The stand-alone editor opens where and as large as the user left it (off-screen places are
        // brought back onto a screen).
        restoreGeometry(QSettings().value(geometryKey).toByteArray());
        connect(document_.get(), &Document::titleChanged, this, &MainWindow::updateTitle);
        document_->startFileSession();
    }
}

MainWindow::~MainWindow() {
    HelperWindow::closeAll();
    // The panel and the canvas watch the material; they go before it does.
    delete operatorEditor_;
    delete canvas_;
    document_.reset();
}

void MainWindow::buildWidgets() {
    banner_ = new QLabel(client_);
    banner_->setPixmap(QPixmap(":/banner.png"));
    banner_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    progressBar_ = new QProgressBar(client_);
    progressBar_->setTextVisible(false);
    progressBar_->setGeometry(9, 73, 171, 20);
    status_ = new QLabel("Ready.", client_);
    status_->setObjectName("status");
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
    packedSize_->setObjectName("packedSize");
    packedSize_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    packedBudget_ = QSettings().value("packedBudget", 0).toInt();
    nodeList_ = new QListWidget(client_);
    buildNodeList();
    canvasPanel_ = sunkenPanel(client_);
    canvas_ = new NodesView(document_->getMaterial(), document_->getUndoStack(), canvasPanel_);
    parameterArea_ = sunkenPanel(client_);
    parameterArea_->setObjectName("parameterArea");
    progress_ = std::make_unique<VelvorGUI::ProgressReporter>(*status_, *progressBar_);
}

void MainWindow::watchDocument() {
    Document* document = document_.get();
    BackgroundRender* render = &document->getRender();
    connect(render, &BackgroundRender::message, this,
            [this](const QString& text) { progress_->message(text.toStdString()); });
    connect(render, &BackgroundRender::started, this, [this](int total) { progress_->start(total); });
    connect(render, &BackgroundRender::stepped, this, [this] { progress_->step(); });
    connect(render, &BackgroundRender::progressFinished, this, [this] { progress_->finish(); });
    connect(document, &Document::status, this,
            [this](const QString& text) { progress_->message(text.toStdString()); });
    connect(canvas_, &NodesView::notice, this,
            [this](const QString& text) { progress_->message(text.toStdString()); });
    connect(document, &Document::renderFinished, this, &MainWindow::renderFinished);
    connect(document, &Document::changed, this, &MainWindow::updatePackedSize);
    connect(document, &Document::replacing, this, [this] {
        HelperWindow::closeAll();
        canvas_->selectNone();
    });
    connect(document, &Document::replaced, this, [this] {
        canvas_->reorient();
        canvas_->redraw();
    });
    connect(document, &Document::opened, this, &MainWindow::materialOpened);
    canvas_->getSelectionEvents().add(&onSelect_);
    canvas_->getChangeEvents().add(&onChange_);
    canvas_->getProbeEvents().add(&onProbe_);
    canvas_->getResizeEvents().add(&onResize_);
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
            // Every node in view: at 1:1 when they fit (then this is the plain reorientation).
            canvas_->zoomToFit();
            canvas_->setFocus(Qt::OtherFocusReason);
            // An opened material shows its pictures without waiting for a first change.
            guarded(dialogs_, [this] { document_->renderIfAuto(); });
        });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (document_->isModified()) {
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
                document_->save();
                saved = true;
            });
            if (!saved) {
                event->ignore();
                return;
            }
        }
    }
    HelperWindow::closeAll();
    document_->closing(); // saved or discarded: nothing left to recover
    if (document_->hasFile()) {
        QSettings().setValue(geometryKey, saveGeometry());
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

void MainWindow::updateTitle() {
    setWindowTitle(QString::fromStdString(document_->displayName()) + "[*] - ostra.Tools: Velvor");
    setWindowModified(document_->isModified());
}
