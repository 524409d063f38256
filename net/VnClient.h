#ifndef VN_NET_VNCLIENT_H
#define VN_NET_VNCLIENT_H

#include <cstddef>
#include <memory>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "net/VnMessage.h"

class VnClientConfig;

// The client of one conversation with the supervisor, built on the stack for one exchange.
//
// The supervisor is found in this order: the forced host _vn_supervisor when it is set (and
// then only it); else the configured supervisor hosts in turn on the supervisor port; else
// the last supervisor that answered this user, kept in the file "supervisor_" + user +
// ".tmp" of the temporary directory, which is rewritten whenever a supervisor answers. A
// host text "name:port" (or "[address]:port") selects that port.
class VnClient : public VnBase {
public:
    // Reads the client settings.
    VnClient();
    // Takes the given settings over (null: reads them) and uses their supervisor hosts and port.
    explicit VnClient(std::unique_ptr<VnClientConfig> settings);
    VnClient(const VnClient&) = delete;
    VnClient& operator=(const VnClient&) = delete;
    ~VnClient() override;

    int type() override;

    // Sends the request, with the current user's name, to the supervisor and reads its
    // reply. 1 when a reply was received, else 0 (the failures are in the debug log).
    int converseSupervisor(VnMessage& request, VnMessage& reply);
    // The same with the supervisor at host.
    int converseSupervisor(const VnString& host, VnMessage& request, VnMessage& reply);

    // Milliseconds that one conversation with one host may take in all: connecting, sending
    // and receiving. 60000 unless set.
    void timeout(int milliseconds);
    int timeout() const;

    // The login name of the process's real user. When the user database has no entry, writes
    // "ERROR: couldn't validate user's login. permission denied." to the debug log and ends
    // the process with status 1.
    static VnString currentuser();

private:
    // One conversation with host; on success the host becomes the cached supervisor.
    int _converse(const VnString& host, VnMessage& request, VnMessage& reply);

    std::unique_ptr<const VnClientConfig> _settings;  // whose supervisor hosts are tried in turn
    int _port;
    int _timeout;
};

// The process-wide forced supervisor host; empty (not forced) at start.
VnString& vn_supervisor_obj();
#define _vn_supervisor (vn_supervisor_obj())

// The login name of the process's real user from the user database, looked up with a buffer of
// firstSize bytes (at least one) that doubles while the entry does not fit. 1 with name set,
// else 0 (no entry). currentuser() and the clock's cache file name use it.
int vn_login_name(std::size_t firstSize, VnString& name);

#endif  // VN_NET_VNCLIENT_H
