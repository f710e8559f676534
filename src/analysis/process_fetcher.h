#pragma once

#include "http_fetcher.h"

// Fetches through the process-wide client, which the first fetch makes.
class ProcessFetcher final : public HttpFetcher {
public:
    ByteArray fetch(const std::string& url) override;
};
