#ifndef VN_SYSTEM_VNCACHEFILE_H
#define VN_SYSTEM_VNCACHEFILE_H

#include "base/VnString.h"

// Small per-user cache files kept in the shared temporary directory. Another user may have
// placed a file or a link under the same name, so neither function follows a symbolic link,
// and only a regular file that belongs to the process's user and has no other name (no hard
// link to it) is read or written.

// The file's whole contents; "" when the file is missing, is not a regular file of this
// user with one link, cannot be read or holds more than limit bytes.
VnString vn_cache_load(const VnString& path, int limit);

// Replaces the file's contents by text, creating it readable and writable by its owner only
// (mode 0600). 1 when every byte was written, else 0 (the file is then left as it was when
// it could not be opened as this user's own file).
int vn_cache_save(const VnString& path, const VnString& text);

#endif  // VN_SYSTEM_VNCACHEFILE_H
