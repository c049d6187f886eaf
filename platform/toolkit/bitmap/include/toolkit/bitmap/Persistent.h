// Objects that copy their content from one another through Assign.
#pragma once

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <string>

namespace tk {

// The base of objects that can be assigned from one another.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    virtual const char* ClassName() const = 0;

    // A class that knows its source overrides Assign; otherwise the source may know how to fill
    // this object (AssignTo), and when neither does the assignment fails.
    virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }
    virtual void AssignTo(TPersistent& dest) const {
        throw rtl::EConvertError(
            rtl::Format("Cannot assign a %s to a %s", {ClassName(), dest.ClassName()}));
    }

protected:
    // Copies go through Assign; moving is left to classes that can hand over their content.
    TPersistent(TPersistent&&) = default;
    TPersistent& operator=(TPersistent&&) = default;
};

// Raised to end an operation quietly, for instance from a progress handler that cancels.
class EAbort : public rtl::Exception {
public:
    EAbort() : rtl::Exception("Operation aborted") {}
};

} // namespace tk
