// The writers of VnPack: the binary form and the XML form, both into the
// object's own pack buffer.

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <iostream>
#include <new>

#include "base/VnDebug.h"
#include "base/VnPack.h"
#include "base/VnPackFormat.h"

using namespace vn_pack;

namespace {

// The growth rule: four times the need plus 16, so that runs of small
// appends reallocate rarely.
int capacityFor(std::int64_t need) {
    if (need > INT_MAX) throw std::bad_alloc();
    return static_cast<int>(std::min<std::int64_t>(4 * need + 16, INT_MAX));
}

// The writes in progress on this thread. The writers go no deeper than the readers read: an
// object nested deeper than MAX_NESTING levels (the top one is level 0) is left out with the
// field that holds it, so what is written reads back whole, and a chain of any depth that a
// program built costs neither stack nor output beyond that.
struct Writes {
    int open = 0;   // write calls open; the outermost one reports what was left out
    int level = 0;  // level of the object whose fields are being written
    bool leftOut = false;
};

thread_local Writes writes;

// One write call: pack, packXML, or a nested object stored on its own.
class WriteCall {
public:
    WriteCall() : outermost(writes.open++ == 0) {
        if (!outermost) return;
        writes.level = 0;
        writes.leftOut = false;
    }
    ~WriteCall() { --writes.open; }
    WriteCall(const WriteCall&) = delete;
    WriteCall& operator=(const WriteCall&) = delete;

