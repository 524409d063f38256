#ifndef VN_SYSTEM_VNCLIENTCONFIG_H
#define VN_SYSTEM_VNCLIENTCONFIG_H

#include "base/VnBase.h"
#include "base/VnString.h"
#include "farm/VnHostname.h"

class VnConfig;

// The client settings: where the supervisor is (host names or a domain), its ports, the
// worker's address, port and paths, and the defaults the client puts into the jobs it
// submits. Every construction reads the main configuration file afresh and fills each setting
// from its key, or from the built-in default when the key is missing or empty; afterwards the
// object only answers.
//
// The "vn_directory" setting becomes the process-wide install directory
// (vn_default_set_vndir), so the directory-relative defaults follow it from then on.
class VnClientConfig : public VnBase {
public:
    // Reads the main configuration file, "/etc/vn.conf" (vn_default_string(301)).
    VnClientConfig();
    // Reads the configuration file at path by the same rules.
    explicit VnClientConfig(const VnString& path);
    VnClientConfig(const VnClientConfig&) = delete;
    VnClientConfig& operator=(const VnClientConfig&) = delete;
    ~VnClientConfig() override;

    int type() override;

    // The most supervisor host names the settings keep; the two calls below that add hosts
    // ignore further ones, with a warning on the standard error.
    static constexpr int kMaxSupervisorHosts = 1024;

    // The supervisor host names to try, in order.
    VnHostnameList& supervisor_hosts();
    const VnHostnameList& supervisor_hosts() const;
    // Keeps text as the supervisor text, then appends a host name for every name in it; names
    // are separated by spaces and commas. The hosts held before stay.
    void supervisor_hosts(const VnString& text);
    // Appends host and takes it over, unless a host of the same value() is there already or
    // the list is full, in which case host is deleted. A null host does nothing.
    void add_supervisor_host(VnHostname* host);

    const VnString& vn_directory() const;
    const VnString& vn_supervisor() const;
    const VnString& vn_domain() const;
    const VnString& vn_region() const;
    const VnString& supervisor_logpath() const;
    const VnString& worker_address() const;
    const VnString& worker_logmode() const;
    const VnString& worker_logpath() const;
    const VnString& worker_template_path() const;
    const VnString& client_priority() const;
    const VnString& client_cluster() const;
    const VnString& client_drive_map() const;
    const VnString& client_path_map() const;
    const VnString& client_restrictions() const;
    const VnString& client_host_domain() const;
    const VnString& client_account() const;

    int client_flags() const;
    int client_job_flags() const;
    int worker_port() const;
    int supervisor_port() const;
    int supervisor_sub_port() const;
    int supervisor_http_port() const;

private:
    void read(const VnString& path);
    void readSupervisor(const VnConfig& config);
    void readPaths(const VnConfig& config);
    void readPorts(const VnConfig& config);
    void readClient(const VnConfig& config);
    bool roomForHost() const;

    VnHostnameList _supervisorHosts;
    VnString _domain;
    VnString _region;
    VnString _directory;
    VnString _supervisor;
    VnString _supervisorLogpath;
    VnString _workerLogpath;
    VnString _workerAddress;
    VnString _workerTemplatePath;
    VnString _workerLogmode;
    VnString _clientCluster;
    VnString _clientHostDomain;
    VnString _clientAccount;
    VnString _clientRestrictions;
    VnString _clientDriveMap;
    VnString _clientPathMap;
    VnString _clientPriority;
    int _workerPort;
    int _supervisorPort;
    int _supervisorSubPort;
    int _supervisorHttpPort;
    int _clientFlags;
    int _clientJobFlags;
};

#endif  // VN_SYSTEM_VNCLIENTCONFIG_H
