#include "tests/support/NginxServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/TestPaths.h"

namespace testsupport {

namespace {

constexpr int kStartAttempts = 5;
constexpr auto kStartDeadline = std::chrono::seconds(10);
constexpr auto kStopDeadline = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(10);

std::atomic<int> g_instance{0};

uint16_t freePort(const std::string& address) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    uint16_t port = 0;
    socklen_t len = sizeof a;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
        port = ntohs(a.sin_port);
    }
    if (fd >= 0) {
        close(fd);
    }
    return port;
}

bool accepts(const std::string& address, uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits for the child until the deadline; true when it has ended.
bool reap(pid_t pid, std::chrono::steady_clock::duration deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

}  // namespace

NginxServer::NginxServer(Config config) : m_config(std::move(config)) {}

NginxServer::~NginxServer() {
    stop();
}

std::string NginxServer::binary() {
    for (const char* path : {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

std::string NginxServer::url(const std::string& path) const {
    return "http://" + m_config.address + ":" + std::to_string(m_port) + path;
}

std::string NginxServer::errorLog() const {
    return readFile(m_workDir + "/error.log");
}

void NginxServer::writeConfig() const {
    const std::string& w = m_workDir;
    std::ofstream out(w + "/nginx.conf");
    out << "daemon off;\n"
        << "master_process on;\n"
        << "worker_processes 1;\n"
        << "pid " << w << "/nginx.pid;\n"
        << "error_log " << w << "/error.log warn;\n";
    // Workers of a root master drop to an unprivileged user that may not read the
    // fixtures of the build tree; keep them as root.
    if (geteuid() == 0) {
        out << "user root;\n";
    }
    out << "events { worker_connections 256; }\n"
        << "http {\n"
        << "    access_log " << w << "/access.log;\n"
        << "    client_body_temp_path " << w << "/tmp/body;\n"
        << "    proxy_temp_path " << w << "/tmp/proxy;\n"
        << "    fastcgi_temp_path " << w << "/tmp/fastcgi;\n"
        << "    uwsgi_temp_path " << w << "/tmp/uwsgi;\n"
        << "    scgi_temp_path " << w << "/tmp/scgi;\n"
        << "    types {\n"
        << "        text/html html htm shtml;\n"
        << "        text/plain txt;\n"
        << "        text/xml xml;\n"
        << "        application/rss+xml rss;\n"
        << "        image/gif gif;\n"
        << "        application/x-bittorrent torrent;\n"
        << "    }\n"
        << "    default_type application/octet-stream;\n"
        << "    keepalive_timeout 5;\n";
    for (const std::string& line : m_config.httpLines) {
        out << "    " << line << "\n";
    }
    out << "    server {\n"
        << "        listen " << m_config.address << ":" << m_port << ";\n"
        << "        server_name localhost;\n"
        << "        root " << m_config.documentRoot << ";\n";
    for (const std::string& line : m_config.serverLines) {
        out << "        " << line << "\n";
    }
    out << "    }\n"
        << "}\n";
}

bool NginxServer::start() {
    if (running()) {
        return true;
    }
    if (binary().empty()) {
        m_error = "nginx is not installed";
        return false;
    }
    m_workDir =
        scratchDir("nginx-" + std::to_string(getpid()) + "-" + std::to_string(++g_instance));
    std::filesystem::create_directories(m_workDir + "/tmp");
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        bool portTaken = false;
        if (startOnce(portTaken)) {
            return true;
        }
        if (!portTaken) {
            return false;
        }
    }
    return false;
}

bool NginxServer::startOnce(bool& portTaken) {
    m_port = freePort(m_config.address);
    if (m_port == 0) {
        m_error = "no free port on " + m_config.address;
        return false;
    }
    writeConfig();
    std::filesystem::remove(m_workDir + "/error.log");

    const std::string exe = binary();
    const std::string prefix = m_workDir + "/";
    const std::string conf = m_workDir + "/nginx.conf";
    const std::string log = m_workDir + "/error.log";
    const std::string console = m_workDir + "/console.log";
    const char* argv[] = {exe.c_str(),  "-p", prefix.c_str(), "-c",
                          conf.c_str(), "-e", log.c_str(),    nullptr};
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        m_error = "fork failed";
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        int fd = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    m_pid = pid;

    const auto end = std::chrono::steady_clock::now() + kStartDeadline;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            m_pid = -1;
            const std::string why = errorLog() + readFile(console);
            portTaken = why.find("in use") != std::string::npos;
            m_error = "nginx ended at start: " + why;
            return false;
        }
        if (accepts(m_config.address, m_port)) {
            return true;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    m_error = "nginx did not accept connections in time: " + errorLog();
    stop();
    return false;
}

void NginxServer::stop() {
    if (m_pid <= 0) {
        return;
    }
    // SIGTERM is nginx's fast shutdown: the master ends its workers and then itself.
    kill(m_pid, SIGTERM);
    if (!reap(m_pid, kStopDeadline)) {
        kill(m_pid, SIGKILL);
        reap(m_pid, kStopDeadline);
    }
    m_pid = -1;
}

}  // namespace testsupport
