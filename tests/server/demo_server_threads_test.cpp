// SPDX-License-Identifier: GPL-3.0-or-later
// The server in this process, so that ThreadSanitizer sees its workers, queue, cache and
// speech engine: several clients at once, then a stop that waits for them.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "server/audio_file_cache.h"
#include "server/audio_maker.h"
#include "server/demo_server.h"
#include "server/demo_service.h"
#include "server/file_id.h"
#include "service/demo_client.h"
#include "soapIDemoServerbindingProxy.h"
#include "speech/speech_engine.h"
#include "speech/speech_synthesiser.h"
#include "speech/synthesis_request.h"
#include "tests/support/temp_config_home.h"

namespace {

// One speech engine for the whole program: the engine library does not start again in a
// process once it has been shut down.
TSpeechEngine &Engine() {
    static TSpeechEngine engine;
    return engine;
}

TEST(DemoServerThreadsTest, WorkersServeSeveralClientsAndStopWhenAsked) {
    TempConfigHome home;
    TSpeechEngine &engine = Engine();
    TSpeechSynthesiser synthesiser(engine);
    TAudioFileCache cache(1 << 20, home.Folder() + "/cache", 1 << 20);
    TServerOptions options;
    options.Quiet = true;
    TServiceShared shared{options, TServerKey::FromBytes(std::string(32, 's')), &synthesiser,
                          &cache, TWebContent("", ""), "", {}};
    TDemoServer server(shared, 2);
    const int port = server.Bind("127.0.0.1", 0);
    shared.ListenHost = "127.0.0.1:" + std::to_string(port);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + SoapPath;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    std::vector<std::string> failures(3);
    std::vector<int> audioBytes(3, 0);
    std::vector<std::thread> clients;
    for (int c = 0; c < 3; ++c)
        clients.emplace_back([&, c] {
            try {
                TDemoClient client;
                client.soap_endpoint = endpoint.c_str();
                client.ClientID = ("c" + std::to_string(c)).c_str();
                TNarreloCumles sentences;
                sentences.OwnsItems = true;
                client.LoadSentences("Bir cümle. İkinci cümle de var."_cp, 0, sentences);
                for (int i = 0; i < sentences.Count(); ++i) {
                    TDemoAudios &audios = sentences.Get(i)->Audios;
                    client.SynthesiseSentence(sentences.Get(i)->Text.Text(), 0, 1 + c % 2, 10, 10, 1, audios);
                    audioBytes[c] += client.LoadSynthesisedFile(audios.Get(0)->Data, audios.Get(0)->FileId.Text());
                }
            } catch (const TCustomException &e) {
                failures[c] = e.Message();
            }
        });
    for (std::thread &client : clients) client.join();
    stop = true;
    serving.join();

    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(failures[c], "");
        EXPECT_GT(audioBytes[c], 1000);
    }
}

