#ifndef VN_SYSTEM_VNFLAG_H
#define VN_SYSTEM_VNFLAG_H

#include "base/VnString.h"

// Flag words: sets of on/off options kept as the bits of one int, with one pair of
// conversions per set.
//
// The string side (..._flag_string) names the set bits, in the order of the set's table
// (which is not always the order of the bits), joined by "," without blanks; bits without a
// name are ignored, and a value with no named bit gives "0".
//
// The integer side (..._flag_int) takes an integer text (isinteger(): non-empty, a digit or
// "-" first, digits after) as the value itself. Any other text is a comma list of names,
// each trimmed of white space and compared case-sensitively; the values of the known names
// are added (a name given twice counts twice, the sum wrapping around as unsigned) and
// unknown names are skipped. An empty text gives 0.

VnString vn_supervisor_mode_flag_string(int flags);
int vn_supervisor_mode_flag_int(const VnString& text);

VnString vn_worker_flag_string(int flags);
int vn_worker_flag_int(const VnString& text);

VnString vn_supervisor_flag_string(int flags);
int vn_supervisor_flag_int(const VnString& text);

// The languages in which callbacks may be written.
VnString vn_supervisor_language_flag_string(int flags);
int vn_supervisor_language_flag_int(const VnString& text);

VnString vn_supervisor_log_flag_string(int flags);
int vn_supervisor_log_flag_int(const VnString& text);

VnString vn_supervisor_manifest_flag_string(int flags);
int vn_supervisor_manifest_flag_int(const VnString& text);

VnString vn_client_flag_string(int flags);
int vn_client_flag_int(const VnString& text);

VnString vn_database_flag_string(int flags);
int vn_database_flag_int(const VnString& text);

// The integer side also reads "uninterruptable" for "uninterruptible".
VnString vn_job_flag_string(int flags);
int vn_job_flag_int(const VnString& text);

// The rights of a user or group.
VnString vn_permission_flag_string(int flags);
int vn_permission_flag_int(const VnString& text);

#endif  // VN_SYSTEM_VNFLAG_H
