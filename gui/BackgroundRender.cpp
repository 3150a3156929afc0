#include "gui/BackgroundRender.h"

#include "base/Exception.h"
#include "model/RenderPlan.h"

#include <QMetaObject>
#include <QTimer>
#include <new>

// Reports from the worker, handed to the user-interface thread in the order they were made.
class BackgroundRender::QueuedProgress : public Progress {
public:
    explicit QueuedProgress(BackgroundRender& render) : render_(render) {}

    // The calls run after this object is gone: they hold the render, not the reporter.
    void start(int total) override {
        post([render = &render_, total] { emit render->started(total); });
    }
    void step() override {
        post([render = &render_] { emit render->stepped(); });
    }
    void finish() override {
        post([render = &render_] { emit render->progressFinished(); });
    }
    void message(const std::string& text) override {
        post([render = &render_, line = QString::fromStdString(text)] { emit render->message(line); });
    }

private:
    template <typename Call> void post(Call&& call) {
        QMetaObject::invokeMethod(&render_, std::forward<Call>(call), Qt::QueuedConnection);
    }
    BackgroundRender& render_;
};

BackgroundRender::BackgroundRender(Material& material, QObject* parent)
    : QObject(parent), material_(material) {
    material_.setEditGate([this] { interrupted_ = stop() || interrupted_; });
    material_.addObserver(&watch_);
}

BackgroundRender::~BackgroundRender() {
    stop();
    material_.removeObserver(&watch_);
    material_.setEditGate({});
}

bool BackgroundRender::stop() {
    if (!worker_.joinable()) {
        return false;
    }
    cancel_ = true;
    worker_.join();
    cancel_ = false;
    return true;
}

void BackgroundRender::start() {
    stop();
    interrupted_ = false;
    auto plan = std::make_shared<RenderPlan>(material_.planAll());
    const unsigned generation = ++generation_;
    worker_ = std::thread([this, plan, generation] {
        QueuedProgress progress(*this);
        bool completed = false;
        QString problem;
        try {
            completed = executeRenderPlan(*plan, progress, RenderControl{&cancel_});
        } catch (const Exception& e) {
            problem = QString::fromStdString(e.getMessage());
        } catch (const std::bad_alloc&) {
            problem = "Out of memory";
        }
        QMetaObject::invokeMethod(
            this, [this, generation, completed, problem] { workerEnded(generation, completed, problem); },
            Qt::QueuedConnection);
    });
}

void BackgroundRender::workerEnded(unsigned generation, bool completed, const QString& problem) {
    // A render that was stopped has been joined already; its report is old news.
    if (generation != generation_ || !worker_.joinable()) {
        return;
    }
    worker_.join();
    if (!problem.isEmpty()) {
        emit failed(problem);
    } else if (completed) {
        emit finished();
    }
}

// An edit stopped a render: it starts again, once, after the edit (and any others made at the same
// time) has happened.
void BackgroundRender::restartAfterEdit() {
    if (!interrupted_ || restartQueued_) {
        return;
    }
    restartQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        restartQueued_ = false;
        if (interrupted_ && !worker_.joinable()) {
            start();
        }
    });
}
