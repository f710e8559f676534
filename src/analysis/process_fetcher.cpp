#include "process_fetcher.h"

#include "curl_http_client.h"

ByteArray ProcessFetcher::fetch(const std::string& url) {
    return fetchUrl(url);
}
