#include "base/VnPack.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <new>

#include <expat.h>

#include "base/VnPackObj.h"
#include "base/VnTypes.h"
#include "system/VnFile.h"

namespace {

enum FieldType {
    kInt = 1,
    kChar = 2,
    kString = 3,
    kObject = 4,
    kFloat = 5,
    kUnsignedChar = 6,
};

const int kVersion = 1;

const int kMaxNesting = VnPack::MAX_NESTING;

// Number of objects being read on this thread, one per active _unpack.
// While an object at level d is read, it holds d + 1.
thread_local int activeReads = 0;

class ReadLevel {
public:
    ReadLevel() { ++activeReads; }
    ~ReadLevel() { --activeReads; }
    ReadLevel(const ReadLevel&) = delete;
    ReadLevel& operator=(const ReadLevel&) = delete;
};

void putInt16(char* out, int value) {
    out[0] = static_cast<char>((value >> 8) & 0xFF);
    out[1] = static_cast<char>(value & 0xFF);
}

void putInt32(char* out, std::uint32_t value) {
    out[0] = static_cast<char>((value >> 24) & 0xFF);
    out[1] = static_cast<char>((value >> 16) & 0xFF);
    out[2] = static_cast<char>((value >> 8) & 0xFF);
    out[3] = static_cast<char>(value & 0xFF);
}

std::uint32_t byteAt(const char* data, int i) {
    return static_cast<unsigned char>(data[i]);
}

}  // namespace

int _rc_int16(char* data) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(byteAt(data, 0) << 8 | byteAt(data, 1)));
}

int _rc_int32(char* data) {
    return static_cast<std::int32_t>(byteAt(data, 0) << 24 | byteAt(data, 1) << 16 | byteAt(data, 2) << 8 |
                                     byteAt(data, 3));
}

VnPack::VnPack()
    : packbuffer(nullptr),
      packsize(0),
      packcapacity(0),
      xmlnode(nullptr),
      fieldtag(0),
      fieldtype(0),
      consumed(0),
      depth(0) {}

VnPack::VnPack(const VnPack&) : VnPack() {}

VnPack& VnPack::operator=(const VnPack& other) {
    VnBase::operator=(other);
    return *this;
}

VnPack::~VnPack() {
    _clear();
}

int VnPack::type() {
    return VN_TYPE_PACK;
}

VnString VnPack::typeXML() {
    return VnString(VN_XML_PACK);
}

char* VnPack::packContents() {
    return packbuffer;
}

int VnPack::packSize() {
    return packsize;
}

// ---------------------------------------------------------------- writing

// Makes room for need bytes in all. The new capacity is four times the need
// plus 16, so runs of small appends reallocate rarely.
void VnPack::_grow(std::int64_t need) {
    if (need > INT_MAX) throw std::bad_alloc();
    if (need <= packcapacity) return;
    const std::int64_t capacity = std::min<std::int64_t>(4 * need + 16, INT_MAX);
    char* bigger = new char[static_cast<std::size_t>(capacity)];
    if (packsize > 0) std::memcpy(bigger, packbuffer, static_cast<std::size_t>(packsize));
    delete[] packbuffer;
    packbuffer = bigger;
    packcapacity = static_cast<int>(capacity);
}

void VnPack::_store(char* data, int count) {
    _append(data, count, 0);
}

// Appends count bytes, making room for spare bytes more after them. The bytes
// may lie in this object's own buffer: they survive its growth.
void VnPack::_append(const char* data, int count, int spare) {
    if (data == nullptr || count <= 0) return;
    const std::less<const char*> before;
    const bool own = packcapacity > 0 && !before(data, packbuffer) && before(data, packbuffer + packsize);
    const std::ptrdiff_t offset = own ? data - packbuffer : 0;
    _grow(static_cast<std::int64_t>(packsize) + count + spare);
    const char* from = own ? packbuffer + offset : data;
    std::memmove(packbuffer + packsize, from, static_cast<std::size_t>(count));
    packsize += count;
}

void VnPack::_clear() {
    delete[] _detach();
}

// Hands over the owned buffer (null while reading, when the buffer is the
// caller's) and leaves the object without one.
char* VnPack::_detach() {
    char* owned = packcapacity > 0 ? packbuffer : nullptr;
    packbuffer = nullptr;
    packsize = 0;
    packcapacity = 0;
    return owned;
}

void VnPack::_tag(short tag, short code) {
    char header[4];
    putInt16(header, tag);
    putInt16(header + 2, code);
    _store(header, 4);
}

void VnPack::_storeInt(int value) {
    char bytes[4];
    putInt32(bytes, static_cast<std::uint32_t>(value));
    _store(bytes, 4);
}

