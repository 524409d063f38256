#ifndef VN_TESTS_JOB_FORMCHECKS_H
#define VN_TESTS_JOB_FORMCHECKS_H

// The expected binary and XML forms of job records, built from one list of their fields, and the checks
// that the records' forms, round trips and copies go through.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/TestRecords.h"

inline std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return out;
}

// An element of text, depth tabs in.
inline std::string el(const std::string& name, const std::string& value, int depth = 1) {
    return std::string(std::size_t(depth), '\t') + "<" + name + ">" + value + "</" + name + ">\n";
}
inline std::string el(const std::string& name, int value, int depth = 1) {
    return el(name, std::to_string(value), depth);
}

// An element holding an object block whose fields (inner) are already indented.
inline std::string obj(const std::string& name, const std::string& type, const std::string& inner,
                       int depth = 1) {
    const std::string t(std::size_t(depth), '\t');
    return t + "<" + name + ">\n" + t + "\t<object type = '" + type + "'>\n" + inner + t + "\t</object>\n" +
           t + "</" + name + ">\n";
}

// The object block that the record writes of itself, each line depth tabs in.
inline std::string block(VnPack& record, int depth) {
    const std::string document = packed(record, true), indent(std::size_t(depth), '\t');
    std::string out = indent;
    for (char c : document.substr(document.find('\n') + 1))
        out += c == '\n' ? "\n" + indent : std::string(1, c);
    return out + "\n";
}

// An element holding the object block that the record writes of itself.
inline std::string nested(const std::string& name, VnPack& record) {
    return "\t<" + name + ">\n" + block(record, 2) + "\t</" + name + ">\n";
}

// One field of a record in both forms, with its XML name.
struct Line {
    std::string name, binary, xml;
};

inline Line intLine(int tag, const std::string& name, int v) {
    return {name, intField(tag, v), el(name, v)};
}
inline Line strLine(int tag, const std::string& name, const VnString& v) {
    return {name, strField(tag, str(v)), el(name, escaped(str(v)))};
}
// A nested object whose only field is an int "value": a status, an address, a time.
inline Line valueLine(int tag, const std::string& name, int number, const std::string& type, int v) {
    return {name, objField(tag, number, intField(1, v)), obj(name, type, el("value", v, 3))};
}
inline Line timeLine(int tag, const std::string& name, int v) {
    return valueLine(tag, name, 33, "time", v);
}
// A nested record as it writes itself.
inline Line objLine(int tag, const std::string& name, VnPack& member) {
    return {name, objField(tag, member.type(), packed(member).substr(4)), nested(name, member)};
}

// The whole binary form, or XML document, of a record of these fields.
inline std::string binaryOf(const std::vector<Line>& lines) {
    std::string out = kVersion;
    for (const Line& line : lines)
        out += line.binary;
    return out;
}
inline std::string xmlOf(const std::string& type, const std::vector<Line>& lines) {
    std::string fields;
    for (const Line& line : lines)
        fields += line.xml;
    return objectXML(type, fields);
}

// Both forms exactly; each reads back into a new record that writes the binary form again.
template <class T>
void expectForms(T& record, const std::string& binary, const std::string& xml) {
    EXPECT_EQ(packed(record), binary);
    EXPECT_EQ(packed(record, true), xml);
    T back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
}
template <class T>
void expectForms(T& record, const std::string& type, const std::vector<Line>& lines) {
    expectForms(record, binaryOf(lines), xmlOf(type, lines));
}

// The copy constructor, operator= and copy give the source's binary form; change() on each copy leaves the
// source as it was, and a copy onto itself changes nothing.
template <class T, class Change>
void expectDeepCopies(T& source, Change change) {
    const std::string before = packed(source);
    T copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    for (T* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        change(*other);
    }
    const T& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(packed(source), before);
}
template <class T>
void expectCopies(T& source) {
    expectDeepCopies(source, [](T&) {});
}

#endif  // VN_TESTS_JOB_FORMCHECKS_H
