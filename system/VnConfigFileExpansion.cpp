#include "system/VnConfigFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "system/VnConfigFileValueTokens.h"
#include "system/VnWarnings.h"

// The values of a sectioned configuration file: their tokens and the expansion of their
// references. The reading of the text into sections is in VnConfigFile.cpp.

namespace {

// What looking a reference up is taken to cost in an expansion, beside the text it reads.
constexpr std::int64_t kReferenceCost = 64;

}  // namespace

// The expansion of the values of one parse, or of one free text.
//
// The values that hold "$" are the nodes of a graph whose edges are their references, read
// from their stored text (a value's received text is never read again for references). A
// depth-first walk over it, with a stack of its own rather than the call stack, finds its
// strongly connected components (Tarjan's algorithm): the cycles, a value that reads itself
// included. A component is closed only after every component it reads, so each value is
// expanded once, when its component closes, from values expanded before; a reference within
// its own component reads as empty. A value's height (see kMaxDepth) is known from its
// references before it is expanded, so a reference to a value of height kMaxDepth or more is
// cut without reading anything.
//
// The walk holds, for each value met, about 60 bytes and a copy of its key; each value on the
// walk's path 8 bytes more. The texts are read in place; a reference finds its value through
// its section (held, never looked up by the name of the value being expanded) and its key, and
// the value's node by the value's address, so no text is hashed or copied in proportion to
// anything but the reference that names it.
//
// Every value has an allowance of its own, and all of them share one: every byte a value
// receives is charged to both, and so is every reference read (kReferenceCost and its own
// text). Where the next text or reference would pass either, the value keeps what it has and
// the rest stays empty, with a warning.
class VnConfigFile::Expansion {
public:
    Expansion(const VnConfigFile& file, std::int64_t allowance, std::int64_t shared, VnWarnings& warnings)
        : _file(file), _allowance(allowance), _shared(shared), _warnings(warnings) {}

    // Expands the values of the sections made by one parse, the last made first, and stores
    // each back into its section.
    void expandSections(const std::vector<VnConfig*>& made);
    // text expanded for the section named current, "self" naming the section named self.
    VnString expandText(const VnString& current, const VnString& self, const VnString& text);

private:
    using Scanner = VnConfigFileValueTokens;
    using Token = Scanner::Token;

    // A value that holds "$". Those of the sections made by this parse come first, in the
    // order they are expanded from; those of other sections are added as references meet them.
    struct Node {
        const VnConfig* section = nullptr;
        const VnString* value = nullptr;  // the value as its section holds it
        std::unique_ptr<VnString> key;
        int order = -1;      // when the walk met it; -1 before
        int low = 0;         // the lowest order of a value on the walk's stack that it reaches
        int height = 0;      // at most kMaxDepth + 1
        int component = -1;  // its component, once closed; -1 while open
    };
    // A value on the walk's path, its text read up to at.
    struct Visit {
        int node;
        int at;
    };
    // Where the references of a text are looked up: "$k" reads current, "$_" gives
    // currentName, "self" stands for selfName, and "$self.k" reads self.
    struct Context {
        const VnConfig* current;
        const VnString* currentName;
        const VnConfig* self;
        const VnString* selfName;
    };
    // What one reference names. Its tokens may point into named, so it is never copied.
    struct Reference {
        Reference() = default;
        Reference(const Reference&) = delete;
        Reference& operator=(const Reference&) = delete;

        enum Kind { End, Nothing, Text, Value } kind = Nothing;
        Token text;                         // Text: what it gives
        const VnConfig* section = nullptr;  // Value: the key of that section
        Token key;
        std::string named;  // the section name that a marker stands for
    };
    // What a reference reads: the value of a node, the text of a value without "$", or nothing.
    struct Target {
        int node = -1;
        const VnString* text = nullptr;
    };
    // A value being expanded: what it received so far, and what it may still receive.
    struct Frame {
        VnString out = VnString("");
        std::int64_t left = 0;
        bool cut = false;
        const VnConfig* section = nullptr;  // the value's, for a warning; none for a free text
        const VnString* key = nullptr;
    };

