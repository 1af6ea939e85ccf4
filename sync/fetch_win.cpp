// The time page fetch over WinINet, used synchronously on the caller's thread.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "build_config.h"
#include "fetch.h"
#include "ui/handles.h"

namespace {

// Where one GET goes, taken apart from an http address.
struct RequestTarget {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    std::optional<std::string> userName;  // nullopt: the address names none
    std::optional<std::string> password;
    std::string target;  // path and query, the fragment cut off
};

// `address` in WinINet's canonical form, nothing escaped (the address is
// ASCII and already as the server expects it); nullopt when WinINet rejects it.
std::optional<std::string> canonicalAddress(const char* address) {
    std::string buffer(std::strlen(address) + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (InternetCanonicalizeUrlA(address, buffer.data(), &length, ICU_NO_ENCODE)) {
            buffer.resize(std::min<std::size_t>(length, buffer.size()));
            return buffer;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
        buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
    }
    return std::nullopt;
}

// The `length` characters at `text`, or nullopt when WinINet found no such part.
std::optional<std::string> part(const char* text, DWORD length) {
    if (!text || length == 0) return std::nullopt;
    return std::string(text, length);
}

// The parts of an http `address`; nullopt when it cannot be split, has no
// host, or names another scheme (this client speaks plain HTTP only, and
// would otherwise send clear text to a TLS port).
std::optional<RequestTarget> splitAddress(const char* address) {
    const std::optional<std::string> canonical = canonicalAddress(address);
    if (!canonical) return std::nullopt;

    // Non-zero lengths with null pointers ask for pointers into `canonical`.
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUserNameLength = 1;
    parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(canonical->c_str(), static_cast<DWORD>(canonical->size()), 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP) return std::nullopt;

    RequestTarget request;
    request.host = part(parts.lpszHostName, parts.dwHostNameLength).value_or("");
    if (request.host.empty()) return std::nullopt;
    request.port = parts.nPort;
    request.userName = part(parts.lpszUserName, parts.dwUserNameLength);
    request.password = part(parts.lpszPassword, parts.dwPasswordLength);
    request.target = part(parts.lpszUrlPath, parts.dwUrlPathLength).value_or("") +
                     part(parts.lpszExtraInfo, parts.dwExtraInfoLength).value_or("");
    // A fragment belongs to the browser, never to the request.
    request.target.erase(std::min(request.target.find('#'), request.target.size()));
    if (request.target.empty()) request.target = "/";
    return request;
}

const char* orNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

// The process's one WinINet session. Opened by the first fetch that needs it
// and closed when the program ends; a failed open leaves it empty so that the
// next fetch tries again.
InternetHandle& session() {
    static InternetHandle handle;
    return handle;
}

}  // namespace

ByteData fetchPage(const char* address) {
    const std::optional<RequestTarget> where = splitAddress(address);
    if (!where) return {};

    InternetHandle& internet = session();
    if (!internet) {
        // Direct access, asynchronous mode off: the fetch blocks its caller.
        internet.reset(InternetOpenA(kTimePageUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
        if (!internet) return {};
    }

    const InternetHandle connection(InternetConnectA(internet.get(), where->host.c_str(), where->port,
                                                     orNull(where->userName), orNull(where->password),
                                                     INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return {};

    // Let a proxy configured on the machine apply (the session itself was
    // opened for direct access), with empty proxy credentials of our own.
    // Failures are harmless: the request then simply goes direct.
    INTERNET_PROXY_INFO proxy{INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr};
    InternetSetOptionA(internet.get(), INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
    char emptyUserName[] = "";
    char emptyPassword[] = "";
    InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_USERNAME, emptyUserName, sizeof emptyUserName);
    InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_PASSWORD, emptyPassword, sizeof emptyPassword);

    // RELOAD: a cached copy would carry a stale time. NO_CACHE_WRITE: an
    // answer that is stale the moment it arrives is not worth keeping.
    const InternetHandle request(HttpOpenRequestA(connection.get(), "GET", where->target.c_str(), "HTTP/1.0",
                                                  nullptr, nullptr,
                                                  INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return {};

    static constexpr char kAcceptHeader[] = "Accept: */*\r\n\r\n";
    static_assert(sizeof kAcceptHeader - 1 == 15);
    // Succeeds once any answer has arrived; its status does not matter, since
    // the caller looks for the time in whatever body comes back.
    if (!HttpSendRequestA(request.get(), kAcceptHeader, sizeof kAcceptHeader - 1, nullptr, 0)) return {};

    char lengthText[32] = {};
    DWORD lengthSize = sizeof lengthText;
    std::optional<std::string_view> contentLength;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr) &&
        lengthSize < sizeof lengthText) {
        contentLength = std::string_view(lengthText, lengthSize);
    }
    const std::uint32_t chunk = readChunkFor(contentLength);

    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk]);
    if (!buffer) return {};

    ByteData body;
    try {
        while (body.size() < kMaxBodyBytes) {
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(chunk, kMaxBodyBytes - body.size()));
            DWORD delivered = 0;
            // A failed read ends the body like its end does: what arrived stands.
            if (!InternetReadFile(request.get(), buffer.get(), wanted, &delivered) || delivered == 0) break;
            body.append(buffer.get(), std::min(delivered, wanted));
        }
    } catch (const std::bad_alloc&) {
        // Out of memory while the body grows: keep what fitted.
    }
    return body;
}

ByteData fetchTimePage() { return fetchPage(kTimePageAddress); }
