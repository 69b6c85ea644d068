#include "control_page.h"

#include <httplib.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "assets.h"
#include "controls.h"
#include "describe.h"
#include "door.h"
#include "journal.h"
#include "priority.h"

namespace ecfsim::web {

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kBodyLimit = 4096;  // a control request is a few dozen bytes
constexpr int kThreads = 8;
constexpr int kMaxStreams = 4;            // leaves threads for the API
constexpr auto kStreamKeepAlive = 5s;     // a comment on a quiet stream, to notice a gone reader
constexpr const char* kPostPaths = R"(/api/(fault|condition|clock|reset))";

void sendJson(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(dump(body) + "\n", "application/json");
}

void sendError(httplib::Response& res, int status, const std::string& message) {
    sendJson(res, status, {{"error", message}});
}

// The host part of a Host header: "127.0.0.1:8080" -> 127.0.0.1, "[::1]:80" -> ::1.
std::string hostOf(const std::string& header) {
    if (!header.empty() && header[0] == '[') {
        const std::size_t close = header.find(']');
        return close == std::string::npos ? header : header.substr(1, close - 1);
    }
    return header.substr(0, header.find(':'));
}

// httplib's pool, its threads giving way to the line.
class PagePool : public httplib::ThreadPool {
public:
    using httplib::ThreadPool::ThreadPool;
    void enqueue(std::function<void()> fn) override {
        httplib::ThreadPool::enqueue([fn = std::move(fn)] {
            giveWayToTheLine("page-http");
            fn();
        });
    }
};

// A directory only this user may enter, for the HTTP server's Unix socket
// behind the door; removed with what is in it.
class PrivateDirectory {
public:
    PrivateDirectory() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                              "/ecf-sim-page.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a directory in " + pattern + ": " +
                                     std::strerror(errno));
        path_ = pattern;
    }
    ~PrivateDirectory() {
        ::unlink(socket().c_str());
        ::rmdir(path_.c_str());
    }
    PrivateDirectory(const PrivateDirectory&) = delete;
    PrivateDirectory& operator=(const PrivateDirectory&) = delete;
    std::string socket() const { return path_ + "/http.sock"; }

private:
    std::string path_;
};

}  // namespace

std::optional<Endpoint> parseEndpoint(const std::string& text) {
    Endpoint e{"127.0.0.1", 0};
    std::string port = text;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find("]:");
        if (close == std::string::npos || close < 2) return std::nullopt;
        e.host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
        e.host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (e.host.empty() || e.host.find(':') != std::string::npos) return std::nullopt;
    }
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    e.port = std::stoi(port);
    if (e.port > 65535) return std::nullopt;
    return e;
}

bool isLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

struct ControlPage::Impl {
    Impl(Simulator& s, const Endpoint& at)
        : simulator(s), journal(std::make_shared<Journal>()), loopbackOnly(isLoopback(at.host)) {
        routes();
        server.set_address_family(AF_UNIX);
        if (!server.bind_to_port(directory.socket(), 80))
            throw std::runtime_error("cannot serve on " + directory.socket());
        door = std::make_unique<Door>(at.host, at.port, directory.socket());
        host = at.host.find(':') != std::string::npos ? "[" + at.host + "]" : at.host;
        // The journal outlives the watcher's last call, wherever that runs.
        std::shared_ptr<Journal> j = journal;
        watch = simulator.watchExchanges([j](Exchange&& e) { j->record(std::move(e)); });
        thread = std::thread([this] { server.listen_after_bind(); });
    }

    ~Impl() {
        simulator.unwatchExchanges(watch);
        journal->close();  // ends the event streams
        door.reset();      // and every connection
        server.stop();
        thread.join();
    }

    // Requests the page would not make: a Host that is not this loopback
    // (a name rebound to it by another site), an Origin that is not the
    // page's own (another site's page in the same browser).
    std::optional<std::string> refusal(const httplib::Request& req) const {
        const std::string hostHeader = req.get_header_value("Host");
        if (loopbackOnly && !hostHeader.empty() && !isLoopback(hostOf(hostHeader)))
            return "the Host header names another machine";
        if (req.has_header("Origin") && req.get_header_value("Origin") != "http://" + hostHeader)
            return "requests from other origins are refused";
        return std::nullopt;
    }