    static Context contextOf(const Node& node) {
        return Context{node.section, &node.section->name(), node.section, &node.section->name()};
    }
    bool made(const VnConfig* section) const;
    int nodeOf(const VnConfig* section, const VnString* value, const VnString& key);
    int addNode(const VnConfig* section, const VnString* value, std::unique_ptr<VnString> key);
    Target find(const Reference& reference);
    std::int64_t read(Scanner& scan, const Context& context, Reference& reference) const;

    void explore(int root);
    void open(int node, std::vector<Visit>& path);
    int advance(Visit& visit);
    void meet(int from, int to);
    void close(int root);

    void expand(int node);
    void expandInto(Frame& frame, const VnString& text, const Context& context, int component);
    void receive(Frame& frame, const Target& target, int component);
    const VnString& textOf(int node) const;
    bool charge(Frame& frame, std::int64_t cost);
    void append(Frame& frame, const char* data, int length) {
        if (charge(frame, length)) frame.out.append(data, length);
    }
    void cut(Frame& frame, const std::string& why);

    const VnConfigFile& _file;
    const std::int64_t _allowance;
    std::int64_t _shared;
    VnWarnings& _warnings;
    std::vector<const VnConfig*> _made;  // sorted, to be found by binary search
    std::vector<Node> _nodes;
    int _madeNodes = 0;  // _nodes[0 .. _madeNodes) are of made sections
    // Their nodes by the address of their values: a value is expanded in place, so its address
    // stays what it was.
    std::vector<std::pair<const VnString*, int>> _byValue;
    std::map<const VnString*, int> _others;  // the values of other sections: node, or -1 without "$"
    std::map<int, VnString> _held;           // and their expanded texts
    std::vector<int> _stack;                 // the values of the components not closed yet
    int _order = 0;
    int _components = 0;
};

// ---- Finding values ---------------------------------------------------------------------

bool VnConfigFile::Expansion::made(const VnConfig* section) const {
    return std::binary_search(_made.begin(), _made.end(), section, std::less<const VnConfig*>());
}

// The node of a value, found by its address; -1 for a value without "$". A value of another
// section is looked at once: whether it holds "$" is remembered.
int VnConfigFile::Expansion::nodeOf(const VnConfig* section, const VnString* value, const VnString& key) {
    const auto at = std::lower_bound(_byValue.begin(), _byValue.end(), std::make_pair(value, -1));
    if (at != _byValue.end() && at->first == value) return at->second;
    if (made(section)) return -1;
    auto found = _others.find(value);
    if (found == _others.end()) {
        const int node =
            value->haschar('$') ? addNode(section, value, std::unique_ptr<VnString>(new VnString(key))) : -1;
        found = _others.emplace(value, node).first;
    }
    return found->second;
}

int VnConfigFile::Expansion::addNode(const VnConfig* section, const VnString* value,
                                     std::unique_ptr<VnString> key) {
    Node node;
    node.section = section;
    node.value = value;
    node.key = std::move(key);
    _nodes.push_back(std::move(node));
    return static_cast<int>(_nodes.size()) - 1;
}

// What reference reads.
VnConfigFile::Expansion::Target VnConfigFile::Expansion::find(const Reference& reference) {
    Target target;
    const VnString key = reference.key.text();
    if (!reference.section || !reference.section->exists(key)) return target;
    const VnString* value = &reference.section->option(key);
    target.node = nodeOf(reference.section, value, key);
    if (target.node < 0) target.text = value;
    return target;
}

