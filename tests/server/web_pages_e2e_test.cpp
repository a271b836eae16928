// SPDX-License-Identifier: GPL-3.0-or-later
// The service runs as the user beside the user's browser: no web page may read a file
// through it or use its operations, whatever path, method, origin, host name or content type
// the page's request carries. Requests as a browser (or a page's script) would send them,
// over raw loopback sockets.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/server/support/raw_http.h"
#include "tests/support/demo_server_process.h"
#include "tests/support/temp_config_home.h"

namespace {

std::string Exchange(int port, const std::string &request) {
    TRawConnection connection(port);
    connection.Send(request);
    return connection.ReadAll();
}

// Whether any header line of `answer` starts with "Access-Control-" (any case).
bool HasCorsHeader(const std::string &answer) {
    std::string head = answer.substr(0, answer.find("\r\n\r\n"));
    for (char &c : head) c = char(std::tolower(static_cast<unsigned char>(c)));
    return head.find("\naccess-control-") != std::string::npos;
}

class WebPagesE2ETest : public ::testing::Test {
protected:
    WebPagesE2ETest() {
        TempConfigHome::WriteFile(Web() + "/index.html", "<p>ana sayfa</p>");
        TempConfigHome::WriteFile(home_.Folder() + "/secret.txt", "gizli");
        std::filesystem::create_symlink(home_.Folder() + "/secret.txt", Web() + "/link.txt");
        server_.emplace(std::vector<std::string>{"--web-root", Web(), "--allow-host",
                                                 "konus.example"});
    }
    std::string Web() const { return home_.Folder() + "/web"; }
    int Port() const { return server_->Port(); }
    std::string Host() const { return "127.0.0.1:" + std::to_string(Port()); }
    std::string Get(const std::string &path, const std::string &extra = "") const {
        return Exchange(Port(), "GET " + path + " HTTP/1.1\r\nHost: " + Host() + "\r\n" + extra +
                                    "Connection: close\r\n\r\n");
    }
    std::string Post(const std::string &headers) const {
        return Exchange(Port(), "POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\n" +
                                    headers + "Content-Length: " +
                                    std::to_string(UpdateRequest.size()) +
                                    "\r\nConnection: close\r\n\r\n" + UpdateRequest);
    }

    TempConfigHome home_;
    std::optional<TDemoServerProcess> server_;
};

TEST_F(WebPagesE2ETest, NoPathReachesAFileOutsideTheWebFolder) {
    const struct {
        std::string Path;
        int Status;
    } cases[] = {
        {"/", 200},
        {"/index.html", 200},
        {"//etc/passwd", 404},
        {"//proc/self/environ", 404},
        {"/" + home_.Folder() + "/secret.txt", 404},
        {"///", 404},
        {"/%2fetc%2fpasswd", 404},
        {"/%2e%2e/secret.txt", 404},
        {"/..%2fsecret.txt", 404},
        {"/link.txt", 404},  // a symbolic link planted in the web folder
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Path);
        const std::string answer = Get(c.Path);
        EXPECT_EQ(StatusOf(answer), c.Status);
        EXPECT_EQ(answer.find("root:"), std::string::npos);
        EXPECT_EQ(answer.find("gizli"), std::string::npos);
    }
    EXPECT_EQ(BodyOf(Get("/")), "<p>ana sayfa</p>");
}

TEST_F(WebPagesE2ETest, RequestsAWebPageCouldSendAreRefused) {
    const std::string own = "Host: " + Host() + "\r\n";
    const std::string soap = "Content-Type: text/xml; charset=utf-8\r\nSOAPAction: \"\"\r\n";
    const struct {
        const char *Label;
        std::string Answer;
        int Status;
    } cases[] = {
        {"the client's own POST", Post(own + soap), 200},
        {"a page of the service's own origin", Post(own + soap + "Origin: http://" + Host() + "\r\n"), 200},
        {"a GET of the service's own page", Get("/", "Origin: http://" + Host() + "\r\n"), 200},
        {"localhost with the port", Post("Host: localhost:" + std::to_string(Port()) + "\r\n" + soap), 200},
        {"a name given with --allow-host", Post("Host: konus.example\r\n" + soap), 200},
        {"a page of another origin (POST)", Post(own + soap + "Origin: http://evil.example\r\n"), 403},
        {"a page of another origin (GET)", Get("/demoserver.txt", "Origin: http://evil.example\r\n"), 403},
        {"a sandboxed page", Post(own + soap + "Origin: null\r\n"), 403},
        {"a text/plain POST", Post(own + "Content-Type: text/plain\r\nSOAPAction: \"\"\r\n"), 415},
        {"a POST without SOAPAction", Post(own + "Content-Type: text/xml\r\n"), 400},
        {"DNS rebinding", Post("Host: evil.example:" + std::to_string(Port()) + "\r\n" + soap), 403},
        {"another port", Post("Host: 127.0.0.1:1\r\n" + soap), 403},
        {"a preflight",
         Exchange(Port(), "OPTIONS /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\n" + own +
                              "Origin: http://evil.example\r\nAccess-Control-Request-Method: "
                              "POST\r\nConnection: close\r\n\r\n"),
         405},
        {"a preflight of its own origin",
         Exchange(Port(), "OPTIONS / HTTP/1.1\r\n" + own + "Origin: http://" + Host() +
                              "\r\nConnection: close\r\n\r\n"),
         405},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_EQ(StatusOf(c.Answer), c.Status) << c.Answer.substr(0, 400);
        EXPECT_FALSE(HasCorsHeader(c.Answer)) << c.Answer.substr(0, 400);
        if (c.Status != 200) {
            EXPECT_EQ(c.Answer.find("<return>"), std::string::npos);
        }
    }
}

TEST_F(WebPagesE2ETest, TheServerListNamesTheListeningAddressNotTheHostSent) {
    const std::string expected =
        "http://" + Host() + "/Project2.DemoServer/soap/IDemoServer\r\n";
    EXPECT_EQ(BodyOf(Get("/demoserver.txt")), expected);
    const std::string viaName = Exchange(
        Port(), "GET /demoserver.txt HTTP/1.1\r\nHost: konus.example\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(BodyOf(viaName), expected);
}

TEST_F(WebPagesE2ETest, ContentLengthIsPlainDigits) {
    const std::string head = "POST /Project2.DemoServer/soap/IDemoServer HTTP/1.1\r\nHost: " +
                             Host() + "\r\nContent-Type: text/xml\r\nSOAPAction: \"\"\r\n";
    const std::string size = std::to_string(UpdateRequest.size());
    const struct {
        const char *Label;
        std::string Lengths;
        int Status;
    } cases[] = {
        {"plain", "Content-Length: " + size + "\r\n", 200},
        {"the same twice", "Content-Length: " + size + "\r\nContent-Length: " + size + "\r\n", 200},
        {"a sign", "Content-Length: +" + size + "\r\n", 400},
        {"a blank inside", "Content-Length: " + size.substr(0, 1) + " " + size.substr(1) + "\r\n", 400},
        {"a list", "Content-Length: " + size + ", " + size + "\r\n", 400},
        {"two that differ", "Content-Length: " + size + "\r\nContent-Length: 5\r\n", 400},
        {"hexadecimal", "Content-Length: 0x10\r\n", 400},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        EXPECT_EQ(StatusOf(Exchange(Port(), head + c.Lengths + "Connection: close\r\n\r\n" +
                                                UpdateRequest)),
                  c.Status);
    }
}

}  // namespace
