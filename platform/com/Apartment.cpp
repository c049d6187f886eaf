#include "com/Apartment.h"

#include <deque>
#include <mutex>

namespace com {

namespace {

std::mutex lock;
ApartmentPoster poster;
std::deque<ApartmentCall> pending;

} // namespace

void SetApartmentPoster(ApartmentPoster p) {
    std::lock_guard guard(lock);
    poster = std::move(p);
}

void PostToApartment(ApartmentCall call) {
    ApartmentPoster p;
    {
        std::lock_guard guard(lock);
        if (!poster) {
            pending.push_back(std::move(call));
            return;
        }
        p = poster;
    }
    p(std::move(call));
}

int RunPendingApartmentCalls() {
    int ran = 0;
    for (;;) {
        ApartmentCall call;
        {
            std::lock_guard guard(lock);
            if (pending.empty()) return ran;
            call = std::move(pending.front());
            pending.pop_front();
        }
        call();
        ++ran;
    }
}

} // namespace com
