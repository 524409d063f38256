#include "base/VnPackage.h"

#include <iostream>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "base/VnTypes.h"

namespace {

// Appends p to list, which then owns it. A list that cannot grow leaves p with the caller.
void adopt(VnPackageList& list, VnPackage* p) {
    if (!list.push(p)) throw std::bad_alloc();
}

// Index of the first node of list named name, or -1.
int find_child(const VnPackageList& list, const VnString& name) {
    for (int i = 0; i < list.length(); ++i) {
        const VnPackage* child = list.get(i);
        if (child && child->name() == name) return i;
    }
    return -1;
}

bool is_special(char c) {
    return c == '(' || c == ')' || c == '=' || c == '\\';
}

// Moves on by one character, but never past the end of the text: every character there reads
// as 0, so a position beyond the end behaves exactly like the end itself.
void step(int& pos, int end) {
    if (pos < end) ++pos;
}

// Appends to out the characters of text from pos up to the first unescaped character for
// which stops() is true, or the end. A backslash is dropped and the character after it taken
// whatever it is; a backslash at the very end is dropped too. Runs are appended in one go.
template <class Stop>
void read_escaped(const VnString& text, int& pos, VnString& out, Stop stops) {
    const char* s = text.value();
    const int end = text.length();
    while (pos < end && !stops(s[pos])) {
        if (s[pos] == '\\') {
            ++pos;
            if (pos < end) out.append(s[pos++]);
            continue;
        }
        int run = pos;
        while (run < end && s[run] != '\\' && !stops(s[run]))
            ++run;
        out.append(s + pos, run - pos);
        pos = run;
    }
}

}  // namespace

VnPackageList::VnPackageList() = default;

VnPackageList::~VnPackageList() = default;

VnPackage::VnPackage() = default;

VnPackage::VnPackage(const VnString& value) : _value(value) {}

VnPackage::VnPackage(const VnString& name, const VnString& value) : _name(name), _value(value) {}

VnPackage::VnPackage(const VnPackage& other) : VnBase() {
    copy(other);
}

VnPackage::~VnPackage() {
    clear();
}

VnPackage& VnPackage::operator=(const VnPackage& other) {
    copy(other);
    return *this;
}

// The copy is built aside first and put in place only then: other may lie inside this node's
// own subtree, which the copy destroys.
void VnPackage::copy(const VnPackage& other) {
    if (&other == this) return;
    VnPackage built;
    std::vector<std::pair<const VnPackage*, VnPackage*>> pending{{&other, &built}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (int i = 0; i < from->_children.length(); ++i) {
            const VnPackage* child = from->_children.get(i);
            std::unique_ptr<VnPackage> made(new VnPackage(child->_name, child->_value));
            adopt(to->_children, made.get());
            pending.emplace_back(child, made.release());
        }
    }
    _name.copy(other._name);
    _value.copy(other._value);
    clear();
    // Each child leaves built before it joins this node, so no node is ever held twice.
    for (int i = 0; i < built._children.length(); ++i) {
        std::unique_ptr<VnPackage> child(built._children.get(i));
        built._children.set(nullptr, i);
        adopt(_children, child.get());
        child.release();
    }
    built._children.release();
}

void VnPackage::name(const VnString& name) {
    _name.copy(name);
}

void VnPackage::value(const VnString& value) {
    _value.copy(value);
}

int VnPackage::objtype() {
    const VnPackage* first = _children.get(0);
    if (!first) return SCALAR;
    return first->_name.length() > 0 ? HASH : ARRAY;
}

int VnPackage::length() {
    return _children.length();
}

VnPackage* VnPackage::get(int i) {
    return _children.get(i);
}

int VnPackage::push(const VnString& value) {
    std::unique_ptr<VnPackage> p(new VnPackage(value));
    adopt(_children, p.get());
    p.release();
    return 1;
}

// A node never holds a null child, so every walk can rely on its children being there.
int VnPackage::push(VnPackage* p) {
    if (!p) return 0;
    adopt(_children, p);
    return 1;
}

int VnPackage::set(const VnString& name, const VnString& value) {
    std::unique_ptr<VnPackage> p(new VnPackage(name, value));
    set(p.get());
    p.release();
    return 1;
}

int VnPackage::set(VnPackage* p) {
    if (!p) return 0;
    const int i = find_child(_children, p->_name);
    if (i < 0) return push(p);
    VnPackage* old = _children.get(i);
    _children.set(p, i);
    if (old != p) delete old;
    return 1;
}

int VnPackage::set(const VnString& name, VnPackage* p) {
    if (!p) return 0;
    p->name(name);
    return set(p);
}

int VnPackage::set(int i, VnPackage* p) {
    if (!p) return 0;
    return _children.set(p, i);
}

void VnPackage::release() {
    _children.release();
}

