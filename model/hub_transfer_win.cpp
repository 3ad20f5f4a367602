#include "model/hub_transfer_win.h"

#include <chrono>
#include <thread>
#include <vector>

#include "diag/encoding.h"
#include "model/download_plan.h"

namespace {

constexpr DWORD kReadPiece = 256 * 1024;
constexpr int kStallMilliseconds = 20'000;

// A header's value as text ("" when absent): sizes past 4 GB do not fit
// WINHTTP_QUERY_FLAG_NUMBER.
std::string header(HINTERNET request, DWORD query, const wchar_t* name = WINHTTP_HEADER_NAME_BY_INDEX) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, query, name, WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, query, name, value.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) return {};
    value.resize(bytes / sizeof(wchar_t));
    return toUtf8(value);
}

std::uint64_t number(const std::string& text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

}  // namespace

WinHttpSource::WinHttpSource(std::function<bool()> stopAsked)
    : stopped(std::move(stopAsked)),
      session(WinHttpOpen(L"Vornika", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, 0)) {
    // Before Windows 8.1 the automatic proxy type is unknown: the default one serves.
    if (!session)
        session.reset(WinHttpOpen(L"Vornika", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0));
}

bool WinHttpSource::wait(int seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        if (stopped()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !stopped();
}

BodyEnd WinHttpSource::get(const std::string& url, std::uint64_t from, HttpReply& reply,
                           const std::function<bool(const HttpReply&)>& wanted,
                           const std::function<bool(std::string_view)>& piece) {
    reply = {};
    if (!session || !isAllowedHubAddress(url)) return BodyEnd::Cut;
    const std::wstring address = fromUtf8(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts)) return BodyEnd::Cut;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const UniqueInternet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return BodyEnd::Cut;
    const UniqueInternet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return BodyEnd::Cut;
    // Name resolution and connecting may not hang; a read may wait this long for a byte.
    WinHttpSetTimeouts(request.get(), 15'000, 15'000, 30'000, kStallMilliseconds);
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    std::wstring headers = L"Accept-Encoding: identity\r\n";
    if (from > 0) headers += L"Range: bytes=" + std::to_wstring(from) + L"-\r\n";
    if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr))
        return BodyEnd::Cut;

    reply.status = static_cast<int>(number(header(request.get(), WINHTTP_QUERY_STATUS_CODE)));
    reply.errorCode = header(request.get(), WINHTTP_QUERY_CUSTOM, L"X-Error-Code");
    reply.rateLimit = header(request.get(), WINHTTP_QUERY_CUSTOM, L"RateLimit");
    // "bytes START-END/TOTAL"
    const std::string range = header(request.get(), WINHTTP_QUERY_CONTENT_RANGE);
    if (const std::size_t space = range.find(' '); space != std::string::npos) reply.rangeStart = number(range.substr(space + 1));
    if (!wanted(reply)) return BodyEnd::Complete;

    const std::string length = header(request.get(), WINHTTP_QUERY_CONTENT_LENGTH);
    const std::uint64_t expected = length.empty() ? 0 : number(length);
    std::uint64_t received = 0;
    std::vector<char> buffer(kReadPiece);
    while (true) {
        if (stopped()) return BodyEnd::Stopped;
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), buffer.data(), kReadPiece, &read)) return BodyEnd::Cut;
        if (read == 0) break;
        received += read;
        if (!piece(std::string_view(buffer.data(), read))) return BodyEnd::Stopped;
    }
    return length.empty() || received == expected ? BodyEnd::Complete : BodyEnd::Cut;
}

WindowsPartFile::WindowsPartFile(std::filesystem::path where) : path(std::move(where)) {}

bool WindowsPartFile::open() {
    if (file) return true;
    file = ownHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA | GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

std::uint64_t WindowsPartFile::size() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WindowsPartFile::append(std::string_view bytes) {
    if (!open()) return false;
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_END)) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WindowsPartFile::clear() {
    if (!open()) return false;
    LARGE_INTEGER start{};
    return SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

std::string WindowsPartFile::sha256() {
    BCRYPT_ALG_HANDLE rawAlgorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&rawAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return {};
    const UniqueAlgorithm algorithm(rawAlgorithm);
    BCRYPT_HASH_HANDLE rawHash = nullptr;
    if (BCryptCreateHash(algorithm.get(), &rawHash, nullptr, 0, nullptr, 0, 0) != 0) return {};
    const UniqueHash hash(rawHash);
    const UniqueHandle reader = ownHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!reader) return {};
    std::vector<unsigned char> buffer(1 << 20);
    while (true) {
        DWORD read = 0;
        if (!ReadFile(reader.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return {};
        if (read == 0) break;
        if (BCryptHashData(hash.get(), buffer.data(), read, 0) != 0) return {};
    }
    unsigned char digest[32];
    if (BCryptFinishHash(hash.get(), digest, sizeof(digest), 0) != 0) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0xF];
    }
    return text;
}
