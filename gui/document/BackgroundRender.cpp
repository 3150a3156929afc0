#include "gui/document/BackgroundRender.h"

#include "base/Exception.h"
#include "gui/common/JobThread.h"
#include "model/RenderPlan.h"

#include <QMetaObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <new>
#include <thread>

// Reports from the worker, handed to the user-interface thread in the order they were made.
class BackgroundRender::QueuedProgress : public Progress {
public:
    explicit QueuedProgress(BackgroundRender& render) : render_(render) {}

    void start(int total) override { render_.queueReport({.kind = Report::Start, .total = total}); }
    void step() override { render_.queueReport({.kind = Report::Step}); }
    void finish() override { render_.queueReport({.kind = Report::Finish}); }
    void message(const std::string& text) override {
        render_.queueReport({.kind = Report::Message, .text = QString::fromStdString(text)});
    }

private:
    BackgroundRender& render_;
};

// Reports travel in a queue of ours behind a mutex, and the event only says that there are some: the
// data never rides inside a posted event, so every hand-over is one the mutex orders (and that a
// race detector sees).
void BackgroundRender::queueReport(Report report) {
    bool wasEmpty = false;
    {
        const std::lock_guard<std::mutex> lock(reportsLock_);
        wasEmpty = reports_.empty();
        reports_.push_back(std::move(report));
    }
    if (wasEmpty) {
        QMetaObject::invokeMethod(this, "deliverReports", Qt::QueuedConnection);
    }
}

void BackgroundRender::deliverReports() {
    for (;;) {
        Report report;
        {
            const std::lock_guard<std::mutex> lock(reportsLock_);
            if (reports_.empty()) {
                return;
            }
            report = std::move(reports_.front());
            reports_.pop_front();
        }
        switch (report.kind) {
        case Report::Message:
            emit message(report.text);
            break;
        case Report::Start:
            emit started(report.total);
            break;
        case Report::Step:
            emit stepped();
            break;
        case Report::Finish:
            emit progressFinished();
            break;
        case Report::End:
            workerEnded(report.generation, report.completed, report.text);
            break;
        }
    }
}

namespace {

// The one thread every render of the process runs on, in the order asked for.
JobThread& renderThread() {
    static JobThread thread;
    return thread;
}

} // namespace

BackgroundRender::BackgroundRender(Material& material, QObject* parent)
    : QObject(parent), material_(material) {
    // An edit the material then refuses announces nothing, so the restart is asked for here too.
    material_.setEditGate([this] {
        interrupted_ = stop() || interrupted_;
        restartAfterEdit();
    });
    material_.addObserver(&watch_);
}

BackgroundRender::~BackgroundRender() {
    stop();
    material_.removeObserver(&watch_);
    material_.setEditGate({});
}

void BackgroundRender::run(std::shared_ptr<const RenderPlan> plan, unsigned generation) {
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
    queueReport({.kind = Report::End, .generation = generation, .completed = completed, .text = problem});
    // The last touch of this object: told under the lock, so whoever waits for it (the destructor too)
    // goes on only once this thread is done with it.
    const std::lock_guard lock(workLock_);
    busy_ = false;
    workChanged_.notify_all();
}

bool BackgroundRender::stop() {
    // A render still queued ends at once on the raised flag; a running one within a band of rows. Its
    // job may outlive the report of its end by a moment: it is waited for all the same.
    const bool wasRunning = running_;
    cancel_ = wasRunning;
    {
        std::unique_lock lock(workLock_);
        workChanged_.wait(lock, [this] { return !busy_; });
    }
    cancel_ = false;
    running_ = false;
    return wasRunning;
}

void BackgroundRender::start() {
    stop();
    interrupted_ = false;
    auto plan = std::make_shared<const RenderPlan>(material_.planAll());
    const unsigned generation = ++generation_;
    {
        const std::lock_guard lock(workLock_);
        busy_ = true;
    }
    running_ = true;
    renderThread().post([this, plan = std::move(plan), generation] { run(plan, generation); });
}

void BackgroundRender::workerEnded(unsigned generation, bool completed, const QString& problem) {
    // A render that was stopped is over already; its report is old news.
    if (generation != generation_ || !running_) {
        return;
    }
    running_ = false;
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
        if (interrupted_ && !running_) {
            start();
        }
    });
}
