#ifndef VN_H
#define VN_H

// Every public header of the library.

#include "base/VnBase.h"
#include "base/VnBaseHash.h"
#include "base/VnBaseList.h"
#include "base/VnPack.h"
#include "base/VnPackage.h"
#include "base/VnSimpleHash.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

#endif
