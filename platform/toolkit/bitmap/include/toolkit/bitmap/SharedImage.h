// Image data shared by several pictures; the last Release frees it.
#pragma once

#include <atomic>

namespace tk {

// Image data that several pictures share; the last Release frees it.
class TSharedImage {
public:
    TSharedImage() = default;
    TSharedImage(const TSharedImage&) = delete;
    TSharedImage& operator=(const TSharedImage&) = delete;

    void Reference() { refCount_.fetch_add(1, std::memory_order_relaxed); }
    void Release() {
        if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            FreeHandle();
            delete this;
        }
    }
    int RefCount() const { return refCount_.load(std::memory_order_relaxed); }

protected:
    virtual ~TSharedImage() = default;
    virtual void FreeHandle() = 0;

private:
    std::atomic<int> refCount_{0};
};

} // namespace tk