// "$" name, or "$" section "." key, each optionally between "{" and "}", read after the "$";
// answers what reading it costs. A name that is no section before a "." is dropped with the
// "$" and the "{", the "." left to be copied as text.
std::int64_t VnConfigFile::Expansion::read(Scanner& scan, const Context& context,
                                           Reference& reference) const {
    const int start = scan.at();
    Token token;
    bool more = scan.next(token);
    const bool braced = more && token.is('{');
    if (braced) more = scan.next(token);
    if (!more) {
        reference.kind = Reference::End;
        return 0;
    }
    const bool self = Scanner::isSelf(token);
    Token name = Scanner::plain(token, reference.named);
    if (self) name = Token{context.selfName->value(), context.selfName->length()};
    const int afterName = scan.at();
    std::int64_t cost = kReferenceCost;
    if (scan.next(token) && token.is('.')) {
        reference.section = self ? context.self : _file.config(name.text());
        if (!reference.section) {
            scan.seek(afterName);
            return cost + scan.at() - start;
        }
        if (scan.next(token)) reference.key = token;
        reference.text = name;
    } else {
        scan.seek(afterName);
        reference.section = context.current;
        reference.key = name;
        reference.text = Token{context.currentName->value(), context.currentName->length()};
        if (self) cost += name.length;  // the name is read as a key
    }
    reference.kind = reference.key.is("_") ? Reference::Text : Reference::Value;
    cost += scan.at() - start;
    const int afterReference = scan.at();
    if (braced && !(scan.next(token) && token.is('}'))) scan.seek(afterReference);
    return cost;
}

// ---- The walk ---------------------------------------------------------------------------

// Walks from root, unless it was met before; closes, and so expands, every component it
// reaches.
void VnConfigFile::Expansion::explore(int root) {
    if (_nodes[root].order >= 0) return;
    std::vector<Visit> path;
    open(root, path);
    while (!path.empty()) {
        const int next = advance(path.back());
        if (next >= 0) {
            open(next, path);
            continue;
        }
        const int done = path.back().node;
        path.pop_back();
        if (_nodes[done].low == _nodes[done].order) close(done);
        if (!path.empty()) meet(path.back().node, done);
    }
}

void VnConfigFile::Expansion::open(int node, std::vector<Visit>& path) {
    Node& n = _nodes[node];
    n.order = n.low = _order++;
    _stack.push_back(node);
    path.push_back(Visit{node, 0});
}

// Reads the visit's text on to its next reference to a value not met yet, and answers that
// value; -1 at the end of the text. The values met before count in the node's height and reach.
int VnConfigFile::Expansion::advance(Visit& visit) {
    const Context context = contextOf(_nodes[visit.node]);
    const VnString& text = *_nodes[visit.node].value;  // stays where it is as nodes are added
    Scanner scan(text);
    scan.seek(visit.at);
    Token token;
    while (scan.next(token)) {
        if (!token.is('$')) continue;
        Reference reference;
        read(scan, context, reference);
        if (reference.kind == Reference::End) break;
        if (reference.kind != Reference::Value) continue;
        const Target target = find(reference);
        if (target.node >= 0 && _nodes[target.node].order < 0) {
            visit.at = scan.at();
            return target.node;
        }
        if (target.node >= 0) meet(visit.node, target.node);
        if (target.text) _nodes[visit.node].height = std::max(_nodes[visit.node].height, 1);
    }
    visit.at = text.length();
    return -1;
}

// Counts into from that it reads to, which was met before: a value of an open component
// (from's own) counts as one without references.
void VnConfigFile::Expansion::meet(int from, int to) {
    Node& reader = _nodes[from];
    const Node& read = _nodes[to];
    if (read.component < 0) {
        reader.low = std::min(reader.low, read.low);
        reader.height = std::max(reader.height, 1);
    } else {
        reader.height = std::max(reader.height, std::min(read.height, kMaxDepth) + 1);
    }
}

