#include "system/VnPath.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/VnBaseList.h"
#include "base/VnStringHash.h"
#include "base/VnTypes.h"
#include "farm/VnPathMap.h"

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

const char* separatorOf(int kind) {
    switch (kind) {
        case 0:
        case 3:
        case 4:
            return "/";
        case 1:
        case 2:
            return "\\";
        default:
            return "";
    }
}

// The key of map whose text best matches path, with its count: the key itself, or with
// byEntry the key's entry. The first key in the map's order to reach the highest count keeps
// it; count 0 means no key matched.
struct BestKey {
    VnString key;
    int count = 0;
};

BestKey bestKey(const VnStringHash& map, const VnString& path, bool byEntry) {
    VnBaseList<VnString> keys;
    map.copykeys(keys);
    BestKey best;
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        const VnString* text = byEntry ? map.get(key) : &key;
        if (!text) continue;
        const int count = VnPath::match(*text, path);
        if (count > best.count) {
            best.key = key;
            best.count = count;
        }
    }
    return best;
}

// The entry of key in map; "" when there is none.
VnString entryOf(const VnStringHash& map, const VnString& key) {
    const VnString* entry = map.get(key);
    return entry ? *entry : VnString("");
}

}  // namespace

VnPath::VnPath() : _value(""), _pathtype(0) {}

VnPath::VnPath(const VnString& path) : _value(path), _pathtype(analyse(path)) {}

VnPath::~VnPath() = default;

int VnPath::type() {
    return VN_TYPE_PATH;
}

const VnString& VnPath::value() const {
    return _value;
}

int VnPath::pathtype() const {
    return _pathtype;
}

VnString VnPath::pathtypestring() const {
    static const char* const kNames[] = {"unknown", "unc", "dos", "unix", "nfs"};
    if (_pathtype < 0 || _pathtype > 4) return VnString(kNames[0]);
    return VnString(kNames[_pathtype]);
}

int VnPath::isFullPath() const {
    const char* s = _value.value();
    const int n = _value.length();
    switch (_pathtype) {
        case 1:
        case 4:
            return 1;
        case 2:
            return n >= 3 && isLetter(s[0]) && s[1] == ':' && isSeparator(s[2]);
        case 3:
            return n > 0 && s[0] == '/';
        default:
            return 0;
    }
}

void VnPath::root(const VnString& dir) {
    if (isFullPath()) return;
    VnString joined(dir);
    if (dir.length() == 0 || dir.get(dir.length() - 1) != '/') joined += "/";
    joined += _value;
    _value = joined;
    _pathtype = analyse(_value);
}

VnString VnPath::strip(const VnString& prefix, int kind) const {
    const int m = match(prefix, _value);
    if (m == 0) return _value;
    VnStringList parts;
    split(_value, parts);
    const char* separator = separatorOf(kind);
    VnString rest("");
    for (int i = m; i < parts.length(); ++i) {
        rest += separator;
        rest += *parts.get(i);
    }
    return rest;
}

VnString VnPath::translate(VnPathMap& from, VnPathMap& to) const {
    if (_pathtype == 0 || (_pathtype == 2 && !isFullPath())) return normalize(_value);

    auto under = [this](const VnString& target, const VnString& prefix) {
        VnString out(target);
        out += strip(prefix, analyse(target));
        return out;
    };

    BestKey best = bestKey(from.directmap(), _value, false);
    if (best.count > 0) {
        const VnString* target = to.directmap().get(best.key);
        return target ? under(*target, entryOf(from.directmap(), best.key)) : _value;
    }
    best = bestKey(to.directmap(), _value, false);
    if (best.count > 0) return under(entryOf(to.directmap(), best.key), best.key);

    best = bestKey(from.logicalmap(), _value, true);
    if (best.count == 0) return _value;
    const VnString* target = to.logicalmap().get(best.key);
    return target ? under(*target, entryOf(from.logicalmap(), best.key)) : _value;
}

int VnPath::analyse(const VnString& path) {
    const char* s = path.value();
    const int n = path.length();
    if (n == 0) return 0;
    if (std::memchr(s, '\\', static_cast<std::size_t>(n)))
        return n >= 3 && s[0] == '\\' && s[1] == '\\' ? 1 : 2;
    if (s[0] == '/') return 3;
    if (n < 3) return 0;
    if (isLetter(s[0]) && s[1] == ':' && s[2] == '/') return 2;
    for (int i = 0; i < n; ++i) {  // host:/export, but not a/b:c
        if (s[i] == '/') return 0;
        if (s[i] == ':') return 4;
    }
    return 0;
}

VnString VnPath::chomp(const VnString& path) {
    const char* s = path.value();
    int end = path.length();
    while (end > 0 && s[end - 1] == '/')
        --end;
    while (end > 0 && s[end - 1] != '/')
        --end;
    if (end > 0) --end;  // the "/" before the last component
    if (end == 0) return VnString("/");
    VnString parent(s, end);
    parent += "/";
    return parent;
}

void VnPath::split(const VnString& path, VnStringList& list) {
    const char* s = path.value();
    const int n = path.length();
    for (int p = 0; p < n;) {
        if (isSeparator(s[p])) {
            ++p;
            continue;
        }
        const int start = p;
        while (p < n && !isSeparator(s[p]))
            ++p;
        std::unique_ptr<VnString> component(new VnString(s + start, p - start));
        if (!list.push(component.get())) throw std::bad_alloc();
        component.release();
    }
}

int VnPath::match(const VnString& a, const VnString& b) {
    VnStringList left, right;
    split(a, left);
    split(b, right);
    if (left.length() > right.length()) return 0;
    int count = 0;
    for (int i = 0; i < left.length(); ++i) {
        if (*left.get(i) == *right.get(i)) ++count;
    }
    return count;
}

VnString VnPath::normalize(const VnString& path) {
    VnString out(path);
    for (int i = 0; i < out.length(); ++i) {
        if (out.get(i) == '\\') out.set(i, '/');
    }
    return out;
}
