#ifndef VN_JOB_VNJOBCONFIG_H
#define VN_JOB_VNJOBCONFIG_H

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"
#include "system/VnConfig.h"

// The settings of one job type. A job type is a name that selects a directory of that name,
// found along a colon-separated search path, holding the file "job.conf" in the flat
// configuration text: the callback file jobs of the type get, the bindings and their files,
// descriptive texts, version requirements and defaults for the fields of a new job.
//
// The constructor finds the type and reads its job.conf once; afterwards the object only
// answers. The first path entry that holds a directory named like the type wins, whether or not
// that directory has a job.conf. Nothing is reported: a type that is missing, has no readable
// job.conf or asks for another library version is not valid(); the values are still read when
// only the version checks failed. Values hold the text of their key (empty when missing or not
// read); a "resolved" value is made relative to the type's directory by
// vn_job_config_resolve_path, so a missing key of a job.conf that exists resolves to the
// directory followed by "/".
//
// Bindings that come as a pair follow the "_osx" rule: the "_osx" binding and its "_osx" library
// are taken when that binding is non-empty, the plain pair otherwise.
class VnJobConfig : public VnBase {
public:
    // Searches VNPATH, then the worker template path of the client settings and the default
    // job-type directories. Reading the client settings makes their install directory the
    // process-wide one (see vn_default_set_vndir) and keeps it in vn_dir().
    explicit VnJobConfig(const VnString& type);
    // Searches exactly path; neither the environment nor the client settings are read.
    VnJobConfig(const VnString& type, const VnString& path);
    ~VnJobConfig() override;

    // The class number.
    int type() override;
    // The type name given to the constructor, also once job.conf was read.
    const VnString& type() const;

    bool valid() const { return _valid; }

    const VnString& vn_dir() const { return _vnDir; }
    const VnString& version() const { return _version; }
    const VnString& minimum_vorn_version() const { return _minimumVornVersion; }
    const VnString& required_vorn_version() const { return _requiredVornVersion; }
    const VnString& detail() const { return _detail; }
    const VnString& short_detail() const { return _shortDetail; }
    const VnString& gui_icon() const { return _guiIcon; }
    const VnString& callback_library() const { return _callbackLibrary; }
    const VnString& gui_submit_binding() const { return _guiSubmitBinding; }
    const VnString& gui_submit_library() const { return _guiSubmitLibrary; }
    const VnString& gui_job_display_binding() const { return _guiJobDisplayBinding; }
    const VnString& gui_job_display_library() const { return _guiJobDisplayLibrary; }
    const VnString& gui_subjob_display_binding() const { return _guiSubjobDisplayBinding; }
    const VnString& gui_subjob_display_library() const { return _guiSubjobDisplayLibrary; }
    const VnString& execute_binding() const { return _executeBinding; }
    const VnString& execute_library() const { return _executeLibrary; }

    // Defaults for the fields of a new job, as written.
    const VnString& job_priority() const { return _jobPriority; }
    const VnString& job_cluster() const { return _jobCluster; }
    const VnString& job_requirements() const { return _jobRequirements; }
    const VnString& job_restrictions() const { return _jobRestrictions; }
    const VnString& job_reservations() const { return _jobReservations; }
    const VnString& job_kind() const { return _jobKind; }
    const VnString& job_label() const { return _jobLabel; }
    const VnString& job_account() const { return _jobAccount; }
    const VnString& job_hosts() const { return _jobHosts; }
    const VnString& job_groups() const { return _jobGroups; }
    const VnString& job_flags() const { return _jobFlags; }
    const VnString& job_cpus() const { return _jobCpus; }
    const VnString& job_name() const { return _jobName; }
    const VnString& job_status() const { return _jobStatus; }

    // The value of any key of job.conf ("" when absent); resolved against the type's directory
    // when resolve is non-zero.
    VnString option(const VnString& key, unsigned char resolve) const;

    // Appends to list the names of the valid job types found along VNPATH, then extra (when
    // non-empty), then the client settings' worker template path and the default job-type
    // directories. Each name comes once, taken from the first directory that holds it; names
    // beginning with "." are passed over. Names come in the order of a string hash's slots, not
    // in the order found; the list is not emptied first.
    static void available(const VnString& extra, VnStringList& list);

private:
    struct Found {
        const VnString& directory;
    };
    // The type already found in directory along path: only reads it.
    VnJobConfig(const VnString& type, const VnString& path, Found found);

    // ":" worker template path ":" the two job-type defaults, read from the client settings,
    // whose install directory goes to dir and becomes the process-wide one.
    static VnString settingsPath(VnString& dir);

    void find();
    void read(const VnString& dir);
    void readValues();
    VnString plain(const char* key) const;
    VnString resolved(const char* key) const;
    void pair(const char* bindingKey, const char* libraryKey, VnString& binding, VnString& library);

    bool _valid;
    VnString _type;
    VnConfig _config;
    VnString _guiIcon;
    VnString _vnDir;
    VnString _guiSubmitBinding;
    VnString _guiSubmitLibrary;
    VnString _callbackLibrary;
    VnString _guiJobDisplayBinding;
    VnString _guiJobDisplayLibrary;
    VnString _guiSubjobDisplayBinding;
    VnString _guiSubjobDisplayLibrary;
    VnString _submitBinding;
    VnString _submitLibrary;
    VnString _executeBinding;
    VnString _executeLibrary;
    VnString _displayBinding;
    VnString _displayLibrary;
    VnString _parentType;
    VnString _detail;
    VnString _version;
    VnString _minimumVornVersion;
    VnString _requiredVornVersion;
    VnString _shortDetail;
    VnString _searchPath;
    VnString _typeDirectory;
    VnString _jobPriority;
    VnString _jobCluster;
    VnString _jobRequirements;
    VnString _jobRestrictions;
    VnString _jobReservations;
    VnString _jobKind;
    VnString _jobLabel;
    VnString _jobAccount;
    VnString _jobHosts;
    VnString _jobGroups;
    VnString _jobFlags;
    VnString _jobCpus;
    VnString _jobName;
    VnString _jobStatus;
};

// path made relative to root: a full path comes back unchanged; any other path, the empty one
// included, comes back as root, then "/" unless root ends in one, then path.
VnString vn_job_config_resolve_path(const VnString& root, const VnString& path);

#endif  // VN_JOB_VNJOBCONFIG_H
