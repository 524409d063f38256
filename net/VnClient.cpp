#include "net/VnClient.h"

#include <errno.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/VnDebug.h"
#include "base/VnTypes.h"
#include "net/VnConnection.h"
#include "system/VnCacheFile.h"
#include "system/VnClientConfig.h"
#include "system/VnDefault.h"

namespace {

const int kDefaultTimeout = 60000;

// A host text is short; a longer cache file is not one of ours.
const int kCacheLimit = 1024;

// The user database's entries are small; a buffer that grows to this cannot be short.
const std::size_t kMaxEntrySize = 1 << 20;

VnString cachePath() {
    VnString path(vn_default_string(32));
    path += "/supervisor_";
    path += VnClient::currentuser();
    path += ".tmp";
    return path;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

VnString trimmed(const VnString& text) {
    const char* bytes = text.value();
    int start = 0;
    int end = text.length();
    while (start < end && isBlank(bytes[start]))
        ++start;
    while (end > start && isBlank(bytes[end - 1]))
        --end;
    return VnString(bytes + start, end - start);
}

// The port of a text of digits; 0 (no port) for anything else.
int portOf(const char* digits, int length) {
    if (length < 1 || length > 5) return 0;
    int port = 0;
    for (int i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return 0;
        port = port * 10 + (digits[i] - '0');
    }
    return port;
}

// Splits a host text into the name and the port: "name:port", "[address]:port" and
// "[address]" name their port or none; a text with several ":" is an IPv6 address without
// a port. A port that is not a number of at most five digits reads as 0, which no
// connection takes.
void splitHost(const VnString& text, int defaultPort, VnString& name, int& port) {
    const char* bytes = text.value();
    const int length = text.length();
    port = defaultPort;
    const char* close = length > 0 && bytes[0] == '[' ? std::strchr(bytes, ']') : nullptr;
    if (close != nullptr) {
        const int end = static_cast<int>(close - bytes);
        name = VnString(bytes + 1, end - 1);
        if (end + 1 < length && bytes[end + 1] == ':') port = portOf(close + 2, length - end - 2);
        return;
    }
    const char* colon = std::strchr(bytes, ':');
    if (colon == nullptr || std::strchr(colon + 1, ':') != nullptr) {
        name = text;
        return;
    }
    const int at = static_cast<int>(colon - bytes);
    name = VnString(bytes, at);
    port = portOf(colon + 1, length - at - 1);
}

}  // namespace

VnString& vn_supervisor_obj() {
    static VnString forced;
    return forced;
}

VnClient::VnClient() : VnClient(nullptr) {}

VnClient::VnClient(std::unique_ptr<VnClientConfig> settings)
    : _settings(settings ? std::move(settings) : std::make_unique<VnClientConfig>()),
      _port(_settings->supervisor_port()),
      _timeout(kDefaultTimeout) {}

VnClient::~VnClient() = default;

int VnClient::type() {
    return VN_TYPE_CLIENT;
}

void VnClient::timeout(int milliseconds) {
    _timeout = milliseconds;
}

int VnClient::timeout() const {
    return _timeout;
}

int VnClient::converseSupervisor(VnMessage& request, VnMessage& reply) {
    if (_vn_supervisor.length() > 0) return converseSupervisor(_vn_supervisor, request, reply);
    request.user(currentuser());
    const VnHostnameList& hosts = _settings->supervisor_hosts();
    for (int i = 0; i < hosts.length(); ++i) {
        const VnHostname* host = hosts.get(i);
        if (host != nullptr && _converse(host->value(), request, reply)) return 1;
    }
    const VnString cached = trimmed(vn_cache_load(cachePath(), kCacheLimit));
    return cached.length() > 0 && _converse(cached, request, reply);
}

int VnClient::converseSupervisor(const VnString& host, VnMessage& request, VnMessage& reply) {
    request.user(currentuser());
    return _converse(host, request, reply);
}

int VnClient::_converse(const VnString& host, VnMessage& request, VnMessage& reply) {
    VnString name;
    int port = 0;
    splitHost(host, _port, name, port);
    VnConnection connection(_timeout);
    if (!connection.open(name, port) || !connection.send(request) || !connection.receive(reply)) return 0;
    vn_cache_save(cachePath(), host);
    return 1;
}

int vn_login_name(std::size_t firstSize, VnString& name) {
    std::vector<char> buffer(std::max<std::size_t>(firstSize, 1));
    passwd entry;
    passwd* found = nullptr;
    int result;
    while ((result = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < kMaxEntrySize)
        buffer.resize(buffer.size() * 2);
    if (result != 0 || found == nullptr || found->pw_name == nullptr) return 0;
    name = VnString(found->pw_name);
    return 1;
}

VnString VnClient::currentuser() {
    VnString name;
    if (vn_login_name(1024, name)) return name;
    VnDebug& log = vn_debug_obj();
    log.lock();
    log.mark() << "ERROR: couldn't validate user's login. permission denied."
               << "\n";
    log.unlock();
    std::exit(1);
}
