// Reference counting and the IDispatch answers shared by the objects that serve the host's
// interfaces: the host's own and the desk's proxies of them. They serve early-bound calls only,
// so late binding through IDispatch is not offered.
#pragma once

#include "com/Unknown.h"

#include <atomic>

namespace com {

// Starts with one reference for its creator; the last Release deletes the object.
template <class Interface> class ComObject : public Interface {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs_{1};
};

template <class Interface> class DispatchObject : public ComObject<Interface> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    HRESULT GetTypeInfo(UINT, LCID, void** typeInfo) override {
        if (typeInfo) *typeInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(const IID&, char16_t**, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        return E_NOTIMPL;
    }
};

// Answers iid with the object seen as Interface, adding a reference.
template <class Interface, class Object> HRESULT AnswerInterface(Object* object, void** out) {
    Interface* p = object;
    p->AddRef();
    *out = p;
    return S_OK;
}

} // namespace com
