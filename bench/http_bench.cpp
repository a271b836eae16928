// SPDX-License-Identifier: GPL-3.0-or-later
// THTTPGet::GetToStream against curl_easy_perform writing straight into memory, for bodies of
// 64 KB and 16 MB from a web server on 127.0.0.1. The peer is the least a download over
// libcurl can cost; the difference is what reading in blocks of 4,096 bytes out of a paused
// transfer adds. Bytes per second are reported per body size.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "foundation/memory_stream.h"
#include "service/http_get.h"
#include "tests/service/support/http_test_server.h"

namespace {

THttpTestServer &Server() {
    static THttpTestServer *server = [] {
        auto *s = new THttpTestServer;
        s->Http().Get(R"(/bytes/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
            response.set_content(std::string(std::stoul(request.matches[1]), 'x'), "application/octet-stream");
        });
        s->Start();
        return s;
    }();
    return *server;
}

void BM_THTTPGet(benchmark::State &state) {
    const std::string url = Server().Url("/bytes/" + std::to_string(state.range(0)));
    const std::u16string wide(url.begin(), url.end());
    for (auto _ : state) {
        TMemoryStream stream;
        THTTPGet getter;
        getter.GetToStream(stream, wide.c_str());
        if (stream.DataSize() != state.range(0)) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

size_t Append(char *data, size_t size, size_t count, void *user) {
    static_cast<std::string *>(user)->append(data, size * count);
    return size * count;
}

void BM_CurlEasyPeer(benchmark::State &state) {
    const std::string url = Server().Url("/bytes/" + std::to_string(state.range(0)));
    for (auto _ : state) {
        std::string body;
        CURL *easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Append);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(easy);
        curl_easy_cleanup(easy);
        if (body.size() != size_t(state.range(0))) state.SkipWithError("short body");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_THTTPGet)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlEasyPeer)->Arg(64 << 10)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
