// What the chart engine needs of the component model: a name, a tag, and whether the object is
// being read from a stream (checks and rebuilds wait until reading ends).
#pragma once

#include <string>

namespace kiv {

class TComponent {
public:
    TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent() = default;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    long Tag() const { return tag_; }
    void SetTag(long value) { tag_ = value; }
    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    virtual void EndLoading() { loading_ = false; }

private:
    std::string name_;
    long tag_ = 0;
    bool loading_ = false;
};

} // namespace kiv
