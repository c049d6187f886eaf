// What the chart engine needs of the component model: a name, a tag, whether the object is being
// read from a stream (checks and rebuilds wait until reading ends), and removal notifications
// between components that refer to each other.
#pragma once

#include <string>
#include <vector>

namespace kiv {

// A named, tagged object that hears when a component it refers to is freed.
class TComponent {
public:
    TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    // Tells every component that asked for it that this one is going away.
    virtual ~TComponent();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    long Tag() const { return tag_; }
    void SetTag(long value) { tag_ = value; }
    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    virtual void EndLoading() { loading_ = false; }

    // Each of the two is told (Notification) when the other is destroyed, whichever goes first.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

protected:
    // Called while removed is being destroyed: drop every reference to it.
    virtual void Notification(TComponent*) {}

private:
    void Forget(TComponent* other);

    std::string name_;
    long tag_ = 0;
    bool loading_ = false;
    std::vector<TComponent*> freeNotifies_;
};

} // namespace kiv
