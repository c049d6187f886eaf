#include "com/Apartment.h"

#include "rtl/Exceptions.h"

#include <mutex>

namespace com {

struct TApartment::Core {
    std::mutex Lock; // held while posting, so that leaving waits for a post under way
    ApartmentPoster Poster;
    ApartmentWatcher Watcher;
    bool Left = false;
};

namespace {

thread_local std::weak_ptr<void> currentCore;

} // namespace

TApartment::TApartment(ApartmentPoster poster, ApartmentWatcher watcher)
    : core_(std::make_shared<Core>()) {
    if (!currentCore.expired()) throw rtl::Exception("The thread is in an apartment already");
    core_->Poster = std::move(poster);
    core_->Watcher = std::move(watcher);
    currentCore = core_;
}

TApartment::~TApartment() {
    currentCore.reset();
    std::lock_guard guard(core_->Lock);
    core_->Left = true;
}

bool TApartment::TRef::Post(ApartmentCall call) const {
    std::shared_ptr<Core> core = core_.lock();
    if (!core) return false;
    std::lock_guard guard(core->Lock);
    if (core->Left) return false;
    core->Poster(std::move(call));
    return true;
}

bool TApartment::TRef::CanWatch() const {
    std::shared_ptr<Core> core = core_.lock();
    return core && core->Watcher;
}

ApartmentWatch TApartment::TRef::Watch(int fd, ApartmentCall onReadable) const {
    std::shared_ptr<Core> core = core_.lock();
    if (!core || !core->Watcher) return nullptr;
    {
        std::lock_guard guard(core->Lock);
        if (core->Left) return nullptr;
    }
    return core->Watcher(fd, std::move(onReadable));
}

TApartment::TRef TApartment::Current() {
    TRef ref;
    ref.core_ = std::static_pointer_cast<Core>(currentCore.lock());
    return ref;
}

} // namespace com
