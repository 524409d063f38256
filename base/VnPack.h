#ifndef VN_BASE_VNPACK_H
#define VN_BASE_VNPACK_H

#include <cstdint>
#include <string_view>

#include "base/VnBase.h"
#include "base/VnPackFormat.h"
#include "base/VnString.h"

class VnPackObj;
struct VnPackText;

// Base of every serialisable object. A class writes its fields in encode()
// with one store() per field, each under a small tag of its own, and reads
// them in decode() with the matching restore() calls.
//
// Tagged binary form (big-endian, unaligned): a packed object is the version
// word 1 followed by its fields; a field is a 16-bit signed tag, a 16-bit type
// code and the payload of that type:
//   1 int (4 bytes)            2 char (1 byte)
//   3 string (length, bytes)   4 object (type number, length, fields)
//   5 float (4 bytes IEEE)     6 unsigned char (1 byte)
// A reader skips every field it does not ask for; a malformed field ends the
// reading of the object it belongs to, and enclosing objects go on after the
// nested object's length.
//
// XML form (encodeXML/decodeXML with storeXML/restoreXML): the line
// "<version>1</version>", then the object block: "<object type = '", the
// typeXML(), "'>", one line per field, "</object>". A field is an element
// named by the field; a nested object's block sits inside its element, one
// TAB deeper per level. The reader parses the whole text into a tree of
// VnPackObj nodes first; fields are then looked up by name.
class VnPack : public VnBase {
public:
    // Deepest nested object that the binary and the XML reader accept; the
    // top-level object is level 0. The binary reader passes over a deeper
    // object as it passes over any object it cannot read (one of an unknown
    // class): the object is left out, the rest of its parent's fields are not
    // read, the levels above go on, and unpack still answers 0. The XML
    // reader refuses the whole document (unpackXML answers 4). Other XML
    // elements nest no deeper than this inside one object block. The writers
    // leave a deeper object out, with the field that holds it, and the debug
    // log says so once per pack or packXML. A hash keeps the key of a value
    // left out: both forms read it back with a value as constructed.
    static constexpr int MAX_NESTING = 256;

    VnPack();
    // The packing state is no part of an object's value: a copy starts with
    // an empty pack buffer, and assignment leaves each side its own buffer.
    VnPack(const VnPack& other);
    VnPack& operator=(const VnPack& other);
    virtual ~VnPack();

    virtual int type();
    virtual void encode() = 0;
    virtual void decode() = 0;
    virtual VnString typeXML();
    virtual void encodeXML() = 0;
    virtual void decodeXML() = 0;

    // Writes the version word and the object's fields into the pack buffer.
    // Nested objects write their fields straight into this buffer; their own
    // pack state stays as it was.
    void pack();
    char* packContents();
    int packSize();
    // Reads a packed object. Results: 0 read; 1 fewer than 4 bytes (or no
    // data) given, nothing changed; 2 version word only; 3 version not 1; 4
    // refused part-way: the objects it makes (elements, with all they
    // allocate, and copied texts) would take more than 32 bytes per byte read
    // (plus 16 MiB), so a small input cannot take the machine's memory.
    int unpack(char* data, int length);

    void store(short tag, int value) { _storeWord(tag, vn_pack::kInt, static_cast<std::uint32_t>(value)); }
    void store(short tag, char value) { _storeByte(tag, vn_pack::kChar, value); }
    void store(short tag, VnString& value);
    void store(short tag, char* value);
    void store(short tag, VnPack& value);
    void store(short tag, float value);
    void store(short tag, unsigned char value) {
        _storeByte(tag, vn_pack::kUnsignedChar, static_cast<char>(value));
    }

    // Each reads the current field only when its tag and type code match.
    void restore(short tag, int& value);
    void restore(short tag, char& value);
    void restore(short tag, unsigned char& value);
    void restore(short tag, VnString& value);
    void restore(short tag, VnPack& value);
    void restore(short tag, float& value);

    // Writes the XML document of this object into the pack buffer; the text
    // is followed by one zero byte that packSize() does not count. As in
    // pack(), nested objects write into this buffer and keep their own state.
    void packXML();
    // Reads the object from a whole XML text: one element (named anything
    // but "object") wrapping the form that packXML writes, as recoverXML
    // wraps what archiveXML wrote. The text of packXML alone has two
    // top-level elements, is not well-formed XML and gives 4. Results: 0
    // read; 1 no version element at the top; 3 version not 1; 4 not
    // well-formed XML, nested too deep, or refused part-way as unpack
    // refuses; 5 no parser or no tree.
    int unpackXML(char* data, int length);

    void storeXML(const VnString& name, int value);
    void storeXML(const VnString& name, char value);
    void storeXML(const VnString& name, unsigned char value);
    void storeXML(const VnString& name, float value);
    void storeXML(const VnString& name, VnString& value);
    void storeXML(const VnString& name, char* value);
    void storeXML(const VnString& name, VnPack& value);

    // Each answers 1 when the element was found and read, else 0 and the
    // target is left unchanged.
    int restoreXML(const VnString& name, int& value);
    int restoreXML(const VnString& name, char& value);
    int restoreXML(const VnString& name, unsigned char& value);
    int restoreXML(const VnString& name, float& value);
    int restoreXML(const VnString& name, VnString& value);
    int restoreXML(const VnString& name, VnPack& value);

