#include "proxy/relay/socket_proxy.h"

class CSocketProxy::Impl {};

CSocketProxy::CSocketProxy() : impl_(std::make_unique<Impl>()) {}

CSocketProxy::~CSocketProxy() { Stop(); }

void CSocketProxy::SetUpstream(const std::string&, const std::string&, const std::string&, const std::string&,
                               const std::string&, int, int) {}

bool CSocketProxy::Start(std::uint16_t&) { return false; }

bool CSocketProxy::Stop() { return true; }
