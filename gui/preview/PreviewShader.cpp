#include "gui/preview/PreviewShader.h"

#include "core/parallel/Parallel.h"
#include "gui/common/JobThread.h"
#include "gui/preview/LitPicture.h"

#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// What the shading thread and the user-interface thread share; the job on the shading thread keeps
// it alive after the shader is gone.
struct PreviewShader::Shared {
    std::mutex lock;
    std::condition_variable changed;
    PreviewShader* owner = nullptr; // null once the shader is gone
    LitMaps maps;                   // written only while no frame is being shaded
    std::optional<QPoint> wanted;   // the newest light position not yet shaded
    std::optional<QPoint> shaded;   // the light position of the last frame asked for
    LightShape shape;
    bool queued = false;  // a job of this shader is on the shading thread
    bool shading = false; // a frame is being shaded: the maps are read, `working` written
    std::atomic<bool> cancel{false};
    QImage working; // the shading thread's
    QImage ready;   // the newest finished frame, until the user-interface thread takes it
    bool readyIsNew = false;
};

namespace {

// The one thread every preview frame of the process runs on, in the order asked for.
JobThread& shadingThread() {
    static JobThread thread;
    return thread;
}

} // namespace

PreviewShader::PreviewShader(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
}

PreviewShader::~PreviewShader() {
    const std::lock_guard lock(shared_->lock);
    shared_->owner = nullptr;
    shared_->cancel = true;
}

void PreviewShader::setMaps(const Velvor::Image& diffuse, const Velvor::Image& normals,
                            const Velvor::Image* specular) {
    std::unique_lock lock(shared_->lock);
    shared_->cancel = true;
    shared_->changed.wait(lock, [this] { return !shared_->shading; });
    // No frame starts while the lock is held; lowered first, so a failed copy stops nothing for good.
    shared_->cancel = false;
    LitMaps& maps = shared_->maps;
    maps.diffuse = diffuse;
    maps.normals = normals;
    if (specular == nullptr) {
        maps.specular.reset();
    } else if (maps.specular) {
        *maps.specular = *specular;
    } else {
        maps.specular = *specular;
    }
    if (shared_->wanted) {
        schedule(shared_);
    }
}

void PreviewShader::moveLight(QPoint picturePoint) {
    const std::lock_guard lock(shared_->lock);
    shared_->wanted = picturePoint;
    shared_->shaded = picturePoint;
    schedule(shared_);
}

void PreviewShader::setLightShape(LightShape shape) {
    const std::lock_guard lock(shared_->lock);
    shared_->shape = shape;
    if (shared_->shaded) {
        shared_->wanted = shared_->shaded;
        schedule(shared_);
    }
}

void PreviewShader::schedule(const std::shared_ptr<Shared>& shared) {
    if (!shared->queued) {
        shared->queued = true;
        shadingThread().post([shared] { work(shared); });
    }
}

// On the shading thread: frames for the newest position until none is wanted, the maps change or
// the shader is gone.
void PreviewShader::work(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->lock);
    while (shared->owner != nullptr && !shared->cancel && shared->wanted) {
        const LitMaps& maps = shared->maps;
        const QPoint position = *shared->wanted;
        const PreviewLight light =
            lightAbove(position, maps.diffuse.getWidth(), maps.diffuse.getHeight(), shared->shape);
        shared->wanted.reset();
        shared->shading = true;
        lock.unlock();
        {
            const Velvor::CancelScope scope(&shared->cancel);
            shadeLitPicture(maps, light, shared->working);
        }
        lock.lock();
        shared->shading = false;
        shared->changed.notify_all();
        if (shared->cancel) {
            // New maps: the position is shaded again with them, unless a newer one came.
            shared->wanted = shared->wanted.value_or(position);
        } else if (shared->owner != nullptr) {
            std::swap(shared->working, shared->ready);
            // A frame not taken yet is replaced; its notice is on its way already.
            if (!shared->readyIsNew) {
                QMetaObject::invokeMethod(shared->owner, &PreviewShader::takeFrame, Qt::QueuedConnection);
            }
            shared->readyIsNew = true;
        }
    }
    shared->queued = false;
    shared->changed.notify_all();
}

void PreviewShader::takeFrame() {
    {
        const std::lock_guard lock(shared_->lock);
        if (!shared_->readyIsNew) {
            return;
        }
        std::swap(shared_->ready, frame_);
        shared_->readyIsNew = false;
    }
    emit frameShown();
}

void PreviewShader::waitUntilShaded() {
    {
        std::unique_lock lock(shared_->lock);
        shared_->changed.wait(lock, [this] { return !shared_->queued; });
    }
    takeFrame();
}
