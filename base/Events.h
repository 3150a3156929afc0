#pragma once

#include "base/ObserverList.h"

#include <cstddef>
#include <vector>

// A handler for one kind of notification; the kind fixes what it is told (`Payload`, none for a
// plain signal).
template <typename... Payload> class Event {
public:
    virtual ~Event() = default;
    virtual void handle(Payload... payload) = 0;
};

// An ordered list of non-owning handlers; fire() calls them in registration order. A handler added
// while the list fires is called in the same pass.
template <typename... Payload> class Events {
public:
    void add(Event<Payload...>* handler) { handlers_.push_back(handler); }
    void fire(Payload... payload) {
        // Index loop on purpose: handlers may append to the list while it fires.
        for (std::size_t i = 0; i < handlers_.size(); ++i) {
            handlers_[i]->handle(payload...);
        }
    }
    std::size_t size() const { return handlers_.size(); }

private:
    std::vector<Event<Payload...>*> handlers_;
};

// Something others watch. Observers are not owned; they unregister themselves before they go, and
// one that unregisters while being told (or while another is told) is not called again.
template <typename... Payload> class Observable {
public:
    virtual ~Observable() = default;

    void addObserver(Event<Payload...>* observer) { observers_.add(observer); }
    void removeObserver(Event<Payload...>* observer) { observers_.remove(observer); }
    std::size_t getObserverCount() const { return observers_.size(); }

protected:
    void notifyObservers(Payload... payload) {
        observers_.notify([&](Event<Payload...>& observer) { observer.handle(payload...); });
    }

private:
    ObserverList<Event<Payload...>> observers_;
};
