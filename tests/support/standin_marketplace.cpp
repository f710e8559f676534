#include "standin_marketplace.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <optional>
#include <pthread.h>
#include <random>
#include <set>
#include <signal.h>
#include <stdexcept>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include <httplib.h>

namespace {

using std::chrono::milliseconds;

const std::string certDir = STANDIN_CERT_DIR;

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char byte : text) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return hash;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Form-style, as the marketplace reads its queries; a '%' without two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '+') {
            decoded += ' ';
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string queryValue(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const auto end = std::min(query.find('&'), query.size());
        const auto part = query.substr(0, end);
        if (part.size() > name.size() && part.substr(0, name.size()) == name &&
            part[name.size()] == '=') {
            return percentDecoded(part.substr(name.size() + 1));
        }
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return {};
}

// Words that shoppers add to a seed, in the marketplace's own usage.
constexpr std::array<std::string_view, 20> suggestionTails = {
    "女",     "男",   "夏季", "新款",  "2024新款", "大码", "韩版", "宽松", "显瘦", "套装",
    "高级感", "学生", "纯棉", "ins潮", "小个子",   "秋冬", "儿童", "正品", "包邮", "网红同款"};

std::vector<std::string> generatedSuggestions(const std::string& seed) {
    if (seed.empty()) {
        return {};
    }
    const std::uint64_t hash = fnv1a(seed);
    const std::size_t count = 4 + hash % 7;
    std::vector<std::string> suggestions;
    // A stride of 7 is coprime with the 20 tails, so the tails taken are all different.
    for (std::size_t i = 0; i < count; ++i) {
        suggestions.push_back(seed + std::string(suggestionTails[(hash + i * 7) % 20]));
    }
    return suggestions;
}

std::string generatedCount(const std::string& suggestion) {
    return std::to_string(1000 + fnv1a(suggestion) % 9'000'000);
}

std::string responseHead(std::string_view statusLine, std::string_view contentType,
                         std::optional<std::size_t> contentLength,
                         std::string_view extraHeader = {}, bool keepOpen = false) {
    std::string head = "HTTP/1.1 ";
    head += statusLine;
    head += "\r\nServer: Tengine\r\nContent-Type: ";
    head += contentType;
    head += "\r\n";
    if (contentLength) {
        head += "Content-Length: " + std::to_string(*contentLength) + "\r\n";
    }
    if (!extraHeader.empty()) {
        head += extraHeader;
        head += "\r\n";
    }
    head += keepOpen ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return head;
}

const std::string redirectPageBody = "<html>\r\n<head><title>302 Found</title></head>\r\n"
                                     "<body>\r\n<center><h1>302 Found</h1></center>\r\n"
                                     "<hr><center>Tengine</center>\r\n</body>\r\n</html>\r\n";

// One accepted connection, over TLS or plain; the socket is closed when it goes.
class Connection {
public:
    Connection(int socket, SSL_CTX* tls)
        : m_socket(socket), m_overTls(tls != nullptr), m_ssl(m_overTls ? SSL_new(tls) : nullptr) {}
    ~Connection() {
        SSL_free(m_ssl);
        ::close(m_socket);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool handshake() {
        if (!m_overTls) {
            return true;
        }
        return m_ssl != nullptr && SSL_set_fd(m_ssl, m_socket) == 1 && SSL_accept(m_ssl) == 1;
    }

    long read(char* buffer, int size) {
        return m_ssl != nullptr ? SSL_read(m_ssl, buffer, size) : ::recv(m_socket, buffer, size, 0);
    }

    bool write(std::string_view data) {
        while (!data.empty()) {
            const int piece = static_cast<int>(std::min<std::size_t>(data.size(), 1 << 14));
            const long written = m_ssl != nullptr ? SSL_write(m_ssl, data.data(), piece)
                                                  : ::send(m_socket, data.data(), piece, 0);
            if (written <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    // The TLS close tells the client that the body ended here and was not cut off.
    void closeCleanly() {
        if (m_ssl != nullptr) {
            SSL_shutdown(m_ssl);
        }
    }

    bool resumed() const { return m_ssl != nullptr && SSL_session_reused(m_ssl) == 1; }

private:
    int m_socket;
    bool m_overTls;
    SSL* m_ssl;
};

using ServeFunction = std::function<void(int socket, SSL_CTX* tls)>;

// httplib 0.11.4 answers 400 to a request target holding a second '?', which the marketplace's
// own "callback=?" is, and keeps headers sorted by name; so the stand-in speaks HTTP on each
// accepted socket itself. httplib binds, accepts, runs the workers and holds the TLS context.
class TlsListener final : public httplib::SSLServer {
public:
    TlsListener(const std::string& certificate, const std::string& key, ServeFunction serve)
        : SSLServer(certificate.c_str(), key.c_str()), m_serve(std::move(serve)) {}

private:
    bool process_and_close_socket(socket_t socket) override {
        m_serve(socket, ssl_context());
        return true;
    }
    ServeFunction m_serve;
};

class PlainListener final : public httplib::Server {
public:
    explicit PlainListener(ServeFunction serve) : m_serve(std::move(serve)) {}

private:
    bool process_and_close_socket(socket_t socket) override {
        m_serve(socket, nullptr);
        return true;
    }
    ServeFunction m_serve;
};

struct Answer {
    std::string statusLine;
    std::string contentType;
    std::string body;
};

std::pair<std::string, std::string> certificateFiles(StandInCertificate certificate) {
    switch (certificate) {
    case StandInCertificate::OtherCa:
        return {certDir + "/other-server.pem", certDir + "/other-server-key.pem"};
    case StandInCertificate::WrongName:
        return {certDir + "/wrong-name-server.pem", certDir + "/wrong-name-server-key.pem"};
    case StandInCertificate::TestCa:
        break;
    }
    return {certDir + "/test-server.pem", certDir + "/test-server-key.pem"};
}

} // namespace

std::string RecordedRequest::header(const std::string& name) const {
    const auto found = std::ranges::find_if(
        headers, [&](const auto& entry) { return equalsIgnoringCase(entry.first, name); });
    return found != headers.end() ? found->second : std::string();
}

bool RecordedRequest::hasHeader(const std::string& name) const {
    return std::ranges::any_of(
        headers, [&](const auto& entry) { return equalsIgnoringCase(entry.first, name); });
}

struct StandInMarketplace::Impl {
    struct Listening {
        std::unique_ptr<httplib::Server> server;
        std::thread thread;
        int port = 0;
    };

    // What one answer is shaped by, copied when its request arrives.
    struct Behaviour {
        StandInFault suggestionFault = StandInFault::None;
        StandInFault searchFault = StandInFault::None;
        StandInFault otherFault = StandInFault::None;
        milliseconds latency{0};
        std::size_t hugeBodyBytes = std::size_t{128} << 20;
        std::size_t tricklePieceBytes = 16;
        milliseconds tricklePause{100};
        std::uint64_t randomSeed = 1;
        std::size_t randomBodyBytes = 4 << 10;
        std::size_t zeroBodyBytes = 4 << 10;

        StandInFault faultFor(std::string_view target) const {
            const std::string_view path = target.substr(0, target.find('?'));
            if (path == "/sug") {
                return suggestionFault;
            }
            return path == "/search" ? searchFault : otherFault;
        }
    };

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool stopping = false;
    bool keepAlive = false;
    std::set<int> liveSockets;
    Behaviour behaviour;
    std::map<std::string, std::vector<std::string>> suggestions;
    std::map<std::string, std::string> suggestionBodies;
    std::map<std::string, std::string> counts;
    std::map<std::string, std::string> searchBodies;
    std::vector<RecordedRequest> requests;
    Listening tls;
    Listening plain;

    // Both listeners are bound before either serves, so that every port is known to the
    // serving threads from their start.
    void bind(Listening& listening, std::unique_ptr<httplib::Server> server, int port) {
        // Without the default SO_REUSEPORT a fixed port that is taken fails instead of being
        // shared with whoever holds it.
        server->set_socket_options([](socket_t socket) {
            int yes = 1;
            setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        listening.port = port == 0 ? server->bind_to_any_port("127.0.0.1")
                                   : (server->bind_to_port("127.0.0.1", port) ? port : -1);
        if (!server->is_valid() || listening.port <= 0) {
            throw std::runtime_error("the stand-in marketplace cannot listen on 127.0.0.1:" +
                                     std::to_string(port));
        }
        listening.server = std::move(server);
    }

    void listen(Listening& listening) {
        httplib::Server* server = listening.server.get();
        auto ended = std::make_shared<std::atomic<bool>>(false);
        listening.thread = std::thread([server, ended] {
            server->listen_after_bind();
            *ended = true;
        });
        // stop() does nothing to a server that has not begun to listen.
        while (!server->is_running() && !*ended) {
            std::this_thread::sleep_for(milliseconds(1));
        }
    }

    void stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
            // Wakes every worker blocked in a read or write, so that the pools can be joined.
            for (const int socket : liveSockets) {
                ::shutdown(socket, SHUT_RDWR);
            }
        }
        changed.notify_all();
        for (Listening* listening : {&tls, &plain}) {
            if (listening->server) {
                listening->server->stop();
            }
            if (listening->thread.joinable()) {
                listening->thread.join();
            }
        }
    }

    // False when the stand-in stops meanwhile.
    bool pause(milliseconds duration) {
        std::unique_lock lock(mutex);
        return !changed.wait_for(lock, duration, [&] { return stopping; });
    }

    void serve(int socket, SSL_CTX* tlsContext) {
        // A client that hangs up mid-answer must not end the test process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

        // Small writes (session tickets, then the answer) would otherwise wait for the
        // client's delayed acknowledgement, 40 ms each time.
        int noDelay = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        Connection connection(socket, tlsContext);
        {
            std::lock_guard lock(mutex);
            if (stopping) {
                return;
            }
            liveSockets.insert(socket);
        }
        converse(connection, socket, tlsContext != nullptr);
        std::lock_guard lock(mutex);
        liveSockets.erase(socket);
    }

    void converse(Connection& connection, int socket, bool overTls) {
        if (!connection.handshake()) {
            return;
        }
        std::string received;
        for (bool open = true; open;) {
            auto request = readRequest(connection, received);
            if (!request) {
                return;
            }
            request->overTls = overTls;
            request->tlsSessionResumed = connection.resumed();
            request->clientPort = peerPort(socket);
            const std::string target = targetOf(request->requestLine);
            Behaviour now;
            {
                std::lock_guard lock(mutex);
                requests.push_back(*request);
                now = behaviour;
            }
            changed.notify_all();
            if (!pause(now.latency)) {
                return;
            }
            open = respond(connection, target, overTls, now);
        }
    }

    // received keeps what came after the head, the start of a pipelined next request.
    static std::optional<RecordedRequest> readRequest(Connection& connection,
                                                      std::string& received) {
        std::array<char, 4096> buffer;
        constexpr std::size_t maxHeadBytes = 64 << 10;
        while (received.find("\r\n\r\n") == std::string::npos) {
            const long got = connection.read(buffer.data(), static_cast<int>(buffer.size()));
            if (got <= 0 || received.size() > maxHeadBytes) {
                return std::nullopt;
            }
            received.append(buffer.data(), static_cast<std::size_t>(got));
        }
        const auto headEnd = received.find("\r\n\r\n");
        const std::string head = received.substr(0, headEnd);
        received.erase(0, headEnd + 4);
        RecordedRequest request;
        std::string_view rest = head;
        bool first = true;
        while (!rest.empty() || first) {
            const auto end = std::min(rest.find("\r\n"), rest.size());
            const std::string_view line = rest.substr(0, end);
            rest.remove_prefix(std::min(end + 2, rest.size()));
            if (first) {
                request.requestLine = line;
                first = false;
                continue;
            }
            const auto colon = line.find(':');
            if (colon == std::string_view::npos) {
                continue;
            }
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
                value.remove_suffix(1);
            }
            request.headers.emplace_back(line.substr(0, colon), value);
        }
        return request;
    }

    static std::string targetOf(const std::string& requestLine) {
        const auto start = requestLine.find(' ');
        if (start == std::string::npos) {
            return {};
        }
        const auto end = requestLine.find(' ', start + 1);
        return requestLine.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    }

    static int peerPort(int socket) {
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        if (getpeername(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return 0;
        }
        if (address.ss_family == AF_INET) {
            return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
        }
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }

    Answer answerFor(std::string_view target, bool invalidUtf8) {
        const auto question = std::min(target.find('?'), target.size());
        const std::string_view path = target.substr(0, question);
        const std::string_view query = target.substr(std::min(question + 1, target.size()));
        const std::string q = queryValue(query, "q");
        std::lock_guard lock(mutex);
        if (path == "/sug") {
            std::string body;
            if (const auto found = suggestionBodies.find(q); found != suggestionBodies.end()) {
                body = found->second;
            } else {
                const auto listed = suggestions.find(q);
                std::vector<std::string> offered =
                    listed != suggestions.end() ? listed->second : generatedSuggestions(q);
                if (invalidUtf8) {
                    for (std::size_t i = 0; i < offered.size(); ++i) {
                        offered[i] = invalidUtf8Suggestion(offered[i], i);
                    }
                }
                body = suggestionAnswerBody(offered);
            }
            return {"200 OK", "application/json;charset=UTF-8", std::move(body)};
        }
        if (path == "/search") {
            std::string body;
            if (const auto found = searchBodies.find(q); found != searchBodies.end()) {
                body = found->second;
            } else if (const auto counted = counts.find(q); counted != counts.end()) {
                body = searchPageBody(counted->second);
            } else {
                body = searchPageBody(generatedCount(q));
            }
            return {"200 OK", "text/html;charset=UTF-8", std::move(body)};
        }
        return {"404 Not Found", "text/html", notFoundPageBody()};
    }

    void redirect(Connection& connection, const std::string& location) {
        connection.write(responseHead("302 Found", "text/html", redirectPageBody.size(),
                                      "Location: " + location) +
                         redirectPageBody);
        connection.closeCleanly();
    }

    // True when the connection is left open for another request.
    bool respond(Connection& connection, std::string target, bool overTls, const Behaviour& now) {
        constexpr std::string_view movedPrefix = "/moved/";
        const bool moved = target.starts_with(movedPrefix);
        if (moved) {
            target.erase(0, movedPrefix.size() - 1);
        }
        const std::string tlsBase = "https://127.0.0.1:" + std::to_string(tls.port);
        const std::string plainBase = "http://127.0.0.1:" + std::to_string(plain.port);
        const StandInFault fault = now.faultFor(target);
        switch (fault) {
        case StandInFault::NeverAnswers: {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stopping; });
            return false;
        }
        case StandInFault::RedirectToHttps:
            if (!moved) {
                redirect(connection, tlsBase + "/moved" + target);
                return false;
            }
            break;
        case StandInFault::RedirectToHttp:
            if (!moved) {
                redirect(connection, plainBase + "/moved" + target);
                return false;
            }
            break;
        case StandInFault::RedirectLoop:
            redirect(connection, (overTls ? tlsBase : plainBase) + target);
            return false;
        default:
            break;
        }

        Answer answer = fault == StandInFault::NotFound
                            ? Answer{"404 Not Found", "text/html", notFoundPageBody()}
                            : answerFor(target, fault == StandInFault::InvalidUtf8);
        switch (fault) {
        case StandInFault::ZeroByteInBody:
            answer.body.insert(answer.body.size() / 2, 1, '\0');
            break;
        case StandInFault::RandomBody:
            answer.body = randomBody(now.randomSeed, now.randomBodyBytes);
            break;
        case StandInFault::ZeroBody:
            answer.body.assign(now.zeroBodyBytes, '\0');
            break;
        case StandInFault::EmptyBody:
            answer.body.clear();
            break;
        case StandInFault::ResetMidBody:
            connection.write(
                responseHead(answer.statusLine, answer.contentType, answer.body.size()) +
                answer.body.substr(0, answer.body.size() / 2));
            return false;
        case StandInFault::HugeBody:
            sendRepeated(connection, answer, now.hugeBodyBytes);
            return false;
        case StandInFault::HugePaddedBody:
            sendPadded(connection, answer, now.hugeBodyBytes);
            return false;
        case StandInFault::Trickle:
            sendTrickling(connection, answer, now);
            return false;
        default:
            break;
        }
        if (!connection.write(responseHead(answer.statusLine, answer.contentType,
                                           answer.body.size(), {}, keepAlive) +
                              answer.body)) {
            return false;
        }
        if (!keepAlive) {
            connection.closeCleanly();
        }
        return keepAlive;
    }

    void sendRepeated(Connection& connection, const Answer& answer, std::size_t total) {
        if (!connection.write(responseHead(answer.statusLine, answer.contentType, std::nullopt))) {
            return;
        }
        if (answer.body.empty()) {
            total = 0;
        }
        // Whole copies of the answer, so that byte i of the body is always body[i % size].
        std::string pattern;
        while (pattern.size() < (std::size_t{1} << 14) && !answer.body.empty()) {
            pattern += answer.body;
        }
        std::size_t sent = 0;
        while (sent < total) {
            const std::size_t piece = std::min(pattern.size(), total - sent);
            if (isStopping() || !connection.write(std::string_view(pattern).substr(0, piece))) {
                return;
            }
            sent += piece;
        }
        connection.closeCleanly();
    }

    void sendPadded(Connection& connection, const Answer& answer, std::size_t total) {
        if (!connection.write(responseHead(answer.statusLine, answer.contentType, std::nullopt)) ||
            !connection.write(std::string_view(answer.body).substr(0, total))) {
            return;
        }
        const std::string padding(std::size_t{1} << 14, ' ');
        for (std::size_t sent = std::min(answer.body.size(), total); sent < total;) {
            const std::size_t piece = std::min(padding.size(), total - sent);
            if (isStopping() || !connection.write(std::string_view(padding).substr(0, piece))) {
                return;
            }
            sent += piece;
        }
        connection.closeCleanly();
    }

    void sendTrickling(Connection& connection, const Answer& answer, const Behaviour& now) {
        if (!connection.write(
                responseHead(answer.statusLine, answer.contentType, answer.body.size()))) {
            return;
        }
        const std::size_t pieceBytes = std::max<std::size_t>(now.tricklePieceBytes, 1);
        for (std::size_t sent = 0; sent < answer.body.size(); sent += pieceBytes) {
            if (!pause(now.tricklePause) ||
                !connection.write(std::string_view(answer.body).substr(sent, pieceBytes))) {
                return;
            }
        }
        connection.closeCleanly();
    }

    bool isStopping() {
        std::lock_guard lock(mutex);
        return stopping;
    }
};

StandInMarketplace::StandInMarketplace(StandInOptions options) : m_impl(std::make_unique<Impl>()) {
    m_impl->behaviour.latency = options.latency;
    m_impl->keepAlive = options.keepAlive;
    auto serve = [impl = m_impl.get()](int socket, SSL_CTX* tls) { impl->serve(socket, tls); };
    const auto [certificate, key] = certificateFiles(options.certificate);
    try {
        m_impl->bind(m_impl->tls, std::make_unique<TlsListener>(certificate, key, serve),
                     options.port);
        m_impl->bind(m_impl->plain, std::make_unique<PlainListener>(serve), 0);
        m_impl->listen(m_impl->tls);
        m_impl->listen(m_impl->plain);
    } catch (...) {
        m_impl->stop();
        throw;
    }
}

StandInMarketplace::~StandInMarketplace() {
    m_impl->stop();
}

int StandInMarketplace::port() const {
    return m_impl->tls.port;
}

std::string StandInMarketplace::host() const {
    return "127.0.0.1:" + std::to_string(port());
}

int StandInMarketplace::plainHttpPort() const {
    return m_impl->plain.port;
}

void StandInMarketplace::setSuggestions(const std::string& seedUtf8,
                                        std::vector<std::string> suggestionsUtf8) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->suggestions[seedUtf8] = std::move(suggestionsUtf8);
}

void StandInMarketplace::setSuggestionBody(const std::string& seedUtf8, std::string body) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->suggestionBodies[seedUtf8] = std::move(body);
}

