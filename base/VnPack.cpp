#include "base/VnPack.h"

#include <fcntl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <new>

#include <expat.h>

#include "base/VnPackFormat.h"
#include "base/VnPackHooks.h"
#include "base/VnPackObj.h"
#include "base/VnTypes.h"
#include "system/VnFile.h"
#include "system/VnSafeOpen.h"

using namespace vn_pack;

thread_local bool _vn_xml_parser_fails = false;

namespace vn_pack {

std::int64_t readReserve = kReadReserve;

ReadBudget::ReadBudget(std::int64_t length) : outermost(budgetHolders++ == 0) {
    if (outermost) readBudget = length * kReadAllowance + readReserve;
}

}  // namespace vn_pack

VnPack::VnPack()
    : packbuffer(nullptr),
      packsize(0),
      packcapacity(0),
      xmlnode(nullptr),
      fieldtag(0),
      fieldtype(0),
      consumed(0),
      depth(0),
      packroom(0) {}

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

void VnPack::_clear() {
    delete[] _detach();
}

// Hands over the owned buffer (null while reading, when the buffer is the
// caller's) and leaves the object without one.
char* VnPack::_detach() {
    char* owned = packroom > 0 ? packbuffer : nullptr;
    packbuffer = nullptr;
    packsize = 0;
    packcapacity = 0;
    packroom = 0;
    return owned;
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

// Parses the whole text into a tree below a new root on stack. Answers 0 when
// the text was read whole, 4 when it was refused, 5 without a parser. The
// parser, and the copy of the text it keeps, are gone when this returns.
int parseTree(VnPackObjList& stack, const char* data, int length) {
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(
        _vn_xml_parser_fails ? nullptr : XML_ParserCreate(nullptr));
    if (!parser) return 5;
    std::unique_ptr<VnPackObj> root(new VnPackObj());
    stack.open(root.get());
    root.release();
    stack.parser = parser.get();
    XML_SetUserData(parser.get(), &stack);
    XML_SetElementHandler(parser.get(), VnPackStartElement, VnPackEndElement);
    XML_SetCharacterDataHandler(parser.get(), VnPackData);
    XML_SetStartDoctypeDeclHandler(parser.get(), refuseDoctype);
    const bool parsed = XML_Parse(parser.get(), data, length, 1) == XML_STATUS_OK;
    stack.parser = nullptr;
    return parsed ? 0 : 4;
}

// A text of the tree as a string; its heap buffer, when it needs one, is
// charged to the read in progress.
VnString chargedText(const VnPackText& text) {
    VnPack::_charge(VnString::heapCost(text.length), 0);
    return VnString(text.bytes, text.length);
}

// Reads target from a whole XML text, within the budget of the read.
int readDocument(VnPack& target, const char* data, int length) {
    VnPackObjList stack;
    const int parsed = parseTree(stack, data, length);
    if (parsed == 5) return 5;
    // Reading replaces the pack buffer, as in unpack; the text may have lain
    // in it, but the tree holds all that is read from here on.
    target._clear();
    if (parsed != 0) {
        if (readBudget < 0) throw ReadRefused();  // the tree would have passed the budget
        return 4;
    }
    const std::unique_ptr<VnPackObj> root(stack.shift());
    if (!root) return 5;
    const VnPackText version = root->variables().get(VnString(kVersionElement));
    if (!version) return 1;
    if (chargedText(version).integervalue() != kVersion) return 3;
    target._unpackXML(root->elements().get(VnString(kTopName)));
    return 0;
}

}  // namespace

// The budget opens before the parse: the tree is charged to it as well as the
// objects made from the tree.
int VnPack::unpackXML(char* data, int length) {
    if (data == nullptr || length < 0) length = 0;
    const ReadBudget budget(length);
    try {
        return readDocument(*this, data, length);
    } catch (const ReadRefused&) {
        if (!budget.outermost) throw;
        return 4;
    }
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
    value = convert(chargedText(text));
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
    _charge(VnString::heapCost(text.length), 0);
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
// and the file closed cleanly, else 0. Only a regular file is written: the open
// waits on no FIFO (vn_open_named).
int writeArchive(VnPack& object, const VnString& path, const char* mode, void (VnPack::*write)()) {
    VnFd opened = vn_open_named(path, O_WRONLY | O_CREAT | O_TRUNC);
    std::unique_ptr<std::FILE, FileClose> file(opened.valid() ? fdopen(opened.get(), mode) : nullptr);
    if (!file) return 0;
    opened.release();  // the stream closes it
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
