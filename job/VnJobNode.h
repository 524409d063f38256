#ifndef VN_JOB_VNJOBNODE_H
#define VN_JOB_VNJOBNODE_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnJob.h"

// One node of a job graph: a job and the node's place in the drawing of the graph.
class VnJobNode : public VnPack {
public:
    // At 0, 0 with a default job.
    VnJobNode();
    // The same node as the default one: the text does not enter it.
    explicit VnJobNode(const VnString& text);
    VnJobNode(const VnJobNode& other) = default;
    ~VnJobNode() override;

    // Takes every field.
    VnJobNode& operator=(const VnJobNode& other) = default;
    void copy(const VnJobNode& other);

    int x() const { return _x; }
    void x(int x) { _x = x; }
    int y() const { return _y; }
    void y(int y) { _y = y; }
    // Given out to be read and changed in place.
    VnJob& job() { return _job; }
    const VnJob& job() const { return _job; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "x", _x);
        field(2, "y", _y);
        field(3, "job", _job);
    }

    int _x = 0;
    int _y = 0;
    VnJob _job;
};

// The nodes of a graph.
VN_DECLARE_LIST(VnJobNodeList, VnJobNode, VN_TYPE_JOB_NODE_LIST, VN_XML_JOB_NODE_LIST)

#endif  // VN_JOB_VNJOBNODE_H
