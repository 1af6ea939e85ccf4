#include "support/test_env.h"

#include <cstdlib>
#include <fstream>

std::string timeServerPort() {
    const char* port = std::getenv("TIME_SERVER_PORT");
    return port ? port : "";
}

std::string timeServerAddress(std::string_view path) {
    const std::string port = timeServerPort();
    return port.empty() ? std::string() : "http://127.0.0.1:" + port + std::string(path);
}

std::optional<std::wstring> browserCaptureFile() {
    const char* unixPath = std::getenv("BROWSER_CAPTURE_FILE");
    if (!unixPath || !*unixPath) return std::nullopt;
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return path;
}

std::vector<std::string> fileLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::ifstream file(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
