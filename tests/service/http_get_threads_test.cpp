// SPDX-License-Identifier: GPL-3.0-or-later
// THTTPGet against a real web server on 127.0.0.1: how a body arrives (blocks of at most
// 4,096 bytes, read as the transfer goes), when an open transfer is kept, redirects, and the
// texts of every failure.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "service/http_get.h"
#include "tests/service/support/http_test_server.h"
#include "tests/support/raised_message.h"

namespace {

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 7 + i / 251) % 256);
    return bytes;
}

std::u16string Wide(const std::string &ascii) { return {ascii.begin(), ascii.end()}; }

std::string Contents(TMemoryStream &stream) {
    return {reinterpret_cast<const char *>(stream.Memory()), size_t(stream.DataSize())};
}

class TotalsRecorder : public TEventHandler_HTTPGet {
public:
    void OnProgress(THTTPGet *sender, int32_t total) override {
        EXPECT_NE(sender, nullptr);
        totals.push_back(total);
    }
    std::vector<int32_t> totals;
};

// Shortens the getter's limits for one test.
class ShortTimeouts {
public:
    explicit ShortTimeouts(int32_t stallSeconds)
        : previous_(SetHTTPGetTimeouts({2000, stallSeconds})) {}
    ~ShortTimeouts() { SetHTTPGetTimeouts(previous_); }

private:
    THTTPGetTimeouts previous_;
};

class HTTPGetTest : public ::testing::Test {
protected:
    HTTPGetTest() {
        web.Http().Get("/body", [this](const httplib::Request &request, httplib::Response &response) {
            ++bodyRequests;
            userAgent = request.get_header_value("User-Agent");
            response.set_content(body, "application/octet-stream");
        });
        web.Http().Get("/other", [](const httplib::Request &, httplib::Response &response) {
            response.set_content("other", "text/plain");
        });
        // /hop/<n> redirects n times before it reaches /body.
        web.Http().Get(R"(/hop/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
            const int n = std::stoi(request.matches[1]);
            response.set_redirect(n > 1 ? "/hop/" + std::to_string(n - 1) : "/body");
        });
        web.Http().Get("/missing", [](const httplib::Request &, httplib::Response &response) {
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        web.Http().Get("/broken", [](const httplib::Request &, httplib::Response &response) {
            response.status = 500;
            response.set_content("<html>error page</html>", "text/html");
        });
        web.Http().Get("/to-file", [](const httplib::Request &, httplib::Response &response) {
            response.set_redirect("file:///etc/hostname");
        });
        // Announces 10,000 bytes and hangs up after 5,000.
        web.Http().Get("/cut", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(10000, "application/octet-stream",
                                          [this](size_t offset, size_t, httplib::DataSink &sink) {
                                              if (offset > 0) return false;
                                              sink.write(body.data(), 5000);
                                              return true;
                                          });
        });
    }

    const std::string body = Pattern(10000);
    std::atomic<int> bodyRequests{0};
    std::string userAgent;  // written by the server thread before it answers
    THttpTestServer web;
};

TEST_F(HTTPGetTest, GetToStreamAppendsTheBodyInBlocksWithRunningTotals) {
    web.Start();
    TMemoryStream stream;
    stream.Write("pre", 3);
    THTTPGet getter;
    TotalsRecorder first, second;
    getter.EventHandlers().InsertFirst(&first);
    getter.EventHandlers().InsertFirst(&second);

    getter.GetToStream(stream, Wide(web.Url("/body")).c_str());

    EXPECT_EQ(Contents(stream), "pre" + body);
    ASSERT_FALSE(first.totals.empty());
    EXPECT_EQ(first.totals.back(), 10000);
    int32_t previous = 0;
    for (int32_t total : first.totals) {
        EXPECT_GT(total, previous);
        EXPECT_LE(total - previous, 4096) << "a block larger than a read";
        previous = total;
    }
    EXPECT_EQ(second.totals, first.totals);
    EXPECT_EQ(userAgent, "Valtrosa HTTP Accent");
    EXPECT_TRUE(getter.Opened()) << "the transfer stays open after the body";
}

