// A loopback web site for crawl tests: pages by path, everything else a 404; the request
// lines it received, in order.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/LoopbackServer.h"

class TestSite {
public:
    explicit TestSite(const std::string& address = "127.0.0.1") : m_server(address) {
        m_server.setHandler([this](const std::string& request) {
            const std::string target = requestTarget(request);
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_pages.find(target);
            if (it == m_pages.end()) {
                return testsupport::Script().send(
                    testsupport::httpResponse(404, "Not Found", {}, "missing"));
            }
            return testsupport::Script().send(it->second);
        });
    }

    bool start() { return m_server.start(); }

    // target is the request target as sent ("/a?b=1").
    void page(const std::string& target, const std::string& body,
              const std::string& type = "text/html") {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pages[target] = testsupport::httpResponse(200, "OK", {"Content-Type: " + type}, body);
    }
    void raw(const std::string& target, const std::string& response) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pages[target] = response;
    }

    // "host:port" of the site.
    std::string hostPort() const {
        return m_server.address() + ":" + std::to_string(m_server.port());
    }
    std::string url(const std::string& path) const { return "http://" + hostPort() + path; }

    std::vector<std::string> requestLines() const {
        std::vector<std::string> out;
        for (const std::string& r : m_server.requests()) {
            out.push_back(r.substr(0, r.find("\r\n")));
        }
        return out;
    }
    std::vector<std::string> requests() const { return m_server.requests(); }
    testsupport::LoopbackServer& server() { return m_server; }

    static std::string requestTarget(const std::string& request) {
        const size_t start = request.find(' ');
        const size_t end = request.find(' ', start + 1);
        if (start == std::string::npos || end == std::string::npos) {
            return {};
        }
        return request.substr(start + 1, end - start - 1);
    }

    // A page of links.
    static std::string links(const std::vector<std::string>& hrefs) {
        std::string body = "<html><body>";
        for (const std::string& h : hrefs) {
            body += "<a href=\"" + h + "\">x</a>\n";
        }
        return body + "</body></html>";
    }

private:
    testsupport::LoopbackServer m_server;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_pages;  // guarded by m_mutex
};
