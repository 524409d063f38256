// Reads the input as the map file of a job and as a subjob's log in a scratch log tree, and
// checks both readers against plain restatements: readmap against a walk that cuts lines and
// splits them with VnExpression::splittab, the work section reader against the regular
// expression matched line by line; and the list's command form, naming those items all at once,
// against the one-item readers. Its first line also names a file in the job's directory,
// which the list load reads back as a subjob's log or passes over; a name that reads as subjob 0
// is an alias of the log that holds the input.

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "expression/VnExpression.h"
#include "expression/VnRegEx.h"
#include "job/VnLog.h"

#include "testing/ScratchDir.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Job 7's directory under a fresh scratch directory, removed at exit.
class Scratch : public ScratchDir {
public:
    Scratch() {
        VnLog::jobbuilddir(base(), 7);
        map = str(VnLog::joblogfile(base(), 7, 0, 15));
        log = str(VnLog::joblogfile(base(), 7, 0, 1));
    }
    VnString base() const { return vs(root); }
    std::string map;
    std::string log;
};

void spit(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

// The input's lines, each with its line feed when it has one.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// The fields of a map line as splittab gives them, carriage returns and the line feed dropped.
std::vector<std::string> mapFields(const std::string& line) {
    std::string clean;
    for (char c : line)
        if (c != '\r' && c != '\n') clean += c;
    VnStringList items;
    VnExpression::splittab(vs(clean), items);
    std::vector<std::string> fields;
    for (int i = 0; i < items.length(); ++i)
        fields.push_back(str(*items.get(i)));
    return fields;
}

void checkMap(const Scratch& scratch, const std::vector<std::string>& lines,
              std::vector<std::string>& names) {
    names = {"a", ""};
    for (std::size_t i = 0; i < lines.size() && names.size() < 6; ++i) {
        const std::vector<std::string> fields = mapFields(lines[i]);
        if (fields.size() > 3) names.push_back(fields[3]);
    }
    for (const std::string& name : names) {
        int want = -1;
        for (const std::string& line : lines) {
            const std::vector<std::string> fields = mapFields(line);
            if (fields.size() > 3 && fields[3] == name) {
                want = vs(fields[1]).integervalue();
                break;
            }
        }
        check(VnLog::readmap(scratch.base(), 7, vs(name)) == want);
    }
}

// The section of each name that the expression captures, against the reader.
void checkSections(const Scratch& scratch, const std::vector<std::string>& lines,
                   std::vector<std::string>& names) {
    VnRegEx pattern("got work:\\s*\\d+:(.+)\\s+-");
    std::vector<std::string> captured;  // per line; "\n" (never a name) for no match
    names = {"a"};
    for (const std::string& line : lines) {
        VnStringList groups;
        const int matched = pattern.match(vs(line), groups);
        if (pattern.error().length() > 0) return;  // the expression gave up; no reference
        captured.push_back(matched ? str(*groups.get(0)) : "\n");
        if (matched && names.size() < 4) names.push_back(captured.back());
    }
    for (const std::string& name : names) {
        std::string want;
        bool inside = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (captured[i] != "\n") inside = captured[i] == name;
            if (inside) want += lines[i];
        }
        VnLog log;
        check(log.loaddata(vs(scratch.log), vs(name), 0) == static_cast<int>(want.size()));
        check(str(log.data()) == want);
    }
}

// The command form against the one-item readers: every name as a work item of job 7 (one of
// them twice), then subjob 0 by job id. Each item is listed once with what readmap and the
// loading constructor give for it, and subjob 0's log comes back whole.
void checkCommand(const Scratch& scratch, const std::vector<std::string>& names, const std::string& text) {
    VnCommand cmd;
    std::vector<std::string> unique;
    for (const std::string& name : names) {
        cmd.workids().push(new VnWorkId(7, vs(name)));
        if (!name.empty() && std::find(unique.begin(), unique.end(), name) == unique.end())
            unique.push_back(name);
    }
    if (!names.empty()) cmd.workids().push(new VnWorkId(7, vs(names[0])));
    cmd.jobids().push(new VnJobId(7, 0));
    VnLogList logs;
    logs.load(scratch.base(), cmd, 1);
    check(logs.length() == static_cast<int>(unique.size()) + 1);
    for (std::size_t i = 0; i < unique.size(); ++i) {
        const VnLog one(scratch.base(), 7, vs(unique[i]), 1, 0);
        const VnLog& listed = *logs.get(static_cast<int>(i));
        check(listed.subid() == one.subid() && str(listed.workname()) == unique[i]);
        check(str(listed.data()) == str(one.data()));
    }
    check(str(logs.get(logs.length() - 1)->data()) == text);
}

// The first line, made a legal file name, as an entry of job 7's directory: the list load takes
// at most the entries that name job 7's subjobs, each with a subjob id of 0 or more, and lists
// each subjob once, however many names stand for it; subjob 0's log is the input.
void checkEntryName(const Scratch& scratch, const std::string& line, const std::string& text) {
    std::string name = line.substr(0, 200);
    for (char& c : name)
        if (c == '/' || c == '\0' || c == '\n') c = '_';
    if (name.empty() || name == "." || name == "..") return;
    const std::string path = str(VnLog::joblogdir(scratch.base(), 7)) + "/" + name;
    const bool fresh = !std::filesystem::exists(path);
    if (fresh) spit(path, "");
    VnLogList logs;
    logs.load(scratch.base(), 7, 1);
    check(logs.length() <= 2);
    for (int i = 0; i < logs.length(); ++i) {
        const VnLog& log = *logs.get(i);
        check(log.jobid() == 7 && log.subid() >= 0);
        check(i == 0 || log.subid() != logs.get(0)->subid());
        if (log.subid() == 0) check(str(log.data()) == text);
    }
    if (fresh) std::filesystem::remove(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;  // the reference expression may backtrack on long lines
    static Scratch scratch;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = linesOf(text);
    spit(scratch.map, text);
    spit(scratch.log, text);
    std::vector<std::string> mapNames, sectionNames;
    checkMap(scratch, lines, mapNames);
    checkSections(scratch, lines, sectionNames);
    mapNames.insert(mapNames.end(), sectionNames.begin(), sectionNames.end());
    checkCommand(scratch, mapNames, text);
    if (!lines.empty()) checkEntryName(scratch, lines[0], text);
    return 0;
}
