// Reference counting and the IDispatch answers shared by the host's objects. The host serves
// early-bound calls only, so late binding through IDispatch is not offered.
#pragma once

#include "com/Unknown.h"

#include <atomic>

namespace hostsim {

// Starts with one reference for its creator; the last Release deletes the object.
template <class Interface> class ComObject : public Interface {
public:
    com::ULONG AddRef() override { return ++refs_; }
    com::ULONG Release() override {
        com::ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<com::ULONG> refs_{1};
};

template <class Interface> class DispatchObject : public ComObject<Interface> {
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

// Answers iid with the object seen as Interface, adding a reference.
template <class Interface, class Object> com::HRESULT AnswerInterface(Object* object, void** out) {
    Interface* p = object;
    p->AddRef();
    *out = p;
    return com::S_OK;
}

} // namespace hostsim
