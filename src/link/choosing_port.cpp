#include "choosing_port.h"

#include "port_url.h"

namespace ecf::link {

OpenError ChoosingPort::open(const char* name) {
    active_->close();
    const std::string where = resolve_(name);
    if (!looksLikeUrl(where)) {
        active_ = local_.get();
        return local_->open(name);
    }
    if (!network_) network_ = std::make_unique<NetPort>();
    active_ = network_.get();
    return network_->open(where.c_str());
}

}  // namespace ecf::link
