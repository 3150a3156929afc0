#include "base/Events.h"

void Events::add(Event* handler) {
    handlers_.push_back(handler);
}

void Events::fire(void* payload) {
    // Index loop on purpose: handlers may append to the list while it fires.
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
        handlers_[i]->handle(payload);
    }
}

void Observable::notifyObservers(void* payload) {
    observers_.notify([payload](Event& observer) { observer.handle(payload); });
}
