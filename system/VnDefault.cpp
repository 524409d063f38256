#include "system/VnDefault.h"

#include "system/VnPath.h"

namespace {

// How a row's text is made.
enum class Made {
    Fixed,     // the text itself
    UnderDir,  // the install directory followed directly by the text
    JobTypes,  // the two job-type directories, see jobTypes()
};

// The indexes that share one row.
struct Indexes {
    template <class... I>
    constexpr Indexes(I... i) : list{i...}, count(sizeof...(I)) {}

    bool has(int index) const {
        for (int k = 0; k < count; ++k) {
            if (list[k] == index) return true;
        }
        return false;
    }

    int list[6];
    int count;
};

struct TextRow {
    Indexes indexes;
    Made made;
    const char* text;
};

// clang-format off
const TextRow kTexts[] = {
    {{0}, Made::Fixed, "/Applications/zmr/vorn"},
    {{1, 101, 301, 401, 501, 601}, Made::Fixed, "/etc/vn.conf"},
    {{3, 104}, Made::Fixed, "/"},
    {{7}, Made::Fixed, "passive"},
    {{8, 111}, Made::Fixed, "/var/spool/vorn"},
    {{9}, Made::Fixed, "/var/spool/vorn/backup"},
    {{12}, Made::Fixed, "/var/log/manifestlog"},
    {{13}, Made::Fixed, "/var/log/supelog"},
    {{16, 33}, Made::Fixed, "Internal"},
    {{17}, Made::Fixed, "cluster"},
    {{19}, Made::Fixed, "/etc/vnwrk.conf"},
    {{20}, Made::Fixed, "open"},
    {{21}, Made::Fixed, "enabled"},
    {{26}, Made::Fixed, "/var/spool/vorn/supelock"},
    {{27}, Made::Fixed, "/var/spool/vorn/superefresh"},
    {{30}, Made::Fixed, "/var/spool/vorn/supe5.jnl"},
    {{32, 304, 406}, Made::Fixed, "/tmp"},
    {{34}, Made::Fixed, "none"},
    {{35}, Made::Fixed, "/var/run/supervisor.pid"},
    {{37, 124}, Made::Fixed, "/etc/vnsslcert.pem"},
    {{38, 125}, Made::Fixed, "/etc/vnsslkey.pem"},
    {{47}, Made::UnderDir, "/public"},
    {{49}, Made::UnderDir, "/html"},
    {{102}, Made::UnderDir, "/sbin/proxy"},
    {{103}, Made::Fixed, "/var/spool/vorn/worker5.jnl"},
    {{109}, Made::Fixed, "proxy"},
    {{112, 302, 402}, Made::JobTypes, ""},
    {{114}, Made::Fixed, "/var/log/workerlog"},
    {{117}, Made::Fixed, "remote"},
    {{122}, Made::Fixed, "/var/run/worker.pid"},
    {{123}, Made::Fixed, "local,supervisor"},
    {{129}, Made::Fixed, "vornproxy"},
    {{130}, Made::Fixed, "\\"},
    {{201}, Made::Fixed, "/src/api/perl/vn"},
    {{403}, Made::UnderDir, "/lib/gui/icons"},
    {{404}, Made::UnderDir, "/lib/gui/html"},
    {{405}, Made::UnderDir, "/docs"},
    {{407}, Made::UnderDir, "/lib/gui/pr"},
    {{408}, Made::UnderDir, "/lib/wizard"},
    {{503}, Made::Fixed, "localhost"},
    {{505}, Made::Fixed, "root"},
    {{605}, Made::UnderDir, "/etc/job.mail"},
    {{606}, Made::UnderDir, "/etc/subjob.mail"},
    {{607}, Made::UnderDir, "/etc/work.mail"},
    {{609}, Made::UnderDir, "/etc/report.mail"},
};

struct IntRow {
    int index;
    int value;
};

const IntRow kIntegers[] = {
    {2, 9999},    {4, 32},      {5, 256},     {6, 64},      {10, 50001},  {11, 127},    {15, 600},
    {22, 63},     {23, 360},    {24, 7174},   {25, 720},    {29, 8},      {31, 9999},   {36, 1200},
    {39, 8},      {40, 86400},  {41, 16},     {42, 45},     {43, 600},    {44, 524288}, {46, 600},
    {48, 50000},  {49, 50002},  {50, 524288}, {105, 500},   {106, 512},   {110, 1800},  {113, 50011},
    {116, 43200}, {118, 10},    {119, 12},    {120, 120},   {126, 8},     {127, 256},   {128, 4},
    {131, 524288}, {132, 30},   {305, 8},     {504, 3306},  {604, 25},    {610, 144},   {701, 50002},
};
// clang-format on

constexpr int kLastTextIndex = 609;

// The install directory's "types" folder, then the "jobtypes" folder beside the install
// directory: /Applications/zmr/vorn/types:/Applications/zmr/jobtypes.
VnString jobTypes(const VnString& dir) {
    VnString text(dir);
    text += "/types:";
    text += VnPath::chomp(dir);
    text += "jobtypes";
    return text;
}

VnString made(const TextRow& row) {
    switch (row.made) {
        case Made::UnderDir: {
            VnString text(_vn_default_dir);
            text += row.text;
            return text;
        }
        case Made::JobTypes:
            return jobTypes(_vn_default_dir);
        default:
            return VnString(row.text);
    }
}

}  // namespace

VnString vn_default_string(int index) {
    if (index < 0 || index > kLastTextIndex) return VnString("");
    for (const TextRow& row : kTexts) {
        if (row.indexes.has(index)) return made(row);
    }
    return VnString("");
}

int vn_default_int(int index) {
    for (const IntRow& row : kIntegers) {
        if (row.index == index) return row.value;
    }
    return 0;
}

void vn_default_set_vndir(const VnString& dir) {
    _vn_default_dir = dir;
}

VnString& vn_default_dir_obj() {
    static VnString dir(vn_default_string(0));
    return dir;
}
