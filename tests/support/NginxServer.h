// A real web server for end-to-end tests: nginx run in the foreground as this test's own
// child, with a config generated into the build tree (pid file, logs and temporary paths
// there too), listening on a free loopback port and serving a given document root.
// Callers add their own config lines (ssi, locations, redirects).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class NginxServer {
public:
    struct Config {
        std::string documentRoot;
        std::string address = "127.0.0.1";
        // Lines inside http { }, before the server block (e.g. "ssi on;").
        std::vector<std::string> httpLines;
        // Lines inside server { } (e.g. "location = /old { return 301 /new; }").
        std::vector<std::string> serverLines;
    };

    explicit NginxServer(Config config);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Starts nginx and waits until it accepts connections; retries on another port when
    // the chosen one was taken. False with a reason in lastError(). Call it from the
    // thread that outlives the server: nginx is ended when that thread ends.
    bool start();
    // Ends nginx and waits for it; also done by the destructor.
    void stop();

    bool running() const { return m_pid > 0; }
    uint16_t port() const { return m_port; }
    const std::string& address() const { return m_config.address; }
    // "http://address:port" + path.
    std::string url(const std::string& path = "/") const;
    const std::string& workDir() const { return m_workDir; }
    std::string lastError() const { return m_error; }
    // The error log so far (for failure messages).
    std::string errorLog() const;

    // Where nginx is installed; empty when it is not.
    static std::string binary();

private:
    bool startOnce(bool& portTaken);
    void writeConfig() const;

    Config m_config;
    std::string m_workDir;
    std::string m_error;
    uint16_t m_port = 0;
    pid_t m_pid = -1;
};

}  // namespace testsupport
