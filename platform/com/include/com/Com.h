// The whole COM subset in one include.
#pragma once

#include "com/Apartment.h"
#include "com/Bstr.h"
#include "com/ClassRegistry.h"
#include "com/ComPtr.h"
#include "com/OleCheck.h"
#include "com/Types.h"
#include "com/Unknown.h"
#include "com/Variant.h"
