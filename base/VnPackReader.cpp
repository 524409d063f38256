// The reader of VnPack's binary form.

#include <cstring>
#include <memory>

#include "base/VnPack.h"
#include "base/VnPackFormat.h"

using namespace vn_pack;

namespace {

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
    const ReadBudget budget(length);
    try {
        _readFields(data, length);
    } catch (const ReadRefused&) {
        if (!budget.outermost) throw;
        return 4;
    }
    return 0;
}

void VnPack::_readFields(char* data, int length) {
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
}

void VnPack::_charge(std::size_t bytes, int blocks) {
    if (budgetHolders == 0) return;
    readBudget -= static_cast<std::int64_t>(bytes) + blocks * kBlockOverhead;
    if (readBudget < 0) throw ReadRefused();
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
    if (length > 0) {
        _charge(VnString::heapCost(length), 0);
        value.copy(packbuffer + 4, length);
    }
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

VnPack* VnPack::_restoreMade(short tag, VnPack* (*make)(int type)) {
    if (!_matches(tag, kObject) || packsize < 4) return nullptr;
    std::unique_ptr<VnPack> made(make(_rc_int32(packbuffer)));
    if (!made) return nullptr;
    restore(tag, *made);
    return consumed ? made.release() : nullptr;
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
