#ifndef VN_JOB_VNPOST_H
#define VN_JOB_VNPOST_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"
#include "job/VnCallback.h"

// A post target: the address and port of a listener that wants to be told when its triggers
// fire. The supervisor runs it as a callback of language 6 ("post").
class VnPost : public VnPack {
public:
    // pid, id and port -1, address 0.0.0.0.
    VnPost();
    VnPost(const VnPost& other) = default;
    ~VnPost() override;

    // Takes every field.
    VnPost& operator=(const VnPost& other) = default;
    void copy(const VnPost& other);

    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    int id() const { return _id; }
    void id(int id) { _id = id; }
    int port() const { return _port; }
    void port(int port) { _port = port; }
    const VnString& triggers() const { return _triggers; }
    void triggers(const VnString& triggers) { _triggers = triggers; }
    // Takes count bytes from bytes; a count below 1 or a null pointer empties the triggers.
    void triggers(const char* bytes, int count);
    const VnAddress& address() const { return _address; }
    void address(const VnAddress& address) { _address = address; }

    // A default callback of language 6 ("post") with this target's pid and triggers, whose code
    // is the address in dotted decimal, ":" and the port in decimal. The id is not carried over.
    VnCallback callback() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(2, "pid", _pid);
        field(1, "id", _id);
        field(4, "port", _port);
        field(5, "triggers", _triggers);
        field(3, "address", _address);
    }

    int _pid;
    int _id;
    int _port;
    VnString _triggers;
    VnAddress _address;
};

VN_DECLARE_LIST(VnPostList, VnPost, VN_TYPE_POST_LIST, VN_XML_POST_LIST)

#endif  // VN_JOB_VNPOST_H
