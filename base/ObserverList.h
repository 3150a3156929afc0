#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// Non-owning listeners told in registration order. Safe against listeners that come and go while
// they are being told: one removed during a pass is not called later in that pass (its owner may be
// gone), and one added during a pass is first called in the next pass. Passes may nest.
template <typename Listener> class ObserverList {
public:
    void add(Listener* listener) { listeners_.push_back(listener); }

    void remove(Listener* listener) {
        const auto found = std::find(listeners_.begin(), listeners_.end(), listener);
        if (found == listeners_.end()) {
            return;
        }
        // A running pass walks the list by index: a hole keeps every other entry in its place.
        if (depth_ > 0) {
            *found = nullptr;
            ++holes_;
        } else {
            listeners_.erase(found);
        }
    }

    std::size_t size() const { return listeners_.size() - holes_; }

    // Calls `tell(listener)` for every listener present when the pass started and still present.
    template <typename Tell> void notify(Tell&& tell) {
        const Pass pass(*this);
        const std::size_t count = listeners_.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (Listener* listener = listeners_[i]) {
                tell(*listener);
            }
        }
    }

private:
    // Counts nested passes; the last to end closes the holes, also when a listener throws.
    class Pass {
    public:
        explicit Pass(ObserverList& list) : list_(list) { ++list_.depth_; }
        ~Pass() {
            if (--list_.depth_ == 0 && list_.holes_ > 0) {
                std::erase(list_.listeners_, nullptr);
                list_.holes_ = 0;
            }
        }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        ObserverList& list_;
    };

    std::vector<Listener*> listeners_;
    int depth_ = 0;
    std::size_t holes_ = 0;
};
