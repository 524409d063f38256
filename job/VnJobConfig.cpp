#include "job/VnJobConfig.h"

#include <cstring>
#include <memory>

#include "base/VnStringHash.h"
#include "base/VnTypes.h"
#include "system/VnClientConfig.h"
#include "system/VnDefault.h"
#include "system/VnDir.h"
#include "system/VnEnv.h"
#include "system/VnFile.h"
#include "system/VnPath.h"

namespace {

// The library version that job types state their requirements against.
const char kLibraryVersion[] = "5.1";

// The value of a version key as a number, when it is written as one.
bool versionNumber(const VnString& text, float& number) {
    if (!text.isfloat()) return false;
    number = text.floatvalue();
    return true;
}

// "." and ".." name the directory itself and its parent, never a job type.
bool isDotName(const VnString& name) {
    return name == VnString(".") || name == VnString("..");
}

// The path of name inside the directory entry, with one "/" between them.
VnString inside(const VnString& entry, const VnString& name) {
    VnString path(entry);
    if (entry.get(entry.length() - 1) != '/') path += "/";
    path += name;
    return path;
}

// Calls visit(entry, name) for every name listed in every entry of the colon-separated path,
// in order, until visit answers true. Empty entries are passed over, and so are entries holding
// a zero byte, which name no directory.
template <class Visit>
void walkPath(const VnString& path, Visit visit) {
    const char* text = path.value();
    const int length = path.length();
    int start = 0;
    while (start <= length) {
        const void* colon = std::memchr(text + start, ':', static_cast<std::size_t>(length - start));
        const int end = colon ? static_cast<int>(static_cast<const char*>(colon) - text) : length;
        const int size = end - start;
        if (size > 0 && !std::memchr(text + start, '\0', static_cast<std::size_t>(size))) {
            const VnString entry(text + start, size);
            const VnDir dir(entry);
            for (int i = 0; i < dir.length(); ++i) {
                if (visit(entry, *dir.get(i))) return;
            }
        }
        start = end + 1;
    }
}

}  // namespace

VnJobConfig::VnJobConfig(const VnString& type) : _valid(false), _type(type) {
    _searchPath = VnEnv::valueEnv("VNPATH");
    _searchPath += settingsPath(_vnDir);
    find();
}

VnJobConfig::VnJobConfig(const VnString& type, const VnString& path)
    : _valid(false), _type(type), _searchPath(path) {
    find();
}

VnJobConfig::VnJobConfig(const VnString& type, const VnString& path, Found found)
    : _valid(false), _type(type), _searchPath(path) {
    read(found.directory);
}

VnJobConfig::~VnJobConfig() = default;

int VnJobConfig::type() {
    return VN_TYPE_JOB_CONFIG;
}

const VnString& VnJobConfig::type() const {
    return _type;
}

VnString VnJobConfig::option(const VnString& key, unsigned char resolve) const {
    const VnString& value = _config.option(key);
    return resolve ? vn_job_config_resolve_path(_typeDirectory, value) : VnString(value);
}

// The walk lists each directory of the path once and remembers, for every name, the first
// directory that holds it: the directory the search for that name alone would find.
void VnJobConfig::available(const VnString& extra, VnStringList& list) {
    VnString path = VnEnv::valueEnv("VNPATH");
    if (extra.length() > 0) {
        path += ":";
        path += extra;
    }
    VnString installDir;
    path += settingsPath(installDir);
    path += ":";

    VnStringHash found;  // name -> its directory
    walkPath(path, [&found](const VnString& entry, const VnString& name) {
        if (name.get(0) == '.' || found.get(name)) return false;
        const VnString candidate = inside(entry, name);
        if (VnDir::isdir(candidate)) {
            std::unique_ptr<VnString> dir(new VnString(candidate));
            if (found.set(dir.get(), name)) dir.release();
        }
        return false;
    });

    VnStringList names;
    found.copykeys(names);
    for (int i = 0; i < names.length(); ++i) {
        const VnString& name = *names.get(i);
        if (!VnJobConfig(name, path, Found{*found.get(name)}).valid()) continue;
        std::unique_ptr<VnString> copy(new VnString(name));
        if (list.push(copy.get())) copy.release();
    }
}

