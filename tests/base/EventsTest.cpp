#include "base/Events.h"

#include "base/ObserverList.h"
#include "base/Progress.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Told = Event<const std::string&>;

struct Recorder : Told {
    Recorder(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void handle(const std::string& payload) override { log.push_back(name + ":" + payload); }
    std::vector<std::string>& log;
    std::string name;
};

} // namespace

TEST(EventsTest, FiresHandlersInRegistrationOrderWithTheSamePayload) {
    std::vector<std::string> log;
    Events<const std::string&> events;
    events.fire("x"); // empty list: nothing to call
    EXPECT_TRUE(log.empty());

    Recorder first(log, "a");
    Recorder second(log, "b");
    events.add(&first);
    events.add(&second);
    events.fire("x");
    EXPECT_EQ(log, (std::vector<std::string>{"a:x", "b:x"}));
}

TEST(EventsTest, HandlerAddedWhileFiringIsCalledInTheSamePass) {
    std::vector<std::string> log;
    Events<const std::string&> events;
    Recorder late(log, "late");
    struct Adder : Told {
        Adder(Events<const std::string&>& events, Told& late) : events(events), late(late) {}
        void handle(const std::string&) override {
            if (!added) {
                added = true;
                events.add(&late);
            }
        }
        Events<const std::string&>& events;
        Told& late;
        bool added = false;
    } adder(events, late);
    events.add(&adder);
    events.fire("p");
    EXPECT_EQ(log, std::vector<std::string>{"late:p"});
}

TEST(EventsTest, ProgressTellsItsObserversEachMessageUntilTheyLeave) {
    struct Sink : Progress {
        void start(int) override {}
        void step() override {}
        void finish() override {}
        void message(const std::string& text) override { notifyObservers(text); }
    } sink;
    std::vector<std::string> log;
    Recorder window(log, "log");
    sink.addObserver(&window);
    sink.message("Ready.");
    sink.removeObserver(&window);
    sink.message("unseen");
    EXPECT_EQ(log, std::vector<std::string>{"log:Ready."});
    EXPECT_EQ(sink.getObserverCount(), 0u);
}

// A listener may drop another (whose owner is then gone) or add one while the list tells them, also
// from a pass nested inside another; the dropped one is never called again, the new one from the next
// pass on (a nested pass is a pass of its own).
TEST(EventsTest, ObserversRemovedOrAddedDuringAPassAreNotCalledInIt) {
    struct Listener {
        std::function<void()> onTold;
        int told = 0;
        void tell() {
            ++told;
            if (onTold) {
                onTold();
            }
        }
    };
    ObserverList<Listener> list;
    Listener remover;
    Listener removed;
    Listener added;
    Listener nester;
    const auto tellAll = [&list] { list.notify([](Listener& listener) { listener.tell(); }); };
    remover.onTold = [&] {
        list.remove(&removed);
        list.add(&added);
        remover.onTold = nullptr;
    };
    int nesting = 0;
    nester.onTold = [&] {
        if (nesting++ == 0) {
            tellAll(); // the remover has run: `removed` is gone from this inner pass as well
        }
    };
    list.add(&remover);
    list.add(&nester);
    list.add(&removed);
    tellAll();
    EXPECT_EQ(remover.told, 2);
    EXPECT_EQ(nester.told, 2);
    EXPECT_EQ(removed.told, 0);
    EXPECT_EQ(added.told, 1); // in the inner pass only
    EXPECT_EQ(list.size(), 3u);

    tellAll();
    EXPECT_EQ(added.told, 2);
    EXPECT_EQ(removed.told, 0);
}
