#pragma once
// The proxy document: the JSON value of the browser's proxy setting when
// it is neither "0" nor "1". Its top-level members give the configuration;
// every object in an array member describes one upstream proxy:
//
//   {"dispatch_id":"1", "bypass_list":"<local>",
//    "proxies":[{"id":"1","name":"n","scheme":"socks5","host":"h",
//                "port":1080,"username":"u","password":"p"}]}
//
// Every scalar is taken as its text, so 1080 and "1080" are the same port.
// Keys are matched without regard to case at either level: a configuration
// key inside an entry still sets the configuration.

#include <deque>
#include <string>
#include <string_view>

#include "ult/json/json_reader.h"

namespace proxy {

struct ProxyEntry {
    std::wstring id;  // an entry without an id is never chosen
    std::wstring name;
    std::wstring scheme;  // http, https, socks4, socks4a, socks5 or socks5h, any case
    std::wstring host;    // an entry without a host is never chosen
    std::wstring port;
    std::wstring username;
    std::wstring password;
};

struct ProxyConfig {
    std::wstring dispatch_id;
    std::wstring default_id;
    std::wstring bypass_list;  // for an HTTP or HTTPS proxy
    std::wstring bypass_local;
    std::deque<ProxyEntry> entries;  // in document order; a deque keeps `current` valid as it grows
    ProxyEntry* current = nullptr;   // the entry being filled
};

class CProxyArray_CB;

// Receives the members of the top-level object and of every entry object.
class CProxyObject_CB final : public ult::json::object_callback {
public:
    CProxyObject_CB() = default;
    CProxyObject_CB(const CProxyObject_CB&) = delete;
    CProxyObject_CB& operator=(const CProxyObject_CB&) = delete;

    ult::json::array_callback* member_array(const std::wstring& key) override;
    void member_value(const std::wstring& key, const ult::json::json_value& value) override;

    // Called by an array element that is an object: its members fill a new entry.
    void StartEntry();

    const ProxyConfig& config() const { return config_; }

private:
    ProxyConfig config_;
    std::deque<CProxyArray_CB> arrays_;  // one per array member, alive until the parse ends with this object
};

class CProxyArray_CB final : public ult::json::array_callback {
public:
    explicit CProxyArray_CB(CProxyObject_CB* owner) : owner_(owner) {}
    ult::json::object_callback* element_object() override;

private:
    CProxyObject_CB* owner_;
};

// The entry to use: the first with both an id and a host, or null.
const ProxyEntry* ChooseEntry(const ProxyConfig& config);

enum class ProxyKind { Unknown, Http, Socks };

// http and https are set in the internet settings directly; SOCKS proxies
// are served through the local relay.
ProxyKind KindOfScheme(std::wstring_view scheme);

// A number read the way C's atoi reads one (blanks, a sign, digits), except
// that a value beyond int's range saturates instead of being undefined.
int AtoiRules(std::string_view text);

}  // namespace proxy
