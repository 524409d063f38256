#ifndef VN_SYSTEM_VNDEFAULT_H
#define VN_SYSTEM_VNDEFAULT_H

#include "base/VnString.h"

// The built-in defaults of every setting, by index: one fixed table of texts (indexes 0 to
// 609) and one of integers. Several texts are the install directory followed by a suffix;
// they are made from the current install directory at every call.

// The text default of index; "" for an index without one.
VnString vn_default_string(int index);
// The integer default of index; 0 for an index without one.
int vn_default_int(int index);
// Makes dir the install directory, as given (no checking).
void vn_default_set_vndir(const VnString& dir);

// The process-wide install directory, "/Applications/zmr/vorn" (the default of index 0)
// until vn_default_set_vndir changes it. It is built on first use, so code that runs during
// static initialisation may already read it.
VnString& vn_default_dir_obj();
#define _vn_default_dir (vn_default_dir_obj())

#endif  // VN_SYSTEM_VNDEFAULT_H
