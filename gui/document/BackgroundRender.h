#pragma once

// Rendering off the user-interface thread, so the window stays responsive while a large material
// renders. The plan is made on the user-interface thread (it reads the graph); the process's one
// render thread runs it. Progress reaches the user-interface thread as queued signals, in order. The
// material's edit gate stops a running render before any edit it reads, so an edit never races a
// running operator: the operator stops within a band of rows, what it did not finish stays dirty,
// and the render starts again after the edit from the new state (also when the edit was refused).
// Views copy images only while no render writes them: when one has finished, or with it stopped.

#include "model/Material.h"
#include "model/RenderPlan.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

class BackgroundRender : public QObject {
    Q_OBJECT

public:
    explicit BackgroundRender(Material& material, QObject* parent = nullptr);
    // Cancels and waits for a running render.
    ~BackgroundRender() override;

    // Renders every collector; a running render is cancelled and replaced by this one.
    void start();
    // Cancels a running render and waits for its worker (at most the operator it is running).
    // Returns whether one was running.
    bool stop();
    // From start() until the worker's end has reached this thread (or stop()), and while a render
    // an edit stopped waits to start again.
    bool isRunning() const { return running_ || restartQueued_; }

signals:
    void message(const QString& text);
    void started(int total);
    void stepped();
    void progressFinished();
    // After the last step of a render that was not cancelled, or after its failure (with the
    // message of the exception).
    void finished();
    void failed(const QString& message);

private slots:
    // Called through the event loop: hands every queued report on, in order.
    void deliverReports();

private:
    class QueuedProgress;

    // What the worker reports; it crosses threads through the locked queue only.
    struct Report {
        enum Kind { Message, Start, Step, Finish, End } kind = Message;
        int total = 0;           // Start
        unsigned generation = 0; // End: which render ended
        bool completed = false;  // End
        QString text = {};       // Message: the line; End: the failure, if any
    };
    void queueReport(Report report);

    void restartAfterEdit();
    void workerEnded(unsigned generation, bool completed, const QString& problem);

    Material& material_;
    std::mutex reportsLock_;
    std::deque<Report> reports_;
    // Renders run on one thread for the whole process (every editor window's): a thread per render,
    // or per window, would make each a new root of the OpenMP runtime, and clang's runtime does not
    // survive such roots ending for long.
    void run(std::shared_ptr<const RenderPlan> plan, unsigned generation);
    std::mutex workLock_;
    std::condition_variable workChanged_;
    bool busy_ = false;    // a render of ours is queued or running on the render thread
    bool running_ = false; // user-interface side: from start() until its end is reported or stop()
    std::atomic<bool> cancel_{false};
    unsigned generation_ = 0;
    bool interrupted_ = false;
    bool restartQueued_ = false;

    class EditWatch : public MaterialObserver {
    public:
        explicit EditWatch(BackgroundRender& render) : render_(render) {}
        void materialChanged(const MaterialChange&) override { render_.restartAfterEdit(); }

    private:
        BackgroundRender& render_;
    };
    EditWatch watch_{*this};
};
