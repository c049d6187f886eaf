// The client's single-threaded apartment: the thread that enters it is its thread, and the
// calls a server posts into it run there, between that thread's messages, through the poster
// its message loop supplies. The toolkit's application object enters the window thread's.
#pragma once

#include <functional>
#include <memory>

namespace com {

using ApartmentCall = std::function<void()>;
using ApartmentPoster = std::function<void(ApartmentCall)>;
// A watch on a descriptor, kept while the handle is held; letting go of it (on any thread) ends
// it, and its call does not run after that.
using ApartmentWatch = std::shared_ptr<void>;
// What a message loop that can wait for descriptors offers: onReadable runs on its thread,
// between its other messages, whenever fd has something to read. Made on the loop's thread.
using ApartmentWatcher = std::function<ApartmentWatch(int fd, ApartmentCall onReadable)>;

class TApartment {
    struct Core;

public:
    // Enters the apartment on the calling thread; poster hands each call to its message loop
    // and may be called from any thread. Raises rtl::Exception when the thread is in one.
    // With watcher, a server may have the apartment's own thread read its descriptors, so what
    // arrives there reaches the client without first waking a thread of the server's.
    explicit TApartment(ApartmentPoster poster, ApartmentWatcher watcher = nullptr);
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
        // Whether the apartment's loop can watch descriptors.
        bool CanWatch() const;
        // Watches fd for the apartment (see ApartmentWatcher); null when it cannot or has
        // gone. On the apartment's thread.
        ApartmentWatch Watch(int fd, ApartmentCall onReadable) const;
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