void VnPack::pack() {
    packsize = 0;
    _storeInt(kVersion);
    encode();
}

void VnPack::_package() {
    packsize = 0;
    encode();
}

void VnPack::store(short tag, int value) {
    _tag(tag, kInt);
    _storeInt(value);
}

void VnPack::store(short tag, char value) {
    _tag(tag, kChar);
    _store(&value, 1);
}

void VnPack::store(short tag, unsigned char value) {
    _tag(tag, kUnsignedChar);
    char byte = static_cast<char>(value);
    _store(&byte, 1);
}

void VnPack::store(short tag, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    _tag(tag, kFloat);
    _storeInt(static_cast<int>(bits));
}

void VnPack::_storeCounted(short tag, const char* text, std::int64_t length) {
    // A field that cannot fit is refused before any of it is written.
    if (static_cast<std::int64_t>(packsize) + 8 + length > INT_MAX) throw std::bad_alloc();
    _tag(tag, kString);
    _storeInt(static_cast<int>(length));
    _store(const_cast<char*>(text), static_cast<int>(length));
}

void VnPack::store(short tag, VnString& value) {
    _storeCounted(tag, value.value(), value.length());
}

void VnPack::store(short tag, char* value) {
    _storeCounted(tag, value, value == nullptr ? 0 : static_cast<std::int64_t>(std::strlen(value)));
}

void VnPack::store(short tag, VnPack& value) {
    _tag(tag, kObject);
    value._package();
    _storeInt(value.type());
    _storeInt(value.packsize);
    _store(value.packbuffer, value.packsize);
}

void VnPack::_debug_print() {
    for (int i = 0; i < packsize; ++i)
        std::cout << static_cast<int>(static_cast<signed char>(packbuffer[i])) << ' ';
    std::cout << std::endl;
}

// ---------------------------------------------------------------- reading

int VnPack::unpack(char* data, int length) {
    if (data == nullptr || length < 4) return 1;
    // The data may lie in this object's own buffer: release it only after.
    const std::unique_ptr<char[]> owned(_detach());
    if (_rc_int32(data) != kVersion) return 3;
    if (length - 4 <= 0) return 2;
    return _unpack(data + 4, length - 4);
}

int VnPack::_unpack(char* data, int length) {
    // As in unpack, the data may lie in the buffer that this object owned.
    const std::unique_ptr<char[]> owned(_detach());
    if (activeReads <= kMaxNesting) {
        ReadLevel level;
        packbuffer = data;
        packsize = length;
        try {
            while (_readtag()) {
                decode();
                _yank();
            }
        } catch (...) {
            _detach();  // the data stays the caller's, also when a decode fails
            throw;
        }
    }
    _detach();
    return 0;
}

int VnPack::_readtag() {
    if (packsize < 4) return 0;
    fieldtag = _rc_int16(packbuffer);
    fieldtype = _rc_int16(packbuffer + 2);
    consumed = 0;
    _advance(4);
    return 1;
}

int VnPack::_matches(short tag, int code) const {
    return fieldtag == tag && fieldtype == code;
}

void VnPack::_advance(int count) {
    packbuffer += count;
    packsize -= count;
}

// Moves past the current field's payload of count bytes.
void VnPack::_consume(int count) {
    _advance(count);
    consumed = 1;
}

// Ends the reading of the current object: nothing more is read from it.
void VnPack::_fail() {
    _advance(packsize);
}

// The length of a counted payload that starts after lead bytes, or -1 when
// the payload is incomplete or the length is negative or too large.
int VnPack::_countedLength(int lead) {
    if (packsize < lead + 4) return -1;
    const int length = _rc_int32(packbuffer + lead);
    if (length < 0 || length > packsize - lead - 4) return -1;
    return length;
}

void VnPack::restore(short tag, int& value) {
    if (!_matches(tag, kInt)) return;
    if (packsize < 4) return _fail();
    value = _rc_int32(packbuffer);
    _consume(4);
}

void VnPack::restore(short tag, float& value) {
    if (!_matches(tag, kInt) && !_matches(tag, kFloat)) return;
    if (packsize < 4) return _fail();
    const int word = _rc_int32(packbuffer);
    if (fieldtype == kInt) {
        value = static_cast<float>(word);
    } else {
        std::memcpy(&value, &word, sizeof value);
    }
    _consume(4);
}

void VnPack::restore(short tag, char& value) {
    if (!_matches(tag, kChar)) return;
    if (packsize < 1) return _fail();
    value = packbuffer[0];
    _consume(1);
}

void VnPack::restore(short tag, unsigned char& value) {
    if (!_matches(tag, kUnsignedChar)) return;
    if (packsize < 1) return _fail();
    value = static_cast<unsigned char>(packbuffer[0]);
    _consume(1);
}

