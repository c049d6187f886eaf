// Reference counting and the IDispatch answers of the proxies. Like the host's objects they serve
// early-bound calls only.
#pragma once

#include "com/Unknown.h"

#include <atomic>

namespace hostlink {

// Starts with one reference for its creator; the last Release deletes the object.
template <class Interface> class ProxyObject : public Interface {
public:
    com::ULONG AddRef() override { return ++refs_; }
    com::ULONG Release() override {
        const com::ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ProxyObject() = default;
    virtual ~ProxyObject() = default;

private:
    std::atomic<com::ULONG> refs_{1};
};

template <class Interface> class DispatchProxy : public ProxyObject<Interface> {
public:
    com::HRESULT GetTypeInfoCount(com::UINT* count) override {
        if (count) *count = 0;
        return com::E_NOTIMPL;
    }
    com::HRESULT GetTypeInfo(com::UINT, com::LCID, void** typeInfo) override {
        if (typeInfo) *typeInfo = nullptr;
        return com::E_NOTIMPL;
    }
    com::HRESULT GetIDsOfNames(const com::IID&, char16_t**, com::UINT, com::LCID,
                               com::DISPID*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(com::DISPID, const com::IID&, com::LCID, com::WORD, com::DISPPARAMS*,
                        com::VARIANT*, com::EXCEPINFO*, com::UINT*) override {
        return com::E_NOTIMPL;
    }
};

// Answers with the object seen as Interface, adding a reference.
template <class Interface, class Object> com::HRESULT Answer(Object* object, void** out) {
    Interface* p = object;
    p->AddRef();
    *out = p;
    return com::S_OK;
}

} // namespace hostlink
