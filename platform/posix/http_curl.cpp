// The online play's HTTP client on Linux: libcurl, with the system's certificates checked.
#include <curl/curl.h>

#include <atomic>

#include "platform/common/online.h"

namespace {

std::atomic<bool> cancelled{false};

// The board's answers are small; a larger one is no answer of the board's.
constexpr size_t ANSWER_LIMIT = 1024 * 1024;

size_t Keep(char* data, size_t size, size_t count, void* answer) {
    std::string& body = static_cast<HttpAnswer*>(answer)->body;
    if (body.size() + size * count > ANSWER_LIMIT) return 0;
    body.append(data, size * count);
    return size * count;
}

// Called often while a transfer waits, so that a cancel ends it within a moment.
int Progress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return cancelled ? 1 : 0;
}

}  // namespace

HttpAnswer HttpRequest(const std::string& url, const std::string& bearer, const std::string* body,
                       uint32_t timeoutMs) {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    HttpAnswer answer;
    CURL* curl = ready && !cancelled ? curl_easy_init() : nullptr;
    if (!curl) {
        answer.error = cancelled ? "cancelled" : "no HTTP client";
        return answer;
    }
    curl_slist* headers = nullptr;
    std::string authorization = "Authorization: Bearer " + bearer;
    if (!bearer.empty()) headers = curl_slist_append(headers, authorization.c_str());
    headers = curl_slist_append(headers, "Content-Type: text/plain");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "sidescroller");
    if (body) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    } else {
        answer.error = curl_easy_strerror(result);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return answer;
}

void HttpCancel() {
    cancelled = true;
}
