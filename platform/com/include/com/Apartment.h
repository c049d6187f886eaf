// The client's single-threaded apartment: the thread that enters it is its thread, and the
// calls a server posts into it run there, between that thread's messages, through the poster
// its message loop supplies. The toolkit's application object enters the window thread's.
#pragma once

#include <functional>
#include <memory>

namespace com {

using ApartmentCall = std::function<void()>;
using ApartmentPoster = std::function<void(ApartmentCall)>;

class TApartment {
    struct Core;

public:
    // Enters the apartment on the calling thread; poster hands each call to its message loop
    // and may be called from any thread. Raises rtl::Exception when the thread is in one.
    explicit TApartment(ApartmentPoster poster);
    // Leaves it: calls posted from now on are dropped.
    ~TApartment();
    TApartment(const TApartment&) = delete;
    TApartment& operator=(const TApartment&) = delete;

    // What a server keeps to reach an apartment that may have gone.
    class TRef {
    public:
        // Hands the call to the apartment's thread; false, the call dropped, once it has gone.
        // Safe from any thread.
        bool Post(ApartmentCall call) const;
        explicit operator bool() const { return !core_.expired(); }

    private:
        friend class TApartment;
        std::weak_ptr<Core> core_;
    };

    // The calling thread's apartment; a ref that drops every call when there is none.
    static TRef Current();

private:
    std::shared_ptr<Core> core_;
};

} // namespace com