void VnPack::restore(short tag, VnString& value) {
    if (!_matches(tag, kString)) return;
    const int length = _countedLength(0);
    if (length < 0) return _fail();
    // An empty string leaves the target as it was.
    if (length > 0) value.copy(packbuffer + 4, length);
    _consume(4 + length);
}

void VnPack::restore(short tag, VnPack& value) {
    if (!_matches(tag, kObject)) return;
    const int length = _countedLength(4);
    if (length < 0 || _rc_int32(packbuffer) != value.type() || activeReads > kMaxNesting) return _fail();
    // Keep the position locally: the target may be this object itself.
    char* const nested = packbuffer + 8;
    const int rest = packsize - 8 - length;
    value._unpack(nested, length);
    packbuffer = nested + length;
    packsize = rest;
    consumed = 1;
}

void VnPack::trashObj(short tag) {
    if (!_matches(tag, kObject)) return;
    const int length = _countedLength(4);
    if (length < 0) return _fail();
    _consume(8 + length);
}

// Skips an unread field by its type code; a field that cannot be skipped
// ends the reading of the current object.
void VnPack::_yank() {
    if (consumed) return;
    switch (fieldtype) {
        case kInt:
        case kFloat:
            if (packsize >= 4) _consume(4);
            break;
        case kChar:
        case kUnsignedChar:
            if (packsize >= 1) _consume(1);
            break;
        case kString: {
            const int length = _countedLength(0);
            if (length >= 0) _consume(4 + length);
            break;
        }
        case kObject:
            trashObj(static_cast<short>(fieldtag));
            break;
        default:
            break;
    }
    if (!consumed) _fail();
}

// ---------------------------------------------------------------- XML writing

namespace {

const char kVersionElement[] = "version";
const char kTopName[] = "undef_obj";

}  // namespace

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