void StandInMarketplace::setCount(const std::string& suggestionUtf8, std::string countText) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->counts[suggestionUtf8] = std::move(countText);
}

void StandInMarketplace::setSearchBody(const std::string& suggestionUtf8, std::string body) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->searchBodies[suggestionUtf8] = std::move(body);
}

void StandInMarketplace::setFault(StandInFault fault) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.suggestionFault = fault;
    m_impl->behaviour.searchFault = fault;
    m_impl->behaviour.otherFault = fault;
}

void StandInMarketplace::setFault(StandInFault fault, StandInService service) {
    if (service == StandInService::All) {
        setFault(fault);
        return;
    }
    std::lock_guard lock(m_impl->mutex);
    (service == StandInService::Suggestions ? m_impl->behaviour.suggestionFault
                                            : m_impl->behaviour.searchFault) = fault;
}

void StandInMarketplace::setHugeBodyBytes(std::size_t bytes) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.hugeBodyBytes = bytes;
}

void StandInMarketplace::setRandomBody(std::uint64_t seed, std::size_t bytes) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.randomSeed = seed;
    m_impl->behaviour.randomBodyBytes = bytes;
}

void StandInMarketplace::setZeroBodyBytes(std::size_t bytes) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.zeroBodyBytes = bytes;
}

