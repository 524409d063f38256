#ifndef VN_SYSTEM_VNCONFIGFILE_H
#define VN_SYSTEM_VNCONFIGFILE_H

#include <cstdint>
#include <vector>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"
#include "system/VnConfig.h"

// Configuration text made of sections, each read into a VnConfig that carries the section's
// name:
//
//   key = 1                 keys before the first header go to the section "localhost"
//   [web[01-02], db]        the sections web01, web02 and db (range patterns expand)
//   [app] : base other      app starts with the options of base, then of other (defined earlier)
//   msg = hello world       an unquoted value loses its blanks: "helloworld"
//   msg = "hello world"     a quoted value keeps them; a {braced} value keeps blanks and line ends
//   db . port = 5           a key of the section db
//   dir = "$base.root/app"  a reference ("${base.root}" is the same)
//
// "#" starts a comment outside quotes and braces. A key not followed by "=" ends the reading
// silently; what was read before it stays.
//
// References, expanded once the whole text is read: "$s.k" is the value of key k in section s,
// its own references expanded in turn; "$k" is the value of k in the section being expanded,
// as stored; the key "_" gives a section's name; "self" and "this" name the section where the
// value was written. A reference that comes back to a value whose expansion is under way, or
// that lies more than kMaxDepth references deep, gives the empty text.
//
// Limits, so that no text exhausts memory or time: a header yields at most kMaxHeaderSections
// sections; one parse stores at most about kMaxParseSize bytes of sections, options and
// inherited copies (as they take memory), and stops reading there with a warning; the references of one
// expansion produce and scan a bounded amount of text (see expansionAllowance), those beyond it giving the
// empty text with a warning.
class VnConfigFile : public VnBase {
public:
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxHeaderSections = 100000;
    static constexpr std::int64_t kMaxParseSize = 128LL * 1024 * 1024;

    VnConfigFile();
    // Reads and parses the file; a file that cannot be read gives no sections.
    explicit VnConfigFile(const VnString& path);
    VnConfigFile(const VnConfigFile&) = delete;
    VnConfigFile& operator=(const VnConfigFile&) = delete;
    ~VnConfigFile() override;

    int type() override;

    // Reads text into the sections, adding to those held. Only the sections made by this parse
    // have their references expanded.
    void parse(const VnString& text);
    // The section, owned by the file; null when there is none.
    VnConfig* config(const VnString& name);
    const VnConfig* config(const VnString& name) const;
    // Appends a copy of every section name, in the hash's order; out is not emptied first.
    void keys(VnStringList& out) const;
    // Copies of all sections.
    VnConfigHash export_hash() const;
    // Forgets every section without deleting it, for a caller that took them over.
    void release();
    // Prints each section as "[name]" and its options as "key = 'value'", a line each.
    void display() const;

    // The tokens of configuration text: words, braced texts, quoted texts between two
    // double-quote tokens, and the delimiters line feed, ":", "[", "]", "=", "}" and backslash.
    static void tokenize(const VnString& text, VnStringList& out);
    // The tokens of a value: runs of blanks, each of ".", "{", "}", backslash and "$", and words.
    static void stringtokenize(const VnString& text, VnStringList& out);
    // text with "self" and "this" after "$" or "${" replaced by name.
    static VnString _localvalue(const VnString& name, const VnString& text);
    // text with its references expanded for the section current, "self" naming self.
    VnString _value(const VnString& current, const VnString& self, const VnString& text) const;

    // How many bytes the references of one expansion may scan and produce (each reference
    // counting 64 more): 1 MiB, and 64 for every unit of size (what the parse stored, or the
    // text expanded), at most 64 MiB.
    static std::int64_t expansionAllowance(std::int64_t size);

private:
    class Parser;
    class Expansion;
    class ValueScanner;

    // Expands the values of the sections made by one parse, the last made first.
    void expandSections(const std::vector<VnConfig*>& made, std::int64_t allowance);
    void expandInto(VnString& out, const VnString& current, const VnString& self, const VnString& text,
                    Expansion& expansion) const;
    // One reference, after its "$"; false when the text ends inside it.
    bool reference(VnString& out, const VnString& current, const VnString& self, ValueScanner& scan,
                   Expansion& expansion) const;
    // The value of key in section, expanded, unless that would close a cycle or go too deep.
    void follow(VnString& out, const VnString& current, const VnConfig& section, const VnString& name,
                const VnString& key, Expansion& expansion) const;

    VnConfigHash _sections;
};

#endif  // VN_SYSTEM_VNCONFIGFILE_H
