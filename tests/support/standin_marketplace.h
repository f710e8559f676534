#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A stand-in for the marketplace: an HTTPS server on 127.0.0.1 (an ephemeral port) with a
// test CA, answering /sug and /search in the shapes the program reads, recording every request.
// Beside it listens a plain-HTTP twin serving the same answers, so that a client that follows a
// redirect to http can be caught. Answers close their connection unless keepAlive is set.

struct RecordedRequest {
    std::string requestLine;                                  // "GET /sug?... HTTP/1.0"
    std::vector<std::pair<std::string, std::string>> headers; // in arrival order
    bool overTls = true;            // false: it came to the plain-HTTP twin
    bool tlsSessionResumed = false; // the TLS handshake resumed an earlier session
    int clientPort = 0;             // the client's end of the connection
    // The first value, the name compared without case; "" if absent.
    std::string header(const std::string& name) const;
    bool hasHeader(const std::string& name) const;
};

enum class StandInFault {
    None,
    NeverAnswers,    // reads the request, then sends nothing until the server stops
    ResetMidBody,    // promises the normal answer, sends its first half (rounded down), then
                     // drops the connection without a TLS close
    HugeBody,        // streams hugeBodyBytes without a length: the normal answer over and over
    ZeroByteInBody,  // the normal answer with a zero byte in the middle
    RedirectToHttps, // 302 to the same path and query under /moved on this server, over https
    RedirectToHttp,  // 302 to plain http on 127.0.0.1
    RedirectLoop,    // 302 to itself, for ever
    NotFound,        // 404 with notFoundPageBody()
    Trickle,         // the normal answer in pieces, pausing between them (setTrickle)
    RandomBody,      // 200 with randomBody() of the seed and size given to setRandomBody
    ZeroBody,        // 200 with a body of zero bytes only (setZeroBodyBytes)
    EmptyBody,       // 200 with Content-Length 0
    InvalidUtf8,     // suggestion answers carry invalidUtf8Suggestion(suggestion, its index)
                     // instead of each listed or generated suggestion; other answers as normal
    HugePaddedBody,  // streams hugeBodyBytes without a length: the normal answer once, then spaces
};

// Which requests a fault set with setFault(fault, service) shapes.
enum class StandInService {
    All,         // every request, whatever its path
    Suggestions, // /sug only
    Search,      // /search only
};

enum class StandInCertificate {
    TestCa,    // signed by the test CA (testCaFile())
    OtherCa,   // signed by a CA that no client trusts
    WrongName, // signed by the test CA, but for another host name only
};

struct StandInOptions {
    StandInCertificate certificate = StandInCertificate::TestCa;
    std::chrono::milliseconds latency{0}; // added before every answer
    int port = 0;                         // 0: an ephemeral port
    // Normal answers leave the connection open for further requests, as a server would that
    // offers keep-alive whatever the client asked for; faults always close it.
    bool keepAlive = false;
};

class StandInMarketplace {
public:
    explicit StandInMarketplace(StandInOptions options = {});
    ~StandInMarketplace(); // stops at once, also with requests hanging in NeverAnswers
    StandInMarketplace(const StandInMarketplace&) = delete;
    StandInMarketplace& operator=(const StandInMarketplace&) = delete;

    int port() const;
    std::string host() const;  // "127.0.0.1:<port>"
    int plainHttpPort() const; // the plain-HTTP twin

    // Suggestions for a UTF-8 seed keyword. Seeds without an entry get realistic generated ones;
    // an entry with an empty list answers with no suggestion at all.
    void setSuggestions(const std::string& seedUtf8, std::vector<std::string> suggestionsUtf8);
    // The whole body of the suggestion answer for a seed (overrides setSuggestions).
    void setSuggestionBody(const std::string& seedUtf8, std::string body);
    // The count text for a UTF-8 suggestion; others get a deterministic realistic count.
    void setCount(const std::string& suggestionUtf8, std::string countText);
    // The whole body of the search page for a suggestion (overrides setCount).
    void setSearchBody(const std::string& suggestionUtf8, std::string body);

    void setFault(StandInFault fault); // for every request
    // For the requests of one service; the others keep the fault they had.
    void setFault(StandInFault fault, StandInService service);
    void setHugeBodyBytes(std::size_t bytes);                  // 128 MiB until set
    void setRandomBody(std::uint64_t seed, std::size_t bytes); // seed 1, 4 KiB until set
    void setZeroBodyBytes(std::size_t bytes);                  // 4 KiB until set
    void setLatency(std::chrono::milliseconds latency);
    void setTrickle(std::size_t pieceBytes, std::chrono::milliseconds pause); // 16 B, 100 ms

    std::vector<RecordedRequest> requests() const;
    void clearRequests();
    // Whether at least count requests have arrived within the time-out.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

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
// The HTML page of a 404 answer.
std::string notFoundPageBody();
// The same bytes for the same seed and size on every machine: the first bytes of the
// std::mt19937_64 stream of the seed, each number taken least significant byte first.
std::string randomBody(std::uint64_t seed, std::size_t bytes);
// The suggestion made invalid UTF-8 in one of six ways, chosen by index % 6: a stray
// continuation byte after it, a cut-off sequence after it, an overlong '/' before it, an encoded
// surrogate after it, the byte FF before it, a code point beyond U+10FFFF after it.
std::string invalidUtf8Suggestion(const std::string& suggestionUtf8, std::size_t index);