    void routes() {
        server.new_task_queue = [] { return new PagePool(kThreads); };
        server.set_payload_max_length(kBodyLimit);
        server.set_keep_alive_max_count(1);  // one request a connection: the door reads one head
        server.set_read_timeout(5);
        server.set_write_timeout(5);  // a reader that stops reading is dropped
        server.set_default_headers({{"Cache-Control", "no-store"},
                                    {"X-Content-Type-Options", "nosniff"},
                                    {"X-Frame-Options", "DENY"},
                                    {"Referrer-Policy", "no-referrer"},
                                    {"Content-Security-Policy",
                                     "default-src 'self'; frame-ancestors 'none'"}});
        server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (auto why = refusal(req)) {
                sendError(res, 403, *why);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        server.set_error_handler(httplib::Server::HandlerWithResponse(
            [](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            const char* why = res.status == 404   ? "no such page"
                              : res.status == 413 ? "the body is too large"
                                                  : "the request cannot be served";
            sendError(res, res.status, why);
            return httplib::Server::HandlerResponse::Handled;
        }));

        for (std::size_t i = 0; i < kAssetCount; ++i) {
            const Asset& a = kAssets[i];
            auto serve = [&a](const httplib::Request&, httplib::Response& res) {
                res.set_content(reinterpret_cast<const char*>(a.data), a.size, a.type);
            };
            server.Get(a.path, serve);
            if (std::strcmp(a.path, "/index.html") == 0) server.Get("/", serve);
        }

        server.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
            sendJson(res, 200, describeState(simulator));
        });
        server.Get("/api/log", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(journal->logJson() + "\n", "application/json");
        });
        server.Get("/api/paper", [this](const httplib::Request& req, httplib::Response& res) {
            const std::string station =
                req.has_param("station") ? req.get_param_value("station") : "receipt";
            const std::string last = req.get_param_value("last");
            if (!last.empty() && (last.size() > 6 || last.find_first_not_of("0123456789") !=
                                                         std::string::npos))
                sendError(res, 400, "last must be a number of lines");
            else if (req.get_param_value("format") == "json")
                sendJson(res, 200, journal->paperJson(last.empty() ? SIZE_MAX : std::stoul(last)));
            else if (station == "receipt" || station == "cheque")
                res.set_content(journal->paperText(station), "text/plain; charset=utf-8");
            else
                sendError(res, 400, "station must be receipt or cheque");
        });
        server.Get("/api/events", [this](const httplib::Request& req, httplib::Response& res) {
            stream(req, res);
        });
        server.Get(kPostPaths, [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Allow", "POST");
            sendError(res, 405, "changes are made by POST with a JSON body");
        });
        server.Post(kPostPaths, [this](const httplib::Request& req, httplib::Response& res) {
            control(req, res);
        });
    }

    void control(const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Content-Type").rfind("application/json", 0) != 0)
            return sendError(res, 415, "the body must be JSON (Content-Type: application/json)");
        auto reading = readControl(req.path, req.body);
        if (auto* why = std::get_if<std::string>(&reading)) return sendError(res, 400, *why);
        // One change at a time: a change reads what it changes.
        std::lock_guard<std::mutex> lock(controlMutex);
        const ControlResult done =
            applyControl(simulator, *journal, std::get<ControlRequest>(reading));
        sendJson(res, done.status, done.body);
    }

    // Server-sent events: every exchange and change from now on, or after
    // the event `after` (a snapshot's seq: nothing falls between the two). A
    // reader that falls behind what the journal keeps gets "behind" and the
    // end of the stream, and starts over from the snapshots.
    void stream(const httplib::Request& req, httplib::Response& res) {
        const uint64_t now = journal->position();
        uint64_t from = now;
        if (req.has_param("after")) {
            const std::string text = req.get_param_value("after");
            if (text.empty() || text.size() > 19 ||
                text.find_first_not_of("0123456789") != std::string::npos)
                return sendError(res, 400, "after must be an event's seq");
            from = std::min<uint64_t>(std::stoull(text), now);
        }
        if (streams.fetch_add(1) >= kMaxStreams) {
            --streams;
            return sendError(res, 503, "too many event streams open");
        }
        auto after = std::make_shared<uint64_t>(from);
        std::shared_ptr<Journal> j = journal;
        bool first = true;
        res.set_chunked_content_provider(
            "text/event-stream",
            [j, after, first](std::size_t, httplib::DataSink& sink) mutable {
                std::string out;
                if (first) {
                    out = "retry: 1000\n: the printer's events from " + std::to_string(*after) +
                          "\n\n";
                    first = false;
                } else if (const auto read = j->eventsAfter(*after, kStreamKeepAlive, out);
                           read != Journal::Read::events) {
                    if (read == Journal::Read::behind) {
                        out = "event: behind\ndata: {}\n\n";
                        sink.write(out.data(), out.size());
                    }
                    sink.done();
                    return true;
                }
                if (out.empty()) out = ": quiet\n\n";
                return sink.write(out.data(), out.size());
            },
            [this](bool) { --streams; });
    }

    Simulator& simulator;
    std::shared_ptr<Journal> journal;
    Simulator::WatchKey watch = 0;
    const bool loopbackOnly;
    PrivateDirectory directory;
    httplib::Server server;
    std::unique_ptr<Door> door;
    std::string host;
    std::thread thread;
    std::atomic<int> streams{0};
    std::mutex controlMutex;
};

ControlPage::ControlPage(Simulator& simulator, const Endpoint& at)
    : impl_(std::make_unique<Impl>(simulator, at)) {}

ControlPage::~ControlPage() = default;

std::string ControlPage::url() const {
    return "http://" + impl_->host + ":" + std::to_string(port()) + "/";
}

int ControlPage::port() const { return impl_->door->port(); }

}  // namespace ecfsim::web