// Closes the component that root opened: its values leave the stack, then each is expanded.
void VnConfigFile::Expansion::close(int root) {
    const std::size_t first = std::find(_stack.rbegin(), _stack.rend(), root).base() - _stack.begin() - 1;
    for (std::size_t i = first; i < _stack.size(); ++i)
        _nodes[_stack[i]].component = _components;
    ++_components;
    for (std::size_t i = _stack.size(); i > first; --i)
        expand(_stack[i - 1]);
    _stack.resize(first);
}

// ---- Expanding --------------------------------------------------------------------------

// Expands a value whose component is closed, and stores it back into its section, or keeps it
// here for a section that this parse did not make.
void VnConfigFile::Expansion::expand(int node) {
    Frame frame;
    frame.section = _nodes[node].section;  // held apart: the node may move as nodes are added
    frame.key = _nodes[node].key.get();
    const VnString* value = _nodes[node].value;
    expandInto(frame, *value, contextOf(_nodes[node]), _nodes[node].component);
    if (node < _madeNodes) {
        // The section, made by this parse, holds the value as a string of its own; it is
        // rewritten in place, so that its address still finds its node.
        const_cast<VnString&>(*value) = std::move(frame.out);
    } else {
        _held[node] = std::move(frame.out);
    }
}

// Reads text into frame. A reference within component gives nothing; a value not met yet is
// walked to first (only a free text meets one).
void VnConfigFile::Expansion::expandInto(Frame& frame, const VnString& text, const Context& context,
                                         int component) {
    frame.left = _allowance;
    Scanner scan(text);
    Token token;
    std::string name;  // what a marker copied as text stands for
    while (!frame.cut && scan.next(token)) {
        if (!token.is('$')) {
            const Token text = Scanner::plain(token, name);
            append(frame, text.data, text.length);
            continue;
        }
        Reference reference;
        const std::int64_t cost = read(scan, context, reference);
        if (reference.kind == Reference::End || !charge(frame, cost)) break;
        if (reference.kind == Reference::Text) append(frame, reference.text.data, reference.text.length);
        if (reference.kind == Reference::Value) receive(frame, find(reference), component);
    }
}

void VnConfigFile::Expansion::receive(Frame& frame, const Target& target, int component) {
    if (target.text) {
        append(frame, target.text->value(), target.text->length());
        return;
    }
    if (target.node < 0) return;
    explore(target.node);
    const Node& read = _nodes[target.node];
    if (read.component == component) return;  // a cycle
    if (read.height >= kMaxDepth) {
        cut(frame, "references nest deeper than " + std::to_string(kMaxDepth));
        return;
    }
    const VnString& text = textOf(target.node);
    append(frame, text.value(), text.length());
}

// The expanded text of a node whose component is closed.
const VnString& VnConfigFile::Expansion::textOf(int node) const {
    const Node& n = _nodes[node];
    if (node < _madeNodes) return *n.value;
    return _held.find(node)->second;
}

// Charges cost when both allowances hold it; else cuts the frame: from then on it charges
// and appends nothing.
bool VnConfigFile::Expansion::charge(Frame& frame, std::int64_t cost) {
    if (!frame.cut && cost <= frame.left && cost <= _shared) {
        frame.left -= cost;
        _shared -= cost;
        return true;
    }
    cut(frame, "references expand too far");
    return false;
}

// Warns, the first time, that the rest of the value stays empty, and why.
void VnConfigFile::Expansion::cut(Frame& frame, const std::string& why) {
    if (frame.cut) return;
    frame.cut = true;
    std::string line;  // made only while it can be written
    if (!_warnings.full()) {
        line = "WARNING: ";
        if (frame.section)
            line += VnWarnings::quote(frame.section->name()) + "." + VnWarnings::quote(*frame.key) + " ";
        line += why + "... leaving the rest empty.";
    }
    _warnings.warn(line);
}

