#ifndef VN_JOB_VNJOBLINK_H
#define VN_JOB_VNJOBLINK_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// One edge of a job graph: the job labelled endlabel waits for the job labelled startlabel.
class VnJobLink : public VnPack {
public:
    // Both labels undefined.
    VnJobLink();
    // The same link as the default one: the text does not enter it.
    explicit VnJobLink(const VnString& text);
    VnJobLink(const VnJobLink& other) = default;
    ~VnJobLink() override;

    // Takes both labels.
    VnJobLink& operator=(const VnJobLink& other) = default;
    void copy(const VnJobLink& other);

    const VnString& startlabel() const { return _startlabel; }
    void startlabel(const VnString& label) { _startlabel = label; }
    const VnString& endlabel() const { return _endlabel; }
    void endlabel(const VnString& label) { _endlabel = label; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "start", _startlabel);
        field(2, "end", _endlabel);
    }

    VnString _startlabel;
    VnString _endlabel;
};

// The links of a graph.
VN_DECLARE_LIST(VnJobLinkList, VnJobLink, VN_TYPE_JOB_LINK_LIST, VN_XML_JOB_LINK_LIST)

#endif  // VN_JOB_VNJOBLINK_H
