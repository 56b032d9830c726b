#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "sample-site/sample_site.h"

namespace tavolin {

struct SampleSite::Server {
    httplib::Server http;
    std::thread thread;
    int port = 0;
    mutable std::mutex mutex;
    std::vector<std::string> targets;
    PageOverride override;
    std::atomic<bool> finished = false;
};

namespace {

void answer(httplib::Response& response, const Text& page) {
    response.set_content(page, "text/html; charset=GBK");
}

std::string escapeDots(const std::string& path) {
    std::string pattern;
    for (char c : path) {
        if (c == '.') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

}  // namespace

SampleSite::SampleSite() : server_(std::make_unique<Server>()) {
    Server& server = *server_;
    server.http.set_pre_routing_handler(
        [&server](const httplib::Request& request, httplib::Response& response) {
            PageOverride override;
            {
                std::lock_guard lock(server.mutex);
                server.targets.push_back(request.target);
                override = server.override;
            }
            if (override) {
                if (std::optional<Text> page = override(request.target)) {
                    answer(response, *page);
                    return httplib::Server::HandlerResponse::Handled;
                }
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
    // The site answers the term list whatever XMXH holds; the client leaves it empty.
    server.http.Get(escapeDots(sampleTermListPath),
                    [](const httplib::Request&, httplib::Response& response) {
                        answer(response, sampleTermListPage());
                    });
    server.http.Get(escapeDots(sampleClassListPath),
                    [](const httplib::Request& request, httplib::Response& response) {
                        answer(response, sampleClassListPage(request.get_param_value("XMXH")));
                    });
    server.http.Get(escapeDots(sampleTimetablePath),
                    [](const httplib::Request& request, httplib::Response& response) {
                        answer(response, sampleTimetablePage(request.get_param_value("XMXH"),
                                                             request.get_param_value("NwZC")));
                    });
    server.http.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        answer(response, sampleNotFoundPage());
    });

    server.port = server.http.bind_to_any_port("127.0.0.1");
    if (server.port <= 0) {
        server.port = 0;
        return;
    }
    server.thread = std::thread([&server] {
        server.http.listen_after_bind();
        server.finished = true;
    });
}

SampleSite::~SampleSite() {
    // stop() does nothing before the server thread has started listening, so wait for that.
    while (server_->thread.joinable() && !server_->http.is_running() && !server_->finished)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_->http.stop();
    if (server_->thread.joinable()) server_->thread.join();
}

int SampleSite::port() const {
    return server_->port;
}

std::vector<std::string> SampleSite::receivedTargets() const {
    std::lock_guard lock(server_->mutex);
    return server_->targets;
}

void SampleSite::clearReceivedTargets() {
    std::lock_guard lock(server_->mutex);
    server_->targets.clear();
}

void SampleSite::setPageOverride(PageOverride override) {
    std::lock_guard lock(server_->mutex);
    server_->override = std::move(override);
}

}  // namespace tavolin
