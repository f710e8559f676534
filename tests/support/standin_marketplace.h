#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A stand-in for the marketplace: an HTTPS server on 127.0.0.1 (an ephemeral port) with a
// test CA, answering /sug and /search in the shapes the program reads, recording every request.

struct RecordedRequest {
    std::string requestLine;                                  // "GET /sug?... HTTP/1.0"
    std::vector<std::pair<std::string, std::string>> headers; // in arrival order
    std::string header(const std::string& name) const;        // first value, case-insensitive name; "" if absent
    bool hasHeader(const std::string& name) const;
};

enum class StandInFault {
    None,
    NeverAnswers,     // reads the request, then sends nothing until the server stops
    ResetMidBody,     // promises a longer body, sends part of it, then drops the connection
    HugeBody,         // streams hugeBodyBytes without a length
    ZeroByteInBody,   // the normal answer with a zero byte in the middle
    RedirectToHttps,  // 302 to the same path and query under /moved on this server, over https
    RedirectToHttp,   // 302 to plain http on 127.0.0.1
    RedirectLoop,     // 302 to itself, for ever
    NotFound,         // 404 with an HTML body
};

enum class StandInCertificate {
    TestCa,   // signed by the test CA (testCaFile())
    OtherCa,  // signed by a CA that no client trusts
};

struct StandInOptions {
    StandInCertificate certificate = StandInCertificate::TestCa;
    std::chrono::milliseconds latency{0}; // added before every answer
};

class StandInMarketplace {
public:
    explicit StandInMarketplace(StandInOptions options = {});
    ~StandInMarketplace(); // stops at once, also with requests hanging in NeverAnswers
    StandInMarketplace(const StandInMarketplace&) = delete;
    StandInMarketplace& operator=(const StandInMarketplace&) = delete;

    int port() const;
    std::string host() const; // "127.0.0.1:<port>"

    // Suggestions for a UTF-8 seed keyword. Seeds without an entry get realistic generated ones;
    // an entry with an empty list answers with no suggestion at all.
    void setSuggestions(const std::string& seedUtf8, std::vector<std::string> suggestionsUtf8);
    // The whole body of the suggestion answer for a seed (overrides setSuggestions).
    void setSuggestionBody(const std::string& seedUtf8, std::string body);
    // The count text for a UTF-8 suggestion; others get a deterministic realistic count.
    void setCount(const std::string& suggestionUtf8, std::string countText);
    // The whole body of the search page for a suggestion (overrides setCount).
    void setSearchBody(const std::string& suggestionUtf8, std::string body);

    void setFault(StandInFault fault);
    void setHugeBodyBytes(std::size_t bytes);
    void setLatency(std::chrono::milliseconds latency);

    std::vector<RecordedRequest> requests() const;
    void clearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The PEM bundle of the CA that signs the stand-in's certificate.
std::string testCaFile();
// A port on 127.0.0.1 where nothing listens.
int unusedPort();
// A search page as the marketplace lays it out, with countText between the count markers.
std::string searchPageBody(const std::string& countText);
// A suggestion answer as the marketplace lays it out, for the given suggestions.
std::string suggestionAnswerBody(const std::vector<std::string>& suggestionsUtf8);