// Takes the values that hold "$" of every made section, the last made first and each
// section's in its keys' order, and walks from each in turn.
void VnConfigFile::Expansion::expandSections(const std::vector<VnConfig*>& made) {
    _made.assign(made.begin(), made.end());
    std::sort(_made.begin(), _made.end(), std::less<const VnConfig*>());
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        VnStringList keys;
        (*it)->labels(keys);
        for (int i = 0; i < keys.length(); ++i) {
            const VnString* value = &(*it)->option(*keys.get(i));
            if (!value->haschar('$')) continue;
            std::unique_ptr<VnString> key(keys.get(i));
            keys.set(nullptr, i);  // the node takes the copy of the key
            addNode(*it, value, std::move(key));
        }
    }
    _madeNodes = static_cast<int>(_nodes.size());
    _byValue.reserve(_nodes.size());
    for (int i = 0; i < _madeNodes; ++i)
        _byValue.emplace_back(_nodes[i].value, i);
    std::sort(_byValue.begin(), _byValue.end());
    for (int i = 0; i < _madeNodes; ++i)
        explore(i);
}

VnString VnConfigFile::Expansion::expandText(const VnString& current, const VnString& self,
                                             const VnString& text) {
    const Context context{_file.config(current), &current, _file.config(self), &self};
    Frame frame;
    expandInto(frame, text, context, -1);
    return std::move(frame.out);
}

// ---- Values ------------------------------------------------------------------------------

namespace {

// Calls emit(token, true) for each "self" and "this" in the name's place of a reference, and
// emit(token, false) for every other token, in order.
template <class Emit>
void localise(const VnString& text, Emit emit) {
    VnConfigFileValueTokens scan(text);
    VnConfigFileValueTokens::Token token;
    while (scan.next(token))
        emit(token, VnConfigFileValueTokens::isSelf(token));
}

}  // namespace

void VnConfigFile::stringtokenize(const VnString& text, VnStringList& out) {
    VnConfigFileValueTokens scan(text);
    VnConfigFileValueTokens::Token token;
    while (scan.next(token)) {
        std::unique_ptr<VnString> copy(new VnString(token.text()));
        if (out.push(copy.get())) copy.release();
    }
}

VnString VnConfigFile::_localvalue(const VnString& name, const VnString& text) {
    const int selves = selfCount(text);
    if (selves == 0) return text;
    const VnString form = VnConfigFileValueTokens::selfForm(name);
    return localised(text, form, localLength(text, selves, form.length()));
}

int VnConfigFile::selfCount(const VnString& text) {
    int selves = 0;
    localise(text, [&](const VnConfigFileValueTokens::Token&, bool self) { selves += self; });
    return selves;
}

VnString VnConfigFile::localised(const VnString& text, const VnString& form, std::int64_t length) {
    VnString out("");
    if (length < INT_MAX) out.reserve(static_cast<int>(length));
    localise(text, [&](const VnConfigFileValueTokens::Token& token, bool self) {
        if (self) {
            out.append(form.value(), form.length());
        } else {
            out.append(token.data, token.length);
        }
    });
    return out;
}

VnString VnConfigFile::_value(const VnString& current, const VnString& self, const VnString& text) const {
    const std::int64_t allowance = expansionAllowance(text.length());
    VnWarnings warnings;
    Expansion expansion(*this, allowance, allowance, warnings);
    const VnString out = expansion.expandText(current, self, text);
    warnings.finish();
    return out;
}

std::int64_t VnConfigFile::expansionAllowance(std::int64_t size) {
    constexpr std::int64_t kLeast = 1LL * 1024 * 1024, kMost = 64LL * 1024 * 1024;
    return std::min(kMost, kLeast + 64 * std::max<std::int64_t>(size, 0));
}

void VnConfigFile::expandValues(const std::vector<VnConfig*>& made, std::int64_t allowance,
                                VnWarnings& warnings) {
    Expansion expansion(*this, allowance, kMaxExpansion, warnings);
    expansion.expandSections(made);
}
