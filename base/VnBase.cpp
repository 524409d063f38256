#include "base/VnBase.h"

VnBase::VnBase() = default;

VnBase::~VnBase() = default;