// A service manager may hand over a socket already listening; the server tells how long it
// has had nothing to do.
TEST(DemoServerThreadsTest, ServesAnAdoptedSocketAndTellsHowLongItHasBeenIdle) {
    TempConfigHome home;
    TSpeechEngine &engine = Engine();
    TSpeechSynthesiser synthesiser(engine);
    TAudioFileCache cache(1 << 20, "", 0);
    TServerOptions options;
    options.Quiet = true;
    TServiceShared shared{options, TServerKey::FromBytes(std::string(32, 's')), &synthesiser,
                          &cache, TWebContent("", ""), "", {}};
    const int listening = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 16), 0);
    TDemoServer server(shared, 1);
    const int port = server.Adopt(listening, "127.0.0.1");
    EXPECT_GT(port, 0);
    EXPECT_EQ(shared.ListenHost, "127.0.0.1:" + std::to_string(port));
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + SoapPath;
    TDemoClient client;
    client.soap_endpoint = endpoint.c_str();
    client.ClientID = "adopted";
    EXPECT_NO_THROW(client.EnsureSession("", ""));
    // Idle once the connection is closed (bounded wait), and the idle time grows.
    double idle = 0;
    for (int i = 0; i < 500 && (idle = server.IdleSeconds()) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_GT(idle, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(server.IdleSeconds(), idle);
    stop = true;
    serving.join();
}

// Synthesise only names the files; each is made when fetched, and fetching one piece of a
// long sentence starts the next. The pieces say the whole sentence.
TEST(DemoServerThreadsTest, AudioIsMadeWhenFetchedAndTheNextPieceAhead) {
    TempConfigHome home;
    TSpeechSynthesiser synthesiser(Engine());
    TAudioFileCache cache(16 << 20, "", 0);
    TAudioMaker maker(synthesiser, cache);
    TServerOptions options;
    options.Quiet = true;
    TServiceShared shared{options, TServerKey::FromBytes(std::string(32, 'm')), &synthesiser,
                          &cache, TWebContent("", ""), "", {}, &maker};
    TDemoServer server(shared, 2);
    const int port = server.Bind("127.0.0.1", 0);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + SoapPath;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    std::string failure;
    try {
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "lazy";
        TDemoAudios one;
        client.SynthesiseSentence("Bugün hava çok güzel."_cp, 0, 1, 10, 10, 1, one);
        EXPECT_EQ(one.Count(), 1);
        EXPECT_EQ(maker.Made(), size_t(0)) << "Synthesise made audio";
        EXPECT_GT(client.LoadSynthesisedFile(one.Get(0)->Data, one.Get(0)->FileId.Text()), 1000);
        EXPECT_EQ(maker.Made(), size_t(1));

        // A sentence with a clause boundary: two parts, cut from one speech.
        TDemoAudios parts;
        client.SynthesiseSentence("Sahilde yürüdük, martılar uçuyordu."_cp, 0, 1, 10, 10, 1, parts);
        ASSERT_EQ(parts.Count(), 2);
        EXPECT_EQ(maker.Made(), size_t(1));
        for (int i = 0; i < 2; ++i)
            EXPECT_GT(client.LoadSynthesisedFile(parts.Get(i)->Data, parts.Get(i)->FileId.Text()), 1000);
        EXPECT_EQ(maker.Made(), size_t(3));
        EXPECT_EQ(maker.SpokenForParts(), size_t(1)) << "the second part was spoken again";

        // A list of numbers with no full stop: far more than one item says.
        std::string list;
        for (int i = 0; i < 300; ++i) list += std::to_string(1000 + i * 37) + ", ";
        TDemoAudios pieces;
        client.SynthesiseSentence(list.c_str(), 0, 1, 10, 10, 1, pieces);
        ASSERT_GT(pieces.Count(), 1);
        EXPECT_EQ(maker.Made(), size_t(3));
        std::string said;
        for (int i = 0; i < pieces.Count(); ++i) {
            said += (said.empty() ? "" : " ") + std::string(pieces.Get(i)->SpokenText.View());
            EXPECT_GT(client.LoadSynthesisedFile(pieces.Get(i)->Data, pieces.Get(i)->FileId.Text()), 1000);
        }
        TSynthesisRequest whole;
        whole.Text = list;
        EXPECT_EQ(said, TSpeechSynthesiser::SpokenTextOf(whole));
        // Each piece made once, whether ahead or when fetched.
        EXPECT_EQ(maker.Made(), size_t(3 + pieces.Count()));

        // A sentence without a clause boundary: a short first part of its first words, then
        // the rest, both cut from one speech.
        const size_t made = maker.Made(), spoken = maker.SpokenForParts();
        TDemoAudios start;
        client.SynthesiseSentence("Bu sabah erkenden kalkıp bahçedeki bütün çiçekleri suladım."_cp,
                                  0, 1, 10, 10, 1, start);
        ASSERT_EQ(start.Count(), 2);
        EXPECT_EQ(std::string(start.Get(0)->SpokenText.View()), "bu sabah erkenden kalkıp"_cp);
        EXPECT_EQ(std::string(start.Get(1)->SpokenText.View()),
                  "bahçedeki bütün çiçekleri suladım."_cp);
        for (int i = 0; i < 2; ++i)
            EXPECT_GT(client.LoadSynthesisedFile(start.Get(i)->Data, start.Get(i)->FileId.Text()),
                      1000);
        EXPECT_EQ(maker.Made(), made + 2);
        EXPECT_EQ(maker.SpokenForParts(), spoken + 1);
    } catch (const TCustomException &e) {
        failure = e.Message();
    }
    stop = true;
    serving.join();
    EXPECT_EQ(failure, "");
}

// A request whose text was read before takes the reading from the cache instead of reading
// the text again: a reading planted there (speaker, volume, speed and file type 0 in the
// key) is what the answer carries, and a new text's reading is kept there for every voice.
TEST(DemoServerThreadsTest, TheReadingOfACachedTextComesFromTheCache) {
    TempConfigHome home;
    TSpeechSynthesiser synthesiser(Engine());
    TAudioFileCache cache(1 << 20, "", 0);
    TServerOptions options;
    options.Quiet = true;
    TServiceShared shared{options, TServerKey::FromBytes(std::string(32, 's')), &synthesiser,
                          &cache, TWebContent("", ""), "", {}};
    TDemoServer server(shared, 1);
    const int port = server.Bind("127.0.0.1", 0);
    shared.ListenHost = "127.0.0.1:" + std::to_string(port);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + SoapPath;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    const std::string planted = "Bir cümle."_cp, fresh = "Dr. Ali 5. kata çıktı."_cp;
    cache.Store(RequestDigest({planted, false, 0, 0, 0, 0, false}), "bir önbellek cümlesi."_cp);
    std::vector<std::string> spoken;
    std::string failure;
    try {
        TDemoClient client;
        client.soap_endpoint = endpoint.c_str();
        client.ClientID = "c";
        for (const std::string &text : {planted, fresh}) {
            TDemoAudios audios;
            client.SynthesiseSentence(text.c_str(), 0, 1, 10, 10, 1, audios);
            spoken.push_back(audios.Count() > 0 ? std::string(audios.Get(0)->SpokenText.Text()) : "");
        }
    } catch (const TCustomException &e) {
        failure = e.Message();
    }
    stop = true;
    serving.join();

    EXPECT_EQ(failure, "");
    EXPECT_EQ(spoken, (std::vector<std::string>{"bir önbellek cümlesi."_cp, "doktor ali beşinci kata çıktı."_cp}));
    EXPECT_EQ(cache.Find(RequestDigest({fresh, false, 0, 0, 0, 0, false})), "doktor ali beşinci kata çıktı."_cp);
}

// A service whose UpdateRequired2 fails outside any operation's own net for versions 1 and
// 2: version 1 reads a sentence list from bytes that hold none (the record layer's
// format error), version 2 breaks a contract (an internal error).
class TFailingService : public TDemoService {
public:
    using TDemoService::TDemoService;
    TFailingService *copy() override { return new TFailingService(*this); }

    int UpdateRequired2(int application, int version, bool &answer) override {
        if (version == 1) {
            TMemoryStream noList;
            noList.Write("\xFF\xFF\xFF\x7F", 4);
            noList.Seek(0, 0);
            TNarreloCumles sentences;
            sentences.OwnsItems = true;
            sentences.LoadFromStream(noList);
        }
        if (version == 2) RaiseError("Invalid Index Of List %d", 7);
        return TDemoService::UpdateRequired2(application, version, answer);
    }
};

// One worker: a failure raised while serving a request becomes that request's fault (the
// sender's for malformed data, the service's for its own fault) and the same worker serves
// the next request.
TEST(DemoServerThreadsTest, AWorkerSurvivesTheProgramsExceptionsAndAnswersThemAsFaults) {
    TempConfigHome home;
    TSpeechSynthesiser synthesiser(Engine());
    TAudioFileCache cache(1 << 20, "", 0);
    TServerOptions options;
    options.Quiet = true;
    TServiceShared shared{options, TServerKey::FromBytes(std::string(32, 'f')), &synthesiser,
                          &cache, TWebContent("", ""), "", {}};
    TDemoServer server(std::make_unique<TFailingService>(shared), 1);
    const int port = server.Bind("127.0.0.1", 0);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(port) + SoapPath;
    std::atomic<bool> stop{false};
    std::thread serving([&] { server.Run(stop); });

    const struct {
        const char *Label;
        int Version;
        int Result;
        const char *FaultCode;
        const char *FaultText;
    } cases[] = {
        {"the record layer's format error", 1, SOAP_CLI_FAULT, "SOAP-ENV:Client", "not readed from stream"},
        {"an internal error", 2, SOAP_SVR_FAULT, "SOAP-ENV:Server", "Invalid Index Of List 7"},
        {"the next request, same worker", 20, SOAP_OK, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Label);
        IDemoServerbindingProxy proxy;
        proxy.soap_endpoint = endpoint.c_str();
        bool required = true;
        EXPECT_EQ(proxy.UpdateRequired2(1, c.Version, required), c.Result);
        if (c.Result == SOAP_OK) {
            EXPECT_FALSE(required);
            continue;
        }
        ASSERT_NE(proxy.fault, nullptr);
        EXPECT_STREQ(proxy.fault->faultcode, c.FaultCode);
        EXPECT_STREQ(proxy.soap_fault_string(), c.FaultText);
    }
    stop = true;
    serving.join();
}

}  // namespace
