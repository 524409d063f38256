#ifndef VN_SYSTEM_VNCONFIGFILE_H
#define VN_SYSTEM_VNCONFIGFILE_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"
#include "system/VnConfig.h"
#include "system/VnWarnings.h"

// Configuration text made of sections, each read into a VnConfig that carries the section's
// name:
//
//   key = 1                 keys before the first header go to the section "localhost"
//   [web[01-02], db]        the sections web01, web02 and db (range patterns expand)
//   [app] : base other      app starts with the options of base, then of other (defined earlier)
//   msg = hello world       an unquoted value loses its blanks: "helloworld"
//   msg = "hello world"     a quoted value keeps them; a {braced} value keeps blanks and line ends
//   db . port = 5           a key of the section db
//   dir = "${base.root}/app" a reference: the key root of the section base, then "/app"
//
// "#" starts a comment outside quotes and braces. A key not followed by "=" ends the reading
// silently; what was read before it stays.
//
// References, expanded once the whole text is read: "$s.k" is the value of key k in section s,
// its own references expanded in turn; "$k" is the value of k in the section of the value being
// expanded; the key "_" gives a section's name; "self" and "this" name the section where the
// value was written, also in a copy that a child inherits: the parse writes that section's name
// in their place as it stores the value, or, for a name that would not read back as one plain
// name, a marker, byte 1 and the name's bytes in hexadecimal (see VnConfigFileValueTokens). They
// and a marker count where a reference's name stands, directly after "$" or "${"; there the
// expansion reads a marker as the name it stands for, also where it copies it as text, so
// "$$self.k" written in [a.b] gives "a.b.k", as "$$self.k" in [q] gives "q.k". A bare name ends
// at a blank or at one of ". { } \ $", so "$base.root/app" reads the key "root/app"; braces end
// it anywhere: "${base.root}/app". A section whose name does not read back (one that is empty, holds a
// blank or one of those characters, or is "self" or "this") can be read from other sections'
// values only through "self" in values written in it; free text given to _value reaches it
// also through its marker.
//
// A value that is never expanded shows its markers as they stand through config() and
// display(): one that a later parse stores into a section of an earlier parse (only the
// sections a parse makes are expanded), and one that memory ran out before expanding.
// _value(section, section, value) reads such a value as the expansion would.
//
// Each value is expanded once, after the values it reads. References that lead from a value
// back to itself make a cycle: a reference to a value of its own cycle (the values that read
// each other, directly or not; a value that reads itself included) gives the empty text, and
// the rest of the value expands as usual; a value outside the cycle that reads one of it
// receives that value so expanded. A value's depth is the length of the longest chain of
// references below it, a reference within its cycle counting as one to a value without
// references (0 when it reads no value through a reference): a value reads another of depth
// below kMaxDepth, so a chain of kMaxDepth references expands whole; where the next value read
// is kMaxDepth deep or more, the rest of the value stays empty, with the warning "WARNING: "
// section "." key " references nest deeper than 64... leaving the rest empty.", in whatever
// order the values stand. Depths count every reference of a value's text, also those past a
// cut, so that they do not depend on the order of expansion.
//
// Limits, so that no text exhausts memory or time: a file of more than kMaxFileSize bytes is
// not read; the tokens are made one at a time as the reading goes; one parse stores sections,
// options and inherited copies up to the memory they take (see parseAllowance), and stops
// reading there with a warning, also where the list of a header's names (held while its
// sections are made, beside what is stored) would not fit what is left. A header yields at
// most kMaxHeaderSections sections, a name repeated in it counting once; one that names more
// makes the first of them and stops the parse with that warning, as the allowance does.
// Each copy counts in full, also where it replaces an equal one: a stored value as its string
// (with the section's name or marker in place of "self" and "this", counted before it is made;
// a value costs the work of its own text and of the names it so takes, the form of "self" being
// decided once for its section), an inherited option as a new option; so the stores of one
// parse are bounded too. Each value has an allowance of its own for the text it receives and
// the references it reads (see expansionAllowance; a bare "$self" or "$this" in free text also
// counts the length of the section's name, which it reads as a key), and the values of one
// parse at most kMaxExpansion together; where the next text or reference would pass either, the
// rest of the value stays empty, with a warning that names the section and key. The warnings of
// one parse are bounded (see VnWarnings). The parse peaks below twice its allowance (what it
// stores and a header's list beside it); the expansion after it holds, beside what was stored,
// at most kMaxExpansion of expanded text and about 70 bytes and a copy of its key for each value
// that holds "$", so a whole load stays below twice the allowance plus kMaxExpansion (a 1 MB file
// whose values expand has been measured at 2.2 times the allowance).
class VnConfigFile : public VnBase {
public:
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxHeaderSections = 100000;
    static constexpr std::int64_t kMaxFileSize = VnConfig::kMaxFileSize;  // as for flat files
    static constexpr std::int64_t kMaxExpansion = 256LL * 1024 * 1024;

    VnConfigFile();
    // load(path), with its result ignored.
    explicit VnConfigFile(const VnString& path);
    VnConfigFile(const VnConfigFile&) = delete;
    VnConfigFile& operator=(const VnConfigFile&) = delete;
    ~VnConfigFile() override;

    int type() override;

    // Reads and parses the file: 1 when it was read whole. 0 when it is no regular file, does
    // not read or holds more than kMaxFileSize bytes (nothing is parsed then), and 0 when the
    // parse stopped at its allowance or memory ran out. The sections read before stay; a value
    // that memory ran out before expanding keeps its references as the parse stored them:
    // "$top" stays "$top", while "self" and "this" already stand as the section's name, or as
    // its marker ("$\x01612e62.k" in [a.b]). A key not followed by "=" ends the reading without
    // making it fail.
    int load(const VnString& path);
    // Reads text into the sections, adding to those held. Only the sections made by this parse
    // have their references expanded. Memory that runs out throws std::bad_alloc (or
    // std::length_error), the sections read before staying; load answers 0 instead.
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
    // text with "self" and "this" after "$" or "${" replaced by name, or by its marker where
    // name would not read back as one name (see above).
    static VnString _localvalue(const VnString& name, const VnString& text);
    // text with its references expanded for the section current, "self" naming self.
    VnString _value(const VnString& current, const VnString& self, const VnString& text) const;

    // How many bytes of memory one parse of a text of that length may store: 16 for every byte
    // of text, at least 128 MiB and at most 1 GiB.
    static std::int64_t parseAllowance(std::int64_t length);
    // How many bytes one value may receive, each reference it reads counting its own text and
    // 64 more: 1 MiB, and 64 for every unit of size (what the parse stored, or the text
    // expanded), at most 64 MiB.
    static std::int64_t expansionAllowance(std::int64_t size);

private:
    // How many "self" and "this" _localvalue replaces in text.
    static int selfCount(const VnString& text);
    // The length of text with its selves replaced by a form of formLength bytes.
    static std::int64_t localLength(const VnString& text, int selves, std::int64_t formLength) {
        return text.length() + selves * (formLength - 4);
    }
    // text with its selves replaced by form; length, what it comes to, is reserved first.
    static VnString localised(const VnString& text, const VnString& form, std::int64_t length);
    class Parser;
    class Expansion;

    // Expands the values of the sections made by one parse (see Expansion).
    void expandValues(const std::vector<VnConfig*>& made, std::int64_t allowance, VnWarnings& warnings);

    VnConfigHash _sections;
    bool _stopped = false;  // the last parse stopped at its allowance
};

#endif  // VN_SYSTEM_VNCONFIGFILE_H