// Writes "&", "<" and ">" as entities, every other byte as it is.
void VnPack::_storeEscaped(const char* text, int length) {
    int start = 0;
    for (int i = 0; i < length; ++i) {
        const char* entity = text[i] == '&'   ? "&amp;"
                             : text[i] == '<' ? "&lt;"
                             : text[i] == '>' ? "&gt;"
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

void VnPack::packXML() {
    packsize = 0;
    depth = 0;
    storeXML(VnString(kVersionElement), 1);
    _storeObjectBlock("");
}

void VnPack::_packageXML() {
    packsize = 0;
    _storeObjectBlock("\n");
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
// the nested object writes into its own buffer one level deeper.
void VnPack::storeXML(const VnString& name, VnPack& value) {
    _storeTabs();
    _storeTag("<", name, ">\n");
    value.depth = depth + 1;
    value._packageXML();
    _storeXML(value.packbuffer, value.packsize);
    _storeTabs();
    _storeTag("</", name, ">\n");
}

// ---------------------------------------------------------------- XML reading

namespace {

struct ParserFree {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// The documents carry no document type declaration; one is refused before
// it could declare entities.
void refuseDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    XML_StopParser(static_cast<VnPackObjList*>(data)->parser, XML_FALSE);
}

// Sets xmlnode for the time of one decodeXML.
class NodeScope {
public:
    NodeScope(VnPackObj*& field, VnPackObj* node) : field(field), saved(field) { field = node; }
    ~NodeScope() { field = saved; }
    NodeScope(const NodeScope&) = delete;
    NodeScope& operator=(const NodeScope&) = delete;

private:
    VnPackObj*& field;
    VnPackObj* saved;
};

}  // namespace

int VnPack::unpackXML(char* data, int length) {
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser) return 5;
    VnPackObjList stack;
    std::unique_ptr<VnPackObj> root(new VnPackObj());
    stack.open(root.get());
    root.release();
    stack.parser = parser.get();
    XML_SetUserData(parser.get(), &stack);
    XML_SetElementHandler(parser.get(), VnPackStartElement, VnPackEndElement);
    XML_SetCharacterDataHandler(parser.get(), VnPackData);
    XML_SetStartDoctypeDeclHandler(parser.get(), refuseDoctype);
    if (data == nullptr || length < 0) length = 0;
    const bool parsed = XML_Parse(parser.get(), data, length, 1) == XML_STATUS_OK;
    stack.parser = nullptr;
    // Reading replaces the pack buffer, as in unpack; the text may have lain
    // in it, but the tree holds all that is read from here on.
    _clear();
    if (!parsed) return 4;

    root.reset(stack.shift());
    if (!root) return 5;
    const VnPackText version = root->variables().get(VnString(kVersionElement));
    if (!version) return 1;
    if (VnString(version.bytes, version.length).integervalue() != kVersion) return 3;
    _unpackXML(root->elements().get(VnString(kTopName)));
    return 0;
}

int VnPack::_unpackXML(VnPackObj* node) {
    if (node == nullptr) return 0;
    const NodeScope scope(xmlnode, node);
    decodeXML();
    return 0;
}

VnPackText VnPack::_variable(std::string_view name, int n) {
    return xmlnode == nullptr ? VnPackText() : xmlnode->variables().get(name, n);
}

namespace {

// Sets value from the converted text of an element, when there is one;
// answers whether there was.
template <class T, class Convert>
int readText(const VnPackText& text, T& value, Convert convert) {
    if (!text) return 0;
    value = convert(VnString(text.bytes, text.length));
    return 1;
}

}  // namespace

int VnPack::restoreXML(const VnString& name, int& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::restoreXML(const VnString& name, char& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::restoreXML(const VnString& name, unsigned char& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::restoreXML(const VnString& name, float& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::restoreXML(const VnString& name, VnString& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::restoreXML(const VnString& name, VnPack& value) {
    return _restoreXML(vnKeyView(name), 0, value);
}

int VnPack::_restoreXML(std::string_view name, int n, int& value) {
    return readText(_variable(name, n), value, [](const VnString& text) { return text.integervalue(); });
}

int VnPack::_restoreXML(std::string_view name, int n, unsigned char& value) {
    return readText(_variable(name, n), value, [](const VnString& text) { return text.integervalue() != 0; });
}

int VnPack::_restoreXML(std::string_view name, int n, float& value) {
    return readText(_variable(name, n), value, [](const VnString& text) { return text.floatvalue(); });
}

// An integer text ("-" optional, then digits) is the code of the byte, taken
// modulo 256; any other text gives its first byte; an empty text gives
// nothing.
int VnPack::_restoreXML(std::string_view name, int n, char& value) {
    const VnPackText text = _variable(name, n);
    if (!text || text.length == 0) return 0;
    const char* bytes = text.bytes;
    const int length = text.length;
    const int sign = bytes[0] == '-' ? 1 : 0;
    int code = 0;
    int i = sign;
    for (; i < length && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        code = (code * 10 + (bytes[i] - '0')) % 256;
    if (i == length && length > sign) {
        if (sign) code = (256 - code) % 256;
        value = static_cast<char>(static_cast<unsigned char>(code));
    } else {
        value = bytes[0];
    }
    return 1;
}

// The target keeps its secure flag, as in the binary form.
int VnPack::_restoreXML(std::string_view name, int n, VnString& value) {
    const VnPackText text = _variable(name, n);
    if (!text) return 0;
    value.copy(text.bytes, text.length);  // an empty text empties the target
    return 1;
}

// The type name of the block is not compared with the target's.
int VnPack::_restoreXML(std::string_view name, int n, VnPack& value) {
    VnPackObj* node = xmlnode == nullptr ? nullptr : xmlnode->elements().get(name, n);
    if (node == nullptr) return 0;
    value._unpackXML(node);
    return 1;
}

// ---------------------------------------------------------------- archive files

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Opens path with mode, then has the object write itself with write and puts
// its pack buffer into the file. The number of bytes when all were written
// and the file closed cleanly, else 0.
int writeArchive(VnPack& object, const VnString& path, const char* mode, void (VnPack::*write)()) {
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.value(), mode));
    if (!file) return 0;
    (object.*write)();
    const int count = object.packSize();
    const std::size_t written =
        count > 0 ? std::fwrite(object.packContents(), 1, std::size_t(count), file.get()) : 0;
    const bool closed = std::fclose(file.release()) == 0;
    return written == std::size_t(std::max(count, 0)) && closed ? count : 0;
}

}  // namespace

int VnPack::archive(const VnString& filename) {
    return writeArchive(*this, filename, "wb", &VnPack::pack);
}

int VnPack::archiveXML(const VnString& filename) {
    return writeArchive(*this, filename, "w", &VnPack::packXML);
}

int VnPack::recover(const VnString& filename) {
    if (!VnFile::exists(filename)) return 0;
    try {
        const VnString bytes = VnFile::load(filename);  // "" for a file too large to hold
        // The reader only reads the bytes it is given.
        return unpack(const_cast<char*>(bytes.value()), bytes.length()) == 0 ? bytes.length() : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int VnPack::recoverXML(const VnString& filename) {
    if (!VnFile::exists(filename)) return 0;
    try {
        // A document has two top-level elements; one element around them makes
        // it well-formed.
        VnString text("<pack>\n");
        text += VnFile::load(filename);
        text += "\n</pack>";
        return unpackXML(const_cast<char*>(text.value()), text.length()) == 0 ? text.length() : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
