#pragma once

#include <string>

#include "byte_array.h"

// What the analysis needs of an HTTP client: the body of a GET, empty when the request failed,
// the bytes read so far when it failed part way.
class HttpFetcher {
public:
    virtual ~HttpFetcher() = default;
    virtual ByteArray fetch(const std::string& url) = 0;
};
