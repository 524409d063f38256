#ifndef VN_H
#define VN_H

// Every public header of the library.
#include "base/VnBase.h"
#include "base/VnBaseHash.h"
#include "base/VnBaseList.h"
#include "base/VnDataHash.h"
#include "base/VnDebug.h"
#include "base/VnError.h"
#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnIntHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnPackObj.h"
#include "base/VnPackage.h"
#include "base/VnSid.h"
#include "base/VnSimpleHash.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "expression/VnExpression.h"
#include "expression/VnReference.h"
#include "expression/VnRegEx.h"
#include "expression/VnScalar.h"
#include "system/VnDir.h"
#include "system/VnFile.h"
#include "system/VnMacro.h"
#include "system/VnOption.h"
#include "system/VnParam.h"

#endif
