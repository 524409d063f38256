// Reads the input as the job.conf of a job type in a scratch directory and checks what the
// reading promises: every resolved value is its key's text made relative to the type's
// directory, the "_osx" pair rule holds, and a type is valid only when its version keys allow.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "job/VnJobConfig.h"

#include "testing/ScratchDir.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

// A type directory "t" under a fresh scratch directory, removed at exit.
class Scratch : public ScratchDir {
public:
    Scratch() : type(root + "/t"), file(type + "/job.conf") { std::filesystem::create_directory(type); }
    std::string type;
    std::string file;
};

void checkResolved(const VnJobConfig& c, const VnString& dir, const char* key, const VnString& value) {
    check(same(value, vn_job_config_resolve_path(dir, c.option(key, 0))));
    check(same(value, c.option(key, 1)));
}

// The "_osx" binding and library when that binding is set, else the plain pair.
void checkPair(const VnJobConfig& c, const VnString& dir, const char* key, const VnString& binding,
               const VnString& library) {
    const std::string osx = std::string(key) + "_binding_osx";
    const bool useOsx = c.option(osx.c_str(), 0).length() > 0;
    const std::string suffix = useOsx ? "_osx" : "";
    check(same(binding, c.option((std::string(key) + "_binding" + suffix).c_str(), 0)));
    checkResolved(c, dir, (std::string(key) + "_library" + suffix).c_str(), library);
}

bool versionAllows(const VnJobConfig& c) {
    const float library = VnString("5.1").floatvalue();
    const VnString& minimum = c.minimum_vorn_version();
    const VnString& required = c.required_vorn_version();
    if (minimum.isfloat() && library < minimum.floatvalue()) return false;
    return !(required.isfloat() && required.floatvalue() != library);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    static const Scratch scratch;
    std::ofstream(scratch.file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    const VnJobConfig c(VnString("t"), VnString(scratch.root.c_str()));
    const VnString dir(scratch.type.c_str());
    check(c.valid() == versionAllows(c));
    checkResolved(c, dir, "callback_library", c.callback_library());
    checkResolved(c, dir, "gui_icon", c.gui_icon());
    checkPair(c, dir, "gui_submit", c.gui_submit_binding(), c.gui_submit_library());
    checkPair(c, dir, "gui_job_display", c.gui_job_display_binding(), c.gui_job_display_library());
    checkPair(c, dir, "gui_subjob_display", c.gui_subjob_display_binding(), c.gui_subjob_display_library());
    checkPair(c, dir, "execute", c.execute_binding(), c.execute_library());
    check(same(c.job_status(), c.option("job_status", 0)));
    return 0;
}