    // Archive files. archive and archiveXML answer the bytes written, or 0
    // when the file does not open or a write or the close fails. recover
    // answers the file's length and recoverXML the file's length plus 15 (the
    // wrapping element it reads the document in) when the object was read,
    // else 0.
    int archive(const VnString& filename);
    int recover(const VnString& filename);
    int archiveXML(const VnString& filename);
    int recoverXML(const VnString& filename);

    void _debug_print();

    // Used by nested objects, containers and the message envelope.
    void _package();
    int _unpack(char* data, int length);
    // Counts what the read in progress allocates for the objects it creates: `blocks` heap
    // blocks of `bytes` in all, each also costing the allocator's own overhead. A read that
    // passes its budget ends, answering 4. Outside a read it does nothing. Whatever allocates
    // during a read charges for itself: a list or hash its elements and slot arrays, a
    // packable hash the table it starts with, a string field the text it copies.
    static void _charge(std::size_t bytes, int blocks = 1);
    int _readtag();
    // The tag of the field being read.
    int _fieldtag() const { return fieldtag; }
    // Used by a field that holds an object of any class (VnHeldObject): when the
    // current field is the object field tag, makes an object with make from the class number
    // that starts its payload and reads the field into it. The new object, owned by the
    // caller, or null when the field is another, make knows no such class, or the field does
    // not fill the object (a length past the data); the reader skips a field left unread.
    VnPack* _restoreMade(short tag, VnPack* (*make)(int type));
    void _yank();
    void trashObj(short tag);
    void _tag(short tag, short type);
    void _store(char* data, int count);
    void _clear();

    // Used by nested objects and containers in the XML form.
    void _packageXML();
    int _unpackXML(VnPackObj* node);
    void _storeXML(char* text, int count);
    void _tagXML(const VnString& name, short type);
    // Each reads the n-th element named name (the element of that name for
    // n = 0, else the one of name followed by n) as restoreXML reads an
    // element. Lists and hashes read their numbered items with them.
    int _restoreXML(std::string_view name, int n, int& value);
    int _restoreXML(std::string_view name, int n, char& value);
    int _restoreXML(std::string_view name, int n, unsigned char& value);
    int _restoreXML(std::string_view name, int n, float& value);
    int _restoreXML(std::string_view name, int n, VnString& value);
    int _restoreXML(std::string_view name, int n, VnPack& value);

protected:
    char* packbuffer;    // own buffer while writing; read position while reading
    int packsize;        // bytes used while writing; bytes unread while reading
    int packcapacity;    // capacity by the growth rule (see _account); 0 while reading
    VnPackObj* xmlnode;  // XML node being read
    int fieldtag;        // tag of the current field (sign-extended)
    int fieldtype;       // type code of the current field (sign-extended)
    int consumed;        // 1 once the current field's payload was read
    int depth;           // indentation depth of the XML writer

private:
    int packroom;  // bytes allocated for the own buffer; 0 while reading or without one

    void _account(std::int64_t need);
    void _grow(std::int64_t need);
    char* _reserve(std::int64_t header, std::int64_t word, std::int64_t bytes = 0);
    void _append(const char* data, int count, int spare);
    int _lend(VnPack& value, void (VnPack::*write)(), int valueDepth);
    char* _detach();
    void _storeInt(int value);
    // A field of a four-byte or one-byte payload. Inline: a record writes most of its fields
    // through them, and a field that fits the buffer and the reported capacity is a few stores.
    void _storeWord(short tag, short code, std::uint32_t word) {
        char* out = _fits(8) ? packbuffer + packsize : _reserve(4, 4);
        vn_pack::putHeader(out, tag, code);
        vn_pack::putInt32(out + 4, word);
        packsize += 8;
    }
    void _storeByte(short tag, short code, char byte) {
        char* out = _fits(5) ? packbuffer + packsize : _reserve(4, 1);
        vn_pack::putHeader(out, tag, code);
        out[4] = byte;
        packsize += 5;
    }
    bool _fits(int count) const {
        const std::int64_t end = std::int64_t(packsize) + count;
        return end <= packcapacity && end <= packroom;
    }
    void _storeCounted(short tag, const char* text, std::int64_t length);
    int _matches(short tag, int code) const;
    void _readFields(char* data, int length);
    int _countedLength(int lead);
    void _advance(int count);
    void _consume(int count);
    void _fail();
    void _storeXMLText(const char* text);
    void _storeXMLText(const char* text, int length);
    void _storeTabs();
    void _storeTag(const char* before, const VnString& name, const char* after);
    void _storeEscaped(const char* text, int length);
    void _storeElement(const VnString& name, const char* text, int length);
    void _storeObjectBlock(const char* end);
    void _storeObjectLines();
    void _storeNested(short tag, VnPack& value);
    void _storeNestedXML(const VnString& name, VnPack& value);
    VnPackText _variable(std::string_view name, int n);
};

// Big-endian readers from any byte address: a 16-bit value sign-extended,
// and a 32-bit value.
int _rc_int16(char* data);
int _rc_int32(char* data);

// Defines the class Name on the packable template Base (a list or a hash of some element),
// adding only its class number and XML name. It declares no copy, move or destructor of its
// own, so it copies and moves as Base does. Everything is inline, so the line may stand in a
// header that many sources include.
#define VN_DECLARE_TYPED_PACK(Name, Base, Number, XmlName)        \
    class Name : public Base {                                    \
    public:                                                       \
        Name() = default;                                         \
        int type() override { return Number; }                    \
        VnString typeXML() override { return VnString(XmlName); } \
    };

#endif  // VN_BASE_VNPACK_H
