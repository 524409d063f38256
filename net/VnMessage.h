#ifndef VN_NET_VNMESSAGE_H
#define VN_NET_VNMESSAGE_H

#include "base/VnFields.h"
#include "base/VnHeldObject.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// The envelope of every request and reply: the message number (the request's kind, or the
// reply's tag), the name of the user who sends it, and one object that it carries. The
// message owns that object.
//
// Packed forms: the message number as an int field under tag 1, the user name as a string
// field under tag 2 and the content as a nested object under tag 3; in XML the elements
// "tag", "user" and "content". A binary reader makes the content from the class number in
// its field (vn_registry_create); a class it does not know leaves the message without
// content. The XML form names no class number, so its reader fills only a content object
// that the message already holds.
class VnMessage : public VnPack {
public:
    // An empty message that receives a reply; message number -1.
    VnMessage();
    // A request with message number tag and no content.
    explicit VnMessage(int tag);
    // The content is owned, so a message is not copied.
    VnMessage(const VnMessage&) = delete;
    VnMessage& operator=(const VnMessage&) = delete;
    ~VnMessage() override;

    int tag() const;
    void tag(int tag);
    const VnString& user() const;
    void user(const VnString& name);
    // The object carried, null when there is none.
    VnPack* content();
    // Carries content from now on, deleting the object carried before (unless it is the same).
    void content(VnPack* content);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "tag", _tag);
        field(2, "user", _user);
        field(3, "content", _content);
    }

    int _tag;
    VnString _user;
    VnHeldObject _content;
};

#endif  // VN_NET_VNMESSAGE_H
