#pragma once

#include "base/ObserverList.h"

#include <cstddef>
#include <vector>

// A handler for one kind of notification. The payload's type is fixed by each event kind.
class Event {
public:
    virtual ~Event() = default;
    virtual void handle(void* payload) = 0;
};

// An ordered list of non-owning handlers; fire() calls them in registration order. A handler added
// while the list fires is called in the same pass.
class Events {
public:
    virtual ~Events() = default;

    void add(Event* handler);
    void fire(void* payload);
    std::size_t size() const { return handlers_.size(); }

private:
    std::vector<Event*> handlers_;
};

// Something others watch. Observers are not owned; they unregister themselves before they go, and
// one that unregisters while being told (or while another is told) is not called again.
class Observable {
public:
    virtual ~Observable() = default;

    void addObserver(Event* observer) { observers_.add(observer); }
    void removeObserver(Event* observer) { observers_.remove(observer); }
    std::size_t getObserverCount() const { return observers_.size(); }

protected:
    void notifyObservers(void* payload);

private:
    ObserverList<Event> observers_;
};
