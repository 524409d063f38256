#ifndef VN_FARM_VNPATHMAP_H
#define VN_FARM_VNPATHMAP_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"

// The path translations of one host: a direct map and a logical map, each from a name to
// the path it stands for on that host. Path translation (VnPath::translate) reads two of
// them, the source host's and the target host's.
//
// Packed forms (the library's own layout): the direct map as a nested string hash under
// tag 1 and the logical map under tag 2; in XML the elements "directmap" and "logicalmap".
class VnPathMap : public VnPack {
public:
    VnPathMap();
    VnPathMap(const VnPathMap& other);
    ~VnPathMap() override;

    // Takes both maps, copied deeply.
    VnPathMap& operator=(const VnPathMap& other) = default;
    void copy(const VnPathMap& other);

    // Adds the entries of the "direct" and "logical" sections of the sectioned configuration
    // file at path to the two maps (an entry's name is the key, its value the replacement),
    // replacing equal keys. 1 when the file was read whole; 0 when it is missing, does not
    // read or is too large (nothing is added then), and 0 when its reading stopped at the
    // parse's memory allowance (the entries read before it are added). 0 too when memory
    // runs out during the load: the entries read before are added, but those whose values
    // were not yet expanded keep their references as the parse stored them (an entry such as
    // direct./show = '$logical./x' keeps that text; "self" and "this" stand as the section's
    // name). A line without "=" ends the file, and
    // what came before it counts as the whole file.
    int load(const VnString& path);

    VnStringHash& directmap();
    VnStringHash& logicalmap();
    const VnStringHash& directmap() const;
    const VnStringHash& logicalmap() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "directmap", _directmap);
        field(2, "logicalmap", _logicalmap);
    }

    VnStringHash _directmap;
    VnStringHash _logicalmap;
};

#endif  // VN_FARM_VNPATHMAP_H
