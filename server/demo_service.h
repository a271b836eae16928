// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoService: the speech service's SOAP operations on the skeleton generated from
// protocol/IDemoServer.h, input and output mode 0. One object serves one connection at a
// time; copy() gives a worker its own (the generated one would return the base class).
//
// Text parameters arrive as literal XML with the client's escapes still in; each is turned
// back into its Windows-1254 bytes with the client's own UnescapeXmlText. Answers are
// plain char* and base64 that the runtime writes as the client reads them.
//
// Each request arrives complete (TDemoServer reads it, demo_server.h) and is handed to the
// runtime from memory; a body that is not a well-formed XML document gets a fault without
// reaching it. The same port answers HTTP GET (web_content.h) through the runtime's fget
// hook. ServeRequest writes one log line per request to standard error.

#include <chrono>
#include <cstdint>
#include <string>

#include "server/audio_file_cache.h"
#include "server/audio_maker.h"
#include "server/http_request_reader.h"
#include "server/request_policy.h"
#include "server/server_key.h"
#include "server/server_options.h"
#include "server/service_limits.h"
#include "server/web_content.h"
#include "soapIDemoServerbindingService.h"
#include "speech/speech_synthesiser.h"

// What every connection's service shares; lives longer than all of them.
struct TServiceShared {
    TServerOptions Options;           // defaults resolved
    TServerKey Key;
    TSpeechSynthesiser *Synthesiser;  // not owned
    TAudioFileCache *Cache;           // not owned
    TWebContent Web;
    std::string ListenHost;           // "address:port" actually bound
    THostAllowList AllowedHosts;      // the Host values served (TDemoServer::Bind fills it)
    // Makes the files and the next ones of a reading ahead; not owned. Without one, each
    // file is made by the worker that is asked for it.
    TAudioMaker *Maker = nullptr;
};

// A whole HTTP answer that refuses a request with `status`, its body a SOAP fault (Client)
// saying `text`; `extraHeader` holds whole header lines.
std::string RefusalResponse(int status, const std::string &text, const std::string &extraHeader = "");

// Writes one line of the request log to standard error (unless quiet): client address,
// operation, bytes in and out, milliseconds, result (and the process id when several serve);
// one write, so lines never interleave.
void LogRequest(const TServerOptions &options, const std::string &peer,
                const std::string &operation, uint64_t bytesIn, uint64_t bytesOut,
                double milliseconds, const std::string &result);

class TDemoService : public IDemoServerbindingService {
public:
    explicit TDemoService(TServiceShared &shared);
    TDemoService(const TDemoService &other);
    ~TDemoService() override;
    TDemoService &operator=(const TDemoService &) = delete;

    TDemoService *copy() override;

    TServiceShared &Shared() { return shared_; }

    // Answers `request`, read complete from the connected (blocking) `socket` from `peer`;
    // `localAddress` is the address the client reached ("127.0.0.1", "[::1]"), `opened` when
    // the connection came. Returns the whole answer for the caller to send (a client that
    // reads slowly then holds no worker); for a large file over GET, the head of the answer,
    // its body the file TakeAnswerFile hands over. Leaves the connection open and writes the
    // log line.
    std::string ServeRequest(int socket, const std::string &peer, const std::string &localAddress,
                             THttpRequest &&request, std::chrono::steady_clock::time_point opened);

    // The file whose bytes follow the answer ServeRequest returned (open, read from its
    // start, `size` bytes), now the caller's to close; -1 when there is none.
    int TakeAnswerFile(uint64_t &size);

    int UpdateRequired(int AVersion, bool &return_) override;
    int Login4(char *AExistsClientID, int AAplicationID, int AVersion, char *AUserName,
               char *APassword, char *AUserInfo, char *&SessionID) override;
    int LastSetupUrl(char *&return_) override;
    int UpdateRequired2(int AAplicationID, int AVersion, bool &return_) override;
    int Login(int AAplicationID, int AVersion, char *AUserName, char *APassword, char *ClientID,
              ns1__LoginResponse &result) override;
    int LastSetupUrl2(char *SessionID, char *&return_) override;
    int Speak(char *SessionID, char *AText, bool IsXML, int ASpeaker, int AVolume, int ASpeed,
              int AFileType, xsd__base64Binary &return_) override;
    int SpeakNormal(char *ASessionID, char *AText, char *AParameters,
                    ns1__SpeakNormalResponse &result) override;
    int GetKey(char *ASessionID, char *&return_) override;
    int ParseSentences(char *SessionID, char *AText, bool IsXML,
                       xsd__base64Binary &return_) override;
    int ParseSentencesNoCrypt(char *ASessionID, char *AText, bool AIsXML, bool AReturnAsUTF8,
                              char *&return_) override;
    int Synthesise(char *SessionID, char *AText, bool IsXML, int ASpeaker, int AVolume,
                   int ASpeed, int AFileType, xsd__base64Binary &return_) override;
    int GetSynthesisedFile(char *SessionID, char *AFileID, xsd__base64Binary &return_) override;
    int SetListenHistory(const xsd__base64Binary &AHistory, bool AStore,
                         xsd__base64Binary &return_) override;

private:
    static int HttpGet(struct soap *soap);
    static int ParseHeader(struct soap *soap, const char *key, const char *value);
    static int Options(struct soap *soap);
    static size_t MemoryRecv(struct soap *soap, char *buffer, size_t length);
    static int CountingSend(struct soap *soap, const char *data, size_t length);
    static int KeepOpen(struct soap *soap);

    void InstallHooks();
    // Answers a request the runtime never sees; returns the log's result text.
    void Refuse(int status, const std::string &text);
    // Answers a request whose serving raised `failure` with a fault (Fault's kind).
    void Failed(const std::exception &failure);
    int ServeGet();
    // A fault for the user; records it for the log line. Returns the runtime's code.
    int SenderFault(const std::string &text);
    int ReceiverFault(const std::string &text);
    // The fault `failure` stands for: the program's own exceptions by their category (a
    // malformed or refused request is the sender's), anything else the receiver's.
    int Fault(const std::exception &failure);
    int NotOffered(const char *operation);
    // The audio file of `request`, from the cache or made now (stopped when the client
    // hangs up: TSpeechCancelled).
    std::string AudioOf(const TSynthesisRequest &request);
    // The words said for `request` (checked speakable), from the cache when its text was
    // read before, so a cached request costs no reading of its text.
    std::string SpokenTextOf(const TSynthesisRequest &request);
    // The request's result when its client hung up during the work.
    int HungUp();
    // Checks the session; returns SOAP_OK or the fault already set.
    int CheckSessionOf(const char *session);
    // The unescaped text of a text parameter (empty for a missing one).
    static std::string TextOf(const char *xml);
    void SetBinary(xsd__base64Binary &target, const std::string &bytes);
    char *Duplicate(const std::string &text);

    TServiceShared &shared_;
    // The runtime's own hooks, wrapped by ours.
    int (*runtimeSend_)(struct soap *, const char *, size_t) = nullptr;
    int (*runtimeParseHeader_)(struct soap *, const char *, const char *) = nullptr;

    // Per request, reset by ServeRequest.
    std::string operation_;
    std::string result_;
    std::string listenHost_;   // "address:port" the client reached
    std::string input_;        // the request, read by MemoryRecv
    std::string output_;       // the answer, while buffering_
    bool buffering_ = true;
    size_t inputAt_ = 0;
    uint64_t bytesIn_ = 0;
    uint64_t bytesOut_ = 0;
    int answerFile_ = -1;  // a large file's body, for TakeAnswerFile
    uint64_t answerFileSize_ = 0;
};
