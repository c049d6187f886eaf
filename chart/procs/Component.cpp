// TComponent: removal notifications between components that refer to each other.

#include "chart/procs/Component.h"

#include <algorithm>

namespace kiv {

TComponent::~TComponent() {
    // A notified component may ask to forget others; walk a copy.
    const std::vector<TComponent*> notifies = std::move(freeNotifies_);
    freeNotifies_.clear();
    for (TComponent* c : notifies) {
        c->Forget(this);
        c->Notification(this);
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    Forget(other);
    other->Forget(this);
}

void TComponent::Forget(TComponent* other) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other),
                        freeNotifies_.end());
}

} // namespace kiv
