#include "com/ClassRegistry.h"

#include <mutex>
#include <vector>

namespace com {

namespace {

struct Entry {
    CLSID clsid;
    ClassFactory factory;
};

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::vector<Entry>& Registry() {
    static std::vector<Entry> entries;
    return entries;
}

} // namespace

void CoRegisterClass(const CLSID& clsid, ClassFactory factory) {
    std::lock_guard guard(RegistryLock());
    for (auto& e : Registry())
        if (e.clsid == clsid) {
            e.factory = std::move(factory);
            return;
        }
    Registry().push_back({clsid, std::move(factory)});
}

void CoRevokeClass(const CLSID& clsid) {
    std::lock_guard guard(RegistryLock());
    std::erase_if(Registry(), [&](const Entry& e) { return e.clsid == clsid; });
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD, const IID& iid,
                         void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ClassFactory factory;
    {
        std::lock_guard guard(RegistryLock());
        for (auto& e : Registry())
            if (e.clsid == clsid) factory = e.factory;
    }
    if (!factory) return REGDB_E_CLASSNOTREG;
    return factory(iid, object);
}

} // namespace com
