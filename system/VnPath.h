#ifndef VN_SYSTEM_VNPATH_H
#define VN_SYSTEM_VNPATH_H

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"

class VnPathMap;

// One path text with its kind, and the path services of a farm that mixes Unix, Mac and
// Windows hosts: classifying paths, making them absolute, comparing them component by
// component and rewriting them from one host's view to another's through path maps.
//
// Kinds: 0 unknown, 1 UNC (\\server\share), 2 DOS (a backslash, or C:/), 3 Unix (/usr),
// 4 NFS (host:/export). Components are cut at "/" and at backslashes alike.
class VnPath : public VnBase {
public:
    VnPath();
    // The path with its kind as analyse gives it.
    explicit VnPath(const VnString& path);
    ~VnPath() override;

    int type() override;

    const VnString& value() const;
    int pathtype() const;
    // "unknown", "unc", "dos", "unix" or "nfs"; "unknown" for any other kind value.
    VnString pathtypestring() const;

    // 1 when the value is absolute for its kind: UNC and NFS always; DOS with a drive letter,
    // ":" and a slash or backslash; Unix with a leading "/". 0 otherwise.
    int isFullPath() const;
    // Unless the value is absolute: puts dir and a "/" (left out when dir ends with one)
    // before it and analyses the kind again.
    void root(const VnString& dir);
    // The value without as many leading components as match(prefix, value) counts, each
    // remaining component preceded by the separator of kind ("/" for kinds 0, 3 and 4, a
    // backslash for 1 and 2, none for others). The value unchanged when the count is 0; ""
    // when every component goes.
    VnString strip(const VnString& prefix, int kind) const;
    // The value rewritten from the host of the maps from to the host of the maps to, in
    // three stages, each tried only when the one before found no name the path lies under:
    //  1. the source host's direct names, compared with the path: the target host's entry of the
    //     best name, then the rest of the path after the source host's entry of that name (the
    //     path unchanged when the target host has no such name);
    //  2. the target host's direct names, compared with the path: the target host's entry of the
    //     best name, then the rest of the path after that name;
    //  3. the source host's logical entries, compared with the path: the target host's entry of
    //     the best name, then the rest of the path after the source host's entry (the path
    //     unchanged when the target host has no such name).
    // The best name matches the most components (match), the first in the map's order among
    // equals. The rest is written with the separator of the kind of the entry it follows. A path of
    // unknown kind, or a relative DOS path, is only normalised; a path under no name stays.
    // The object does not change.
    VnString translate(VnPathMap& from, VnPathMap& to) const;

    // The kind of a path text.
    static int analyse(const VnString& path);
    // The parent directory with one trailing "/": /a/b/c and /a/b/c/ give /a/b/, a/b gives
    // a/, and c, /c and / give "/".
    static VnString chomp(const VnString& path);
    // Appends the non-empty components of path to list, which is not cleared first.
    static void split(const VnString& path, VnStringList& list);
    // 0 when a has more components than b; else the number of positions of a's components
    // at which b holds an equal one (a differing position does not end the count).
    static int match(const VnString& a, const VnString& b);
    // A copy with every backslash made a "/".
    static VnString normalize(const VnString& path);

private:
    VnString _value;
    int _pathtype;
};

#endif  // VN_SYSTEM_VNPATH_H