    // Says once, at the end of the outermost call, that objects were left out.
    void finish() const {
        if (!outermost || !writes.leftOut) return;
        VnDebug& log = vn_debug_obj();
        log.lock();
        log.mark() << "ERROR: object nested deeper than " << VnPack::MAX_NESTING
                   << " levels left out of the pack.\n";
        log.unlock();
    }

private:
    const bool outermost;
};

// Runs write as one write call.
template <class Write>
void asWriteCall(Write write) {
    const WriteCall call;
    write();
    call.finish();
}

// One level deeper while a nested object writes its fields.
class WriteLevel {
public:
    WriteLevel() { ++writes.level; }
    ~WriteLevel() { --writes.level; }
    WriteLevel(const WriteLevel&) = delete;
    WriteLevel& operator=(const WriteLevel&) = delete;
};

// Whether a nested object may be written at the next level; notes it when it may not.
bool nestedFits() {
    if (writes.level < VnPack::MAX_NESTING) return true;
    writes.leftOut = true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------- the buffer

// The reported capacity: as if the buffer grew by the growth rule whenever an
// appended piece brought the size to `need` bytes. Every piece that a field
// was ever appended in is counted on its own, so the number stays what it
// always was; the bytes are stored in a buffer of their own size (packroom).
// A size beyond INT_MAX cannot be held at all.
void VnPack::_account(std::int64_t need) {
    if (need > packcapacity) packcapacity = capacityFor(need);
}

// Makes the buffer hold at least need bytes, keeping what it holds.
void VnPack::_grow(std::int64_t need) {
    if (need <= packroom) return;
    const int room = capacityFor(need);
    char* bigger = new char[static_cast<std::size_t>(room)];
    if (packroom > 0) {
        if (packsize > 0) std::memcpy(bigger, packbuffer, static_cast<std::size_t>(packsize));
        delete[] packbuffer;
    } else {
        packsize = 0;  // nothing of the data being read is carried over
    }
    packbuffer = bigger;
    packroom = room;
}

// Room for one field appended in up to three pieces (a piece of 0 bytes is
// none); answers where the field starts. The whole field is checked at once;
// only a field that passes the reported capacity counts its pieces.
char* VnPack::_reserve(std::int64_t header, std::int64_t word, std::int64_t bytes) {
    const std::int64_t end = std::int64_t(packsize) + header + word + bytes;
    if (end > packcapacity) {
        std::int64_t need = packsize;
        for (std::int64_t piece : {header, word, bytes}) {
            if (piece <= 0) continue;
            need += piece;
            _account(need);
        }
    }
    _grow(end);
    return packbuffer + packsize;
}

// Appends count bytes, making room for spare bytes more after them. The bytes
// may lie in this object's own buffer: they survive its growth.
void VnPack::_append(const char* data, int count, int spare) {
    if (data == nullptr || count <= 0) return;
    const std::less<const char*> before;
    const bool own = packroom > 0 && !before(data, packbuffer) && before(data, packbuffer + packsize);
    const std::ptrdiff_t offset = own ? data - packbuffer : 0;
    const std::int64_t need = static_cast<std::int64_t>(packsize) + count + spare;
    _account(need);
    _grow(need);
    const char* from = own ? packbuffer + offset : data;
    std::memmove(packbuffer + packsize, from, static_cast<std::size_t>(count));
    packsize += count;
}

void VnPack::_store(char* data, int count) {
    _append(data, count, 0);
}

// Lets value write itself with write() straight after the end of this
// object's buffer, at the given XML depth, and answers the number of bytes it
// wrote. value's own pack state is set aside and given back afterwards, so a
// nested object keeps no copy of its bytes and each byte is written once
// whatever the depth. Its growth is counted by the caller, as one piece.
int VnPack::_lend(VnPack& value, void (VnPack::*write)(), int valueDepth) {
    const int start = packsize;
    if (&value == this) {  // an object inside itself writes on in place
        (this->*write)();
        return packsize - start;
    }
    char* const ownBuffer = value.packbuffer;
    const int ownSize = value.packsize, ownCapacity = value.packcapacity, ownRoom = value.packroom;
    const int ownDepth = value.depth;
    value.packbuffer = packbuffer;
    value.packsize = packsize;
    value.packroom = packroom;
    value.packcapacity = INT_MAX;  // the count that matters is this object's
    value.depth = valueDepth;
    packbuffer = nullptr;  // the buffer is value's until it comes back
    packroom = 0;
    const auto giveBack = [&] {
        packbuffer = value.packbuffer;
        packsize = value.packsize;
        packroom = value.packroom;
        value.packbuffer = ownBuffer;
        value.packsize = ownSize;
        value.packcapacity = ownCapacity;
        value.packroom = ownRoom;
        value.depth = ownDepth;
    };
    try {
        (value.*write)();
    } catch (...) {
        giveBack();
        throw;
    }
    giveBack();
    return packsize - start;
}

// ---------------------------------------------------------------- binary form

void VnPack::_tag(short tag, short code) {
    char header[4];
    putHeader(header, tag, code);
    _store(header, 4);
}

void VnPack::_storeInt(int value) {
    char bytes[4];
    putInt32(bytes, static_cast<std::uint32_t>(value));
    _store(bytes, 4);
}

void VnPack::pack() {
    asWriteCall([this] {
        packsize = 0;
        _storeInt(kVersion);
        encode();
    });
}

void VnPack::_package() {
    asWriteCall([this] {
        packsize = 0;
        encode();
    });
}

void VnPack::store(short tag, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    _storeWord(tag, kFloat, bits);
}

// A field that cannot fit is refused before any of it is written.
void VnPack::_storeCounted(short tag, const char* text, std::int64_t length) {
    char* out = _reserve(4, 4, length);
    putHeader(out, tag, kString);
    putInt32(out + 4, static_cast<std::uint32_t>(length));
    if (length > 0) std::memcpy(out + 8, text, static_cast<std::size_t>(length));
    packsize += 8 + static_cast<int>(length);
}

void VnPack::store(short tag, VnString& value) {
    _storeCounted(tag, value.value(), value.length());
}

void VnPack::store(short tag, char* value) {
    _storeCounted(tag, value, value == nullptr ? 0 : static_cast<std::int64_t>(std::strlen(value)));
}

// The header, the type number and a length that is filled in once the nested
// object has written its fields after them. An object too deep is left out.
void VnPack::store(short tag, VnPack& value) {
    asWriteCall([&] {
        if (nestedFits()) _storeNested(tag, value);
    });
}

void VnPack::_storeNested(short tag, VnPack& value) {
    const WriteLevel level;
    const int at = packsize;
    _account(std::int64_t(at) + 4);
    _grow(std::int64_t(at) + 12);
    putHeader(packbuffer + at, tag, kObject);
    putInt32(packbuffer + at + 4, static_cast<std::uint32_t>(value.type()));
    putInt32(packbuffer + at + 8, 0);
    packsize += 12;
    const int length = _lend(value, &VnPack::encode, depth);
    putInt32(packbuffer + at + 8, static_cast<std::uint32_t>(length));
    _account(std::int64_t(at) + 8);
    _account(std::int64_t(at) + 12);
    if (length > 0) _account(std::int64_t(at) + 12 + length);
}

void VnPack::_debug_print() {
    for (int i = 0; i < packsize; ++i)
        std::cout << static_cast<int>(static_cast<signed char>(packbuffer[i])) << ' ';
    std::cout << std::endl;
}

// ---------------------------------------------------------------- XML form

// Appends text followed by one zero byte that packsize does not count.
void VnPack::_storeXML(char* text, int count) {
    if (text == nullptr || count <= 0) return;
    _append(text, count, 1);
    packbuffer[packsize] = '\0';
}

void VnPack::_storeXMLText(const char* text, int length) {
    _storeXML(const_cast<char*>(text), length);
}

void VnPack::_storeXMLText(const char* text) {
    _storeXMLText(text, static_cast<int>(std::strlen(text)));
}

void VnPack::_storeTabs() {
    for (int i = 0; i < depth; ++i)
        _storeXMLText("\t", 1);
}

// Writes "&", "<" and ">" as entities and a carriage return as a character
// reference, every other byte as it is. A parser turns a raw carriage return
// (alone or before a line feed) into a line feed, but keeps the reference.
void VnPack::_storeEscaped(const char* text, int length) {
    int start = 0;
    for (int i = 0; i < length; ++i) {
        const char* entity = text[i] == '&'    ? "&amp;"
                             : text[i] == '<'  ? "&lt;"
                             : text[i] == '>'  ? "&gt;"
                             : text[i] == '\r' ? "&#13;"
                                               : nullptr;
        if (entity == nullptr) continue;
        _storeXMLText(text + start, i - start);
        _storeXMLText(entity);
        start = i + 1;
    }
    _storeXMLText(text + start, length - start);
}

// A tag: before, the element name, after.
void VnPack::_storeTag(const char* before, const VnString& name, const char* after) {
    _storeXMLText(before);
    _storeXMLText(name.value(), name.length());
    _storeXMLText(after);
}

// One line: the element with its text.
void VnPack::_storeElement(const VnString& name, const char* text, int length) {
    _storeTabs();
    _storeTag("<", name, ">");
    _storeEscaped(text, length);
    _storeTag("</", name, ">\n");
}

// The object block at the current depth, its fields one level deeper, and
// end after its closing tag.
void VnPack::_storeObjectBlock(const char* end) {
    _storeTabs();
    _storeTag("<object type = '", typeXML(), "'>\n");
    ++depth;
    encodeXML();
    --depth;
    _storeTabs();
    _storeXMLText("</object>");
    _storeXMLText(end);
}

// The object block of a nested object, on lines of its own.
void VnPack::_storeObjectLines() {
    _storeObjectBlock("\n");
}

void VnPack::packXML() {
    asWriteCall([this] {
        packsize = 0;
        depth = 0;
        storeXML(VnString(kVersionElement), 1);
        _storeObjectBlock("");
    });
}

void VnPack::_packageXML() {
    asWriteCall([this] {
        packsize = 0;
        _storeObjectLines();
    });
}

void VnPack::_tagXML(const VnString& /*name*/, short /*type*/) {}

void VnPack::storeXML(const VnString& name, VnString& value) {
    _storeElement(name, value.value(), value.length());
}

void VnPack::storeXML(const VnString& name, char* value) {
    const std::size_t length = value == nullptr ? 0 : std::strlen(value);
    if (length > INT_MAX) throw std::bad_alloc();  // as in the binary form: no text is cut short
    _storeElement(name, value == nullptr ? "" : value, static_cast<int>(length));
}

void VnPack::storeXML(const VnString& name, int value) {
    VnString text(value);
    storeXML(name, text);
}

// The signed code of the byte, so that every byte value reads back.
void VnPack::storeXML(const VnString& name, char value) {
    VnString text(static_cast<int>(static_cast<signed char>(value)));
    storeXML(name, text);
}

void VnPack::storeXML(const VnString& name, unsigned char value) {
    VnString text(value != 0 ? "1" : "0");
    storeXML(name, text);
}

void VnPack::storeXML(const VnString& name, float value) {
    VnString text(value);
    storeXML(name, text);
}

// The element on lines of its own around the nested object's block, which
// the nested object writes straight into this buffer one level deeper. An
// object too deep is left out with its element.
void VnPack::storeXML(const VnString& name, VnPack& value) {
    asWriteCall([&] {
        if (nestedFits()) _storeNestedXML(name, value);
    });
}

void VnPack::_storeNestedXML(const VnString& name, VnPack& value) {
    const WriteLevel level;
    _storeTabs();
    _storeTag("<", name, ">\n");
    const int start = packsize;
    const int length = _lend(value, &VnPack::_storeObjectLines, depth + 1);
    if (length > 0) _account(std::int64_t(start) + length + 1);
    _storeTabs();
    _storeTag("</", name, ">\n");
}