// Takes the subtree apart from the top: each node gives its children to the pending stack
// before it is deleted, so it dies childless and no destructor recurses.
void VnPackage::clear() {
    std::vector<VnPackage*> pending;
    auto take_children = [&pending](VnPackageList& list) {
        for (int i = 0; i < list.length(); ++i)
            pending.push_back(list.get(i));
        list.release();
    };
    take_children(_children);
    while (!pending.empty()) {
        VnPackage* node = pending.back();
        pending.pop_back();
        if (!node) continue;
        take_children(node->_children);
        delete node;
    }
}

VnString VnPackage::compact() const {
    struct Frame {
        const VnPackage* node;
        int next;  // index of the next child to write
    };
    VnString out;
    std::vector<Frame> open;
    auto begin = [&](const VnPackage* node) {
        out += '(';
        out += _filter(node->_name);
        out += '=';
        out += _filter(node->_value);
        open.push_back({node, 0});
    };
    begin(this);
    while (!open.empty()) {
        Frame& top = open.back();
        if (top.next < top.node->_children.length()) {
            begin(top.node->_children.get(top.next++));
        } else {
            out += ')';
            open.pop_back();
        }
    }
    return out;
}

int VnPackage::expand(const VnString& text) {
    // Reading appends to the name and the value: when the text is one of them, read a copy.
    if (&text == &_name || &text == &_value) return expand(VnString(text));
    int pos = 0;
    return _expand(text, pos);
}

// Reads one node at pos, with its whole subtree, into this node. `open` holds the nodes whose
// ")" is still to come, innermost last. Below MAX_DEPTH levels, the rest of the text counts
// as ended: every open node closes and keeps what it has read.
int VnPackage::_expand(const VnString& text, int& pos) {
    if (text.get(pos) != '(') return 0;
    const int end = text.length();
    auto head = [&](VnPackage* node) {
        step(pos, end);  // "("
        node->_expand_name(text, pos);
        step(pos, end);  // "="
        node->_expand_value(text, pos);
    };
    head(this);
    std::vector<VnPackage*> open{this};
    while (!open.empty()) {
        const char c = text.get(pos);
        if (pos >= end || c == ')') {
            step(pos, end);
            open.pop_back();
        } else if (c != '(') {
            ++pos;  // a stray character between children is dropped
        } else if (static_cast<int>(open.size()) >= MAX_DEPTH) {
            pos = end;
        } else {
            std::unique_ptr<VnPackage> child(new VnPackage());
            adopt(open.back()->_children, child.get());
            open.push_back(child.release());
            head(open.back());
        }
    }
    return 1;
}

void VnPackage::_expand_name(const VnString& text, int& pos) {
    read_escaped(text, pos, _name, [](char c) { return c == '='; });
}

void VnPackage::_expand_value(const VnString& text, int& pos) {
    read_escaped(text, pos, _value, [](char c) { return c == '(' || c == ')'; });
}

VnString VnPackage::_filter(const VnString& s) const {
    VnString out;
    const char* p = s.value();
    const int end = s.length();
    int pos = 0;
    while (pos < end) {
        int run = pos;
        while (run < end && !is_special(p[run]))
            ++run;
        out.append(p + pos, run - pos);
        if (run < end) {
            out.append('\\');
            out.append(p[run++]);
        }
        pos = run;
    }
    return out;
}

void VnPackage::_display(int depth) {
    struct Frame {
        VnPackage* node;
        int depth;
        int kind;
        int next;  // index of the next child to list
    };
    std::vector<Frame> open;
    auto line = [](int blanks, const VnString& text, const char* tail) {
        _vn_space(blanks);
        std::cout.write(text.value(), text.length());
        std::cout << tail << '\n';
    };
    auto begin = [&](VnPackage* node, int d) {
        if (node->_name.length() > 0) line(d + 1, node->_name, " => ");
        if (node->_value.length() > 0) line(d + 1, node->_value, "");
        const int kind = node->objtype();
        if (kind == HASH)
            line(d, VnString(), "{");
        else if (kind == ARRAY)
            line(d, VnString(), "(");
        open.push_back({node, d, kind, 0});
    };
    begin(this, depth);
    while (!open.empty()) {
        Frame& top = open.back();
        if (top.next < top.node->_children.length()) {
            const int d = top.depth + 1;
            begin(top.node->_children.get(top.next++), d);
            continue;
        }
        if (top.kind == HASH)
            line(top.depth, VnString(), "}");
        else if (top.kind == ARRAY)
            line(top.depth, VnString(), ")");
        open.pop_back();
    }
}

int VnPackage::type() {
    return VN_TYPE_PACKAGE;
}

void _vn_space(int n) {
    static const char blanks[] = "                                ";
    const int chunk = static_cast<int>(sizeof(blanks)) - 1;
    while (n > 0) {
        const int k = n < chunk ? n : chunk;
        std::cout.write(blanks, k);
        n -= k;
    }
}
