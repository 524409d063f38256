#include "system/VnClientConfig.h"

#include <iostream>
#include <memory>

#include "base/VnTypes.h"
#include "system/VnConfig.h"
#include "system/VnDefault.h"
#include "system/VnFlag.h"

namespace {

// A key counts as present when it has a non-empty value.
bool present(const VnConfig& config, const char* key) {
    return config.option(key).length() > 0;
}

VnString valueOr(const VnConfig& config, const char* key, const VnString& fallback) {
    return present(config, key) ? config.option(key) : fallback;
}

// The leading decimal number of the value; the default for a missing value, a word or 0.
int port(const VnConfig& config, const char* key, int defaultIndex) {
    const int value = config.option(key).integervalue();
    return value != 0 ? value : vn_default_int(defaultIndex);
}

}  // namespace

VnClientConfig::VnClientConfig() {
    read(vn_default_string(301));
}

VnClientConfig::VnClientConfig(const VnString& path) {
    read(path);
}

VnClientConfig::~VnClientConfig() = default;

int VnClientConfig::type() {
    return VN_TYPE_CLIENT_CONFIG;
}

// A file that does not read gives no options, so every setting takes its default.
void VnClientConfig::read(const VnString& path) {
    const VnConfig config(path);
    _directory = valueOr(config, "vn_directory", vn_default_string(0));
    vn_default_set_vndir(_directory);
    readSupervisor(config);
    readPaths(config);
    readPorts(config);
    readClient(config);
    if (_supervisorHosts.length() == 0 && _domain.length() == 0)
        std::cerr << "WARNING: no vn_supervisor or vn_domain specified in vn.conf." << std::endl;
}

// The hosts of "supervisor_host" (an alias "vn_supervisor" adds its own after them), the domain
// ("vn_domain" replaces "supervisor_domain") and the region.
void VnClientConfig::readSupervisor(const VnConfig& config) {
    supervisor_hosts(config.option("supervisor_host"));
    if (present(config, "vn_supervisor")) supervisor_hosts(config.option("vn_supervisor"));
    _domain = valueOr(config, "vn_domain", config.option("supervisor_domain"));
    _region = config.option("vn_region");
}

void VnClientConfig::readPaths(const VnConfig& config) {
    _supervisorLogpath = valueOr(config, "supervisor_logpath", vn_default_string(8));
    _workerAddress = config.option("worker_address");
    _workerTemplatePath = valueOr(config, "worker_template_path", vn_default_string(112));
    _workerLogpath = valueOr(config, "worker_logpath", vn_default_string(111));
    _workerLogmode = valueOr(config, "worker_logmode", vn_default_string(117));
}

void VnClientConfig::readPorts(const VnConfig& config) {
    _workerPort = port(config, "worker_port", 113);
    _supervisorPort = port(config, "supervisor_port", 10);
    _supervisorSubPort = port(config, "supervisor_sub_port", 49);
    _supervisorHttpPort = port(config, "supervisor_http_port", 48);
}

void VnClientConfig::readClient(const VnConfig& config) {
    _clientAccount = config.option("client_account");
    _clientHostDomain = config.option("client_host_domain");
    _clientPriority = config.option("client_priority");
    _clientCluster = config.option("client_cluster");
    _clientRestrictions = config.option("client_restrictions");
    _clientDriveMap = config.option("client_drive_map");
    _clientPathMap = config.option("client_path_map");
    _clientJobFlags = present(config, "client_job_flags") ? vn_job_flag_int(config.option("client_job_flags"))
                                                          : vn_default_int(305);
    _clientFlags = vn_client_flag_int(config.option("client_flags"));
}

VnHostnameList& VnClientConfig::supervisor_hosts() {
    return _supervisorHosts;
}

const VnHostnameList& VnClientConfig::supervisor_hosts() const {
    return _supervisorHosts;
}

// A name found when the list is full is not added: a warning, and the rest of the text is
// not read.
void VnClientConfig::supervisor_hosts(const VnString& text) {
    _supervisor = text;
    const char* s = text.value();
    const int n = text.length();
    for (int start = 0, p = 0; p <= n; ++p) {
        if (p < n && s[p] != ' ' && s[p] != ',') continue;
        if (p > start) {
            if (!roomForHost()) return;
            std::unique_ptr<VnHostname> host(new VnHostname(VnString(s + start, p - start)));
            if (_supervisorHosts.push(host.get())) host.release();
        }
        start = p + 1;
    }
}

void VnClientConfig::add_supervisor_host(VnHostname* host) {
    if (!host) return;
    std::unique_ptr<VnHostname> owned(host);
    const VnString value = host->value();
    for (int i = 0; i < _supervisorHosts.length(); ++i) {
        const VnHostname* held = _supervisorHosts.get(i);
        if (held && held->value() == value) return;
    }
    if (roomForHost() && _supervisorHosts.push(host)) owned.release();
}

// Whether the host list takes one more host; when it does not, the warning.
bool VnClientConfig::roomForHost() const {
    if (_supervisorHosts.length() < kMaxSupervisorHosts) return true;
    std::cerr << "WARNING: more than " << kMaxSupervisorHosts
              << " supervisor hosts specified; the rest are ignored." << std::endl;
    return false;
}

const VnString& VnClientConfig::vn_directory() const {
    return _directory;
}

const VnString& VnClientConfig::vn_supervisor() const {
    return _supervisor;
}

const VnString& VnClientConfig::vn_domain() const {
    return _domain;
}

const VnString& VnClientConfig::vn_region() const {
    return _region;
}

const VnString& VnClientConfig::supervisor_logpath() const {
    return _supervisorLogpath;
}

const VnString& VnClientConfig::worker_address() const {
    return _workerAddress;
}

const VnString& VnClientConfig::worker_logmode() const {
    return _workerLogmode;
}

const VnString& VnClientConfig::worker_logpath() const {
    return _workerLogpath;
}

const VnString& VnClientConfig::worker_template_path() const {
    return _workerTemplatePath;
}

const VnString& VnClientConfig::client_priority() const {
    return _clientPriority;
}

const VnString& VnClientConfig::client_cluster() const {
    return _clientCluster;
}

const VnString& VnClientConfig::client_drive_map() const {
    return _clientDriveMap;
}

const VnString& VnClientConfig::client_path_map() const {
    return _clientPathMap;
}

const VnString& VnClientConfig::client_restrictions() const {
    return _clientRestrictions;
}

const VnString& VnClientConfig::client_host_domain() const {
    return _clientHostDomain;
}

const VnString& VnClientConfig::client_account() const {
    return _clientAccount;
}

int VnClientConfig::client_flags() const {
    return _clientFlags;
}

int VnClientConfig::client_job_flags() const {
    return _clientJobFlags;
}

int VnClientConfig::worker_port() const {
    return _workerPort;
}

int VnClientConfig::supervisor_port() const {
    return _supervisorPort;
}

int VnClientConfig::supervisor_sub_port() const {
    return _supervisorSubPort;
}

int VnClientConfig::supervisor_http_port() const {
    return _supervisorHttpPort;
}
