#include "base/Events.h"

#include <algorithm>

void Events::add(Event* handler) {
    handlers_.push_back(handler);
}

void Events::fire(void* payload) {
    // Index loop on purpose: handlers may append to the list while it fires.
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
        handlers_[i]->handle(payload);
    }
}

void Observable::addObserver(Event* observer) {
    observers_.push_back(observer);
}

void Observable::removeObserver(Event* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Observable::notifyObservers(void* payload) {
    // A copy, so an observer may unregister itself while being told.
    const std::vector<Event*> current = observers_;
    for (Event* observer : current) {
        observer->handle(payload);
    }
}