// A bound on the body: a download past it fails, keeping no more than the bound (plus the
// block being read) in the stream.
TEST_F(HTTPGetTest, GetToStreamStopsAtItsBound) {
    web.Start();
    for (const int64_t bound : {int64_t(10000), int64_t(9999), int64_t(4096)}) {
        SCOPED_TRACE(bound);
        TMemoryStream stream;
        THTTPGet getter;
        getter.MaxBytes = bound;
        if (bound >= 10000) {
            getter.GetToStream(stream, Wide(web.Url("/body")).c_str());
            EXPECT_EQ(Contents(stream), body);
            continue;
        }
        try {
            getter.GetToStream(stream, Wide(web.Url("/body")).c_str());
            ADD_FAILURE() << "a body past the bound was taken";
        } catch (const TCustomException &e) {
            EXPECT_EQ(std::string(e.Message()),
                      "InternetReadFile Failed. The file is larger than " + std::to_string(bound) + " bytes");
        }
        EXPECT_LE(int64_t(stream.DataSize()), bound);
    }
}

TEST_F(HTTPGetTest, ReadHandsOutBytesBeforeTheRestOfTheBodyIsSent) {
    std::promise<void> firstReadDone;
    std::atomic<bool> waitedInVain{false};
    web.Http().Get("/slow", [&](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider(
            "application/octet-stream", [&, part = 0](size_t, httplib::DataSink &sink) mutable {
                if (part == 0) sink.write(body.data(), 3000);
                if (part == 1) {
                    auto released = firstReadDone.get_future();
                    if (released.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
                        waitedInVain = true;
                    sink.write(body.data() + 3000, 2000);
                }
                if (part == 2) sink.done();
                ++part;
                return true;
            });
    });
    web.Start();
    THTTPGet getter;
    getter.SetUrl(Wide(web.Url("/slow")).c_str());
    char buffer[HTTPReadSize];

    const int32_t first = getter.Read(buffer);
    firstReadDone.set_value();
    std::string received(buffer, size_t(first));
    for (int32_t n; (n = getter.Read(buffer)) > 0;) received.append(buffer, size_t(n));

    EXPECT_GT(first, 0);
    EXPECT_LE(first, 3000);
    EXPECT_FALSE(waitedInVain) << "the first Read waited for the whole body";
    EXPECT_EQ(received, body.substr(0, 5000));
    EXPECT_EQ(getter.Read(buffer), 0) << "the end of the body stays the end";
}

TEST_F(HTTPGetTest, SetUrlKeepsTheTransferOnlyForTheSameAddress) {
    web.Start();
    THTTPGet getter;
    const std::string url = web.Url("/body");
    char buffer[HTTPReadSize];
    getter.SetUrl(Wide(url).c_str());
    std::string received(buffer, size_t(getter.Read(buffer)));

    std::string sameInOtherCase = url;
    sameInOtherCase.replace(0, 4, "HTTP");
    getter.SetUrl(Wide(sameInOtherCase).c_str());
    EXPECT_TRUE(getter.Opened());
    for (int32_t n; (n = getter.Read(buffer)) > 0;) received.append(buffer, size_t(n));
    EXPECT_EQ(received, body) << "the kept transfer goes on where it was";
    EXPECT_EQ(bodyRequests, 1);

    getter.SetUrl(Wide(web.Url("/other")).c_str());
    EXPECT_FALSE(getter.Opened());
    const int32_t n = getter.Read(buffer);
    EXPECT_EQ(std::string(buffer, size_t(n)), "other");
}

TEST_F(HTTPGetTest, GetToStreamFetchesAfreshEvenForTheSameAddress) {
    web.Start();
    THTTPGet getter;
    const std::u16string url = Wide(web.Url("/body"));
    TMemoryStream first, second;
    getter.GetToStream(first, url.c_str());
    getter.GetToStream(second, url.c_str());
    EXPECT_EQ(Contents(second), body);
    EXPECT_EQ(bodyRequests, 2);
}

TEST_F(HTTPGetTest, RedirectsAreFollowedUpToTen) {
    web.Start();
    struct Case {
        const char *label;
        const char *path;
        std::string expected;
    };
    const Case cases[] = {
        {"one redirect", "/hop/1", body},
        {"ten redirects", "/hop/10", body},
        {"eleven redirects", "/hop/11", "InternetOpenUrl Failed. Maximum (10) redirects followed"},
    };
    for (const Case &c : cases) {
        TMemoryStream stream;
        const std::string message =
            MessageOf([&] { HTTPGetToStream(stream, web.Url(c.path).c_str()); });
        EXPECT_EQ(message == "(nothing raised)" ? Contents(stream) : message, c.expected) << c.label;
    }
}

TEST_F(HTTPGetTest, FailuresRaiseTheirTextsAndWriteNothing) {
    web.Start();
    struct Case {
        const char *label;
        std::string url;
        std::string message;  // exact, or the beginning when `prefix`
        bool prefix;
    };
    const Case cases[] = {
        {"not found", web.Url("/missing"), "InternetOpenUrl Failed. HTTP 404 Not Found", false},
        {"server error", web.Url("/broken"), "InternetOpenUrl Failed. HTTP 500 Internal Server Error", false},
        {"nothing listens", "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/x",
         "InternetOpenUrl Failed. Failed to connect to 127.0.0.1 port", true},
        {"redirect to a local file", web.Url("/to-file"), "InternetOpenUrl Failed. ", true},
        {"not a web address", "file:///etc/hostname", "InternetOpenUrl Failed. ", true},
        {"empty address", "", "InternetOpenUrl Failed. ", true},
    };
    for (const Case &c : cases) {
        TMemoryStream stream;
        std::string message;
        bool wasWinInet = false;
        try {
            HTTPGetToStream(stream, c.url.c_str());
            message = "(nothing raised)";
        } catch (const TWinInetException &e) {
            wasWinInet = true;
            message = e.Message();
        } catch (const TCustomException &e) {
            message = e.Message();
        }
        EXPECT_TRUE(wasWinInet) << c.label << ": " << message;
        if (c.prefix) EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.label << ": " << message;
        else EXPECT_EQ(message, c.message) << c.label;
        EXPECT_EQ(stream.DataSize(), 0) << c.label;
    }
}

TEST_F(HTTPGetTest, BodyBreakingOffRaisesAndKeepsWhatArrived) {
    web.Start();
    TMemoryStream stream;
    const std::string message = MessageOf([&] { HTTPGetToStream(stream, web.Url("/cut").c_str()); });
    EXPECT_EQ(message, "InternetReadFile Failed. transfer closed with 5000 bytes remaining to read");
    EXPECT_EQ(Contents(stream), body.substr(0, 5000));
}

TEST_F(HTTPGetTest, ServerThatNeverAnswersFailsAtTheStallLimit) {
    ShortTimeouts limits(1);
    TSilentListener silent;
    TMemoryStream stream;
    const auto start = std::chrono::steady_clock::now();
    const std::string message = MessageOf([&] { HTTPGetToStream(stream, silent.Url("/").c_str()); });
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(message.rfind("InternetOpenUrl Failed. Operation too slow.", 0), 0u) << message;
    // Not a speed target: a wait far beyond the 1 s limit means the limit was not applied.
    EXPECT_LT(waited, std::chrono::seconds(30));
}

TEST_F(HTTPGetTest, BodyThatStallsFailsInReadKeepingWhatArrived) {
    ShortTimeouts limits(1);
    std::promise<void> testDone;
    std::shared_future<void> done = testDone.get_future().share();
    web.Http().Get("/stall", [&, done](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider(
            "application/octet-stream", [&, done, part = 0](size_t, httplib::DataSink &sink) mutable {
                if (part++ == 0) {
                    sink.write(body.data(), 1000);
                    return true;
                }
                done.wait_for(std::chrono::seconds(20));
                return false;
            });
    });
    web.Start();
    TMemoryStream stream;
    const std::string message =
        MessageOf([&] { HTTPGetToStream(stream, web.Url("/stall").c_str()); });
    testDone.set_value();
    EXPECT_EQ(message.rfind("InternetReadFile Failed. Operation too slow.", 0), 0u) << message;
    EXPECT_EQ(Contents(stream), body.substr(0, 1000));
}

}  // namespace