VnString VnJobConfig::settingsPath(VnString& dir) {
    const VnClientConfig settings;
    if (settings.vn_directory().length() > 0) {
        dir = settings.vn_directory();
        vn_default_set_vndir(dir);
    }
    VnString path(":");
    path += settings.worker_template_path();
    path += ":";
    path += vn_default_string(302);
    path += ":";
    path += vn_default_string(112);
    return path;
}

// Reads the first directory along the search path that is named like the type.
void VnJobConfig::find() {
    if (isDotName(_type)) return;
    walkPath(_searchPath, [this](const VnString& entry, const VnString& name) {
        if (name != _type) return false;
        const VnString candidate = inside(entry, name);
        if (!VnDir::isdir(candidate)) return false;
        read(candidate);
        return true;
    });
}

void VnJobConfig::read(const VnString& dir) {
    _typeDirectory = dir;
    VnString file(dir);
    file += "/job.conf";
    if (!VnFile::exists(file)) {
        _valid = false;
        return;
    }
    _valid = _config.load(file) == 1;

    const float library = VnString(kLibraryVersion).floatvalue();
    float number = 0.0f;
    _minimumVornVersion = plain("minimum_vorn_version");
    if (versionNumber(_minimumVornVersion, number) && library < number) _valid = false;
    _requiredVornVersion = plain("required_vorn_version");
    if (versionNumber(_requiredVornVersion, number) && number != library) _valid = false;
    readValues();
}

void VnJobConfig::readValues() {
    _callbackLibrary = resolved("callback_library");
    _guiIcon = resolved("gui_icon");
    pair("gui_job_display_binding", "gui_job_display_library", _guiJobDisplayBinding, _guiJobDisplayLibrary);
    pair("gui_subjob_display_binding", "gui_subjob_display_library", _guiSubjobDisplayBinding,
         _guiSubjobDisplayLibrary);
    pair("gui_submit_binding", "gui_submit_library", _guiSubmitBinding, _guiSubmitLibrary);
    _submitBinding = plain("submit_binding");
    _submitLibrary = resolved("submit_library");
    pair("execute_binding", "execute_library", _executeBinding, _executeLibrary);
    _displayBinding = plain("display_binding");
    _displayLibrary = resolved("display_library");
    _parentType = plain("parent_type");
    _detail = plain("detail");
    _version = plain("version");
    _shortDetail = plain("short_detail");

    _jobPriority = plain("job_priority");
    _jobCluster = plain("job_cluster");
    _jobRequirements = plain("job_requirements");
    _jobRestrictions = plain("job_restrictions");
    _jobReservations = plain("job_reservations");
    _jobKind = plain("job_kind");
    _jobLabel = plain("job_label");
    _jobAccount = plain("job_account");
    _jobHosts = plain("job_hosts");
    _jobGroups = plain("job_groups");
    _jobFlags = plain("job_flags");
    _jobCpus = plain("job_cpus");
    _jobName = plain("job_name");
    _jobStatus = plain("job_status");
}

VnString VnJobConfig::plain(const char* key) const {
    return option(VnString(key), 0);
}

VnString VnJobConfig::resolved(const char* key) const {
    return option(VnString(key), 1);
}

// The "_osx" pair when its binding is set, else the plain pair; the binding alone decides.
void VnJobConfig::pair(const char* bindingKey, const char* libraryKey, VnString& binding, VnString& library) {
    VnString osxBinding(bindingKey);
    VnString osxLibrary(libraryKey);
    osxBinding += "_osx";
    osxLibrary += "_osx";
    binding = option(osxBinding, 0);
    library = option(osxLibrary, 1);
    if (binding.length() > 0) return;
    binding = plain(bindingKey);
    library = resolved(libraryKey);
}

VnString vn_job_config_resolve_path(const VnString& root, const VnString& path) {
    VnPath resolved(path);
    resolved.root(root);
    return resolved.value();
}
