// The online play's HTTP client on Windows: WinHTTP, which every Windows has, so no DLL joins
// the game; it checks an https board's certificate against the system's own store.
#include <windows.h>
#include <winhttp.h>

#include <mutex>
#include <string>

#include "platform/common/online.h"

namespace {

// The board's answers are small; a larger one is no answer of the board's.
constexpr size_t ANSWER_LIMIT = 1024 * 1024;

std::mutex lock;
bool cancelled = false;
HINTERNET session = nullptr;
// The request on its way, which a cancel closes: the call waiting on it then fails at once.
HINTERNET pending = nullptr;

std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0) return L"";
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

std::string Why(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_CANNOT_CONNECT:
            return "could not connect";
        case ERROR_WINHTTP_TIMEOUT:
            return "timed out";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return "the name was not found";
        case ERROR_WINHTTP_OPERATION_CANCELLED:
            return "cancelled";
        case ERROR_WINHTTP_SECURE_FAILURE:
            return "the certificate was refused";
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        case ERROR_WINHTTP_INVALID_URL:
            return "not an http or https URL";
        default:
            return "WinHTTP error " + std::to_string(error);
    }
}

// Reads the answer's status and body; false with the error when none came whole.
bool Receive(HINTERNET request, HttpAnswer* answer) {
    if (!WinHttpReceiveResponse(request, nullptr)) return false;
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    char buffer[16384];
    DWORD read = 0;
    do {
        if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) return false;
        if (answer->body.size() + read > ANSWER_LIMIT) {
            SetLastError(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
            return false;
        }
        answer->body.append(buffer, read);
    } while (read > 0);
    answer->status = static_cast<long>(status);
    return true;
}

}  // namespace

HttpAnswer HttpRequest(const std::string& url, const std::string& bearer, const std::string* body,
                       uint32_t timeoutMs) {
    HttpAnswer answer;
    std::wstring wideUrl = Wide(url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (wideUrl.empty() || !WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) {
        answer.error = Why(GetLastError());
        return answer;
    }
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                        std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (cancelled) {
            answer.error = "cancelled";
            return answer;
        }
        if (!session) {
            session = WinHttpOpen(L"sidescroller", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        }
        connection = session ? WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
        pending = !connection ? nullptr
                              : WinHttpOpenRequest(connection, body ? L"POST" : L"GET",
                                                   path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                   WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                   secure ? WINHTTP_FLAG_SECURE : 0);
        request = pending;
    }
    std::wstring headers = L"Content-Type: text/plain\r\n";
    if (!bearer.empty()) headers += L"Authorization: Bearer " + Wide(bearer) + L"\r\n";
    int ms = static_cast<int>(timeoutMs);
    bool answered =
        request && WinHttpSetTimeouts(request, ms, ms, ms, ms) &&
        WinHttpSendRequest(request, headers.c_str(), DWORD(-1),
                           body ? const_cast<char*>(body->data()) : nullptr,
                           body ? DWORD(body->size()) : 0, body ? DWORD(body->size()) : 0, 0) &&
        Receive(request, &answer);
    if (!answered) {
        answer = HttpAnswer{};
        answer.error = Why(GetLastError());
    }
    std::lock_guard<std::mutex> hold(lock);
    if (cancelled) answer = HttpAnswer{0, "", "cancelled"};
    if (pending) WinHttpCloseHandle(pending);
    pending = nullptr;
    if (connection) WinHttpCloseHandle(connection);
    return answer;
}

void HttpCancel() {
    std::lock_guard<std::mutex> hold(lock);
    cancelled = true;
    if (pending) WinHttpCloseHandle(pending);
    pending = nullptr;
}
