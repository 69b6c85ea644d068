#include "net_check.h"

#include "net_port.h"

namespace ecf::link {

NetworkCheck checkNetworkPort(const std::string& url) {
    NetworkCheck check;
    const std::optional<PortUrl> parsed = parsePortUrl(url);
    if (!parsed) return check;
    check.wellFormed = true;
    {
        net::NetworkSession session;
        std::vector<net::Address> found;
        check.lookupError = session.error() != 0
                                ? session.error()
                                : lookUpWithin(parsed->host, parsed->port, Clock::now() + kConnectLimit, found);
        check.addresses = found.size();
    }
    if (check.lookupError != 0) return check;
    NetPort port;
    check.opened = port.open(url.c_str());
    check.openError = port.openDetails().systemError;
    check.modemState = port.reportedModemState();
    port.close();
    return check;
}

}  // namespace ecf::link