void StandInMarketplace::setLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.latency = latency;
}

void StandInMarketplace::setTrickle(std::size_t pieceBytes, std::chrono::milliseconds pause) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->behaviour.tricklePieceBytes = pieceBytes;
    m_impl->behaviour.tricklePause = pause;
}

std::vector<RecordedRequest> StandInMarketplace::requests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

void StandInMarketplace::clearRequests() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->requests.clear();
}

bool StandInMarketplace::waitForRequests(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->changed.wait_for(lock, timeout,
                                    [&] { return m_impl->requests.size() >= count; });
}

std::string testCaFile() {
    return certDir + "/test-ca.pem";
}

int unusedPort() {
    // Bound for the life of the process and never listening: a connection to it is refused, and
    // no other socket can take the port meanwhile.
    static const int port = [] {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (socket < 0 || bind(socket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            throw std::runtime_error("no port to spare on 127.0.0.1");
        }
        return static_cast<int>(ntohs(address.sin_port));
    }();
    return port;
}

std::string searchPageBody(const std::string& countText) {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>淘宝搜索</title>\n</head>\n<body>\n<div id=\"J_SearchBox\"></div>\n<script>\n"
           "    g_page_config = {\"pageName\":\"mainsrp\",\"mods\":{\"sortbar\":{\"status\":"
           "\"show\",\"data\":{\"pager\":{\"pageSize\":44,\"totalPage\":100,\"currentPage\":1,"
           "\"totalCount\":" +
           countText +
           "},\"price\":{\"rank\":[]}}},\"itemlist\":{\"status\":\"show\"}}};\n"
           "    g_srp_loadCss();\n</script>\n</body>\n</html>\n";
}

std::string suggestionAnswerBody(const std::vector<std::string>& suggestionsUtf8) {
    std::string body = "{\"result\":[";
    for (std::size_t i = 0; i < suggestionsUtf8.size(); ++i) {
        if (i > 0) {
            body += ',';
        }
        body += "[\"" + suggestionsUtf8[i] + "\",\"" +
                std::to_string(fnv1a(suggestionsUtf8[i]) % 3'000'000 + 100) + "\"]";
    }
    return body + "]}";
}

std::string notFoundPageBody() {
    return "<html>\r\n<head><title>404 Not Found</title></head>\r\n<body>\r\n"
           "<center><h1>404 Not Found</h1></center>\r\n<hr><center>Tengine</center>\r\n"
           "</body>\r\n</html>\r\n";
}

std::string randomBody(std::uint64_t seed, std::size_t bytes) {
    std::mt19937_64 engine(seed);
    std::string body;
    body.reserve(bytes);
    while (body.size() < bytes) {
        std::uint64_t number = engine();
        for (int i = 0; i < 8 && body.size() < bytes; ++i, number >>= 8) {
            body += static_cast<char>(number & 0xFF);
        }
    }
    return body;
}

std::string invalidUtf8Suggestion(const std::string& suggestionUtf8, std::size_t index) {
    switch (index % 6) {
    case 0:
        return suggestionUtf8 + "\x80";
    case 1:
        return suggestionUtf8 + "\xE4\xB8";
    case 2:
        return "\xC0\xAF" + suggestionUtf8;
    case 3:
        return suggestionUtf8 + "\xED\xA0\x80";
    case 4:
        return "\xFF" + suggestionUtf8;
    default:
        return suggestionUtf8 + "\xF4\x90\x80\x80";
    }
}
