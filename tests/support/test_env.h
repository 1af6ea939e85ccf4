// What scripts/test sets up around the Windows tests, as the tests see it:
// the loopback time server and the file the browser stand-in writes to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The loopback time server's port, TIME_SERVER_PORT; "" when none was started.
std::string timeServerPort();

// http://127.0.0.1:<TIME_SERVER_PORT><path>, or "" when no server was
// started (TIME_SERVER_PORT unset).
std::string timeServerAddress(std::string_view path);

// BROWSER_CAPTURE_FILE (a Unix path) as Windows programs see it, on Wine's
// Z: drive; nullopt when it is not set.
std::optional<std::wstring> browserCaptureFile();

// The lines of the file at `path`, without line ends; none when it is missing.
std::vector<std::string> fileLines(const std::wstring& path);
