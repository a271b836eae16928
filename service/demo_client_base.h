// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TDemoClientBase: the program's one gateway to the speech service. It is the SOAP context
// (through the generated proxy), holds the session and client identifiers, and offers the
// few calls the rest of the program makes. Every call makes sure a session exists, calls one
// operation, copies the result out into the program's own streams or records, releases what
// the runtime allocated for it, and turns any failure into a TException.
//
// Contracts:
// - soap_endpoint is an http:// address, or "unix:<path>" for the user's own service (see
//   local_service.h): HTTP over that Unix socket, to the service's SOAP path, with the Host
//   "localhost".
// - soap_endpoint points at the owner's text and is not copied: the owner keeps that text
//   alive and unchanged while calls are made. The session calls (GetSetupUrl, LoadSentences,
//   SynthesiseSentence, LoadSynthesisedFile) raise "Server Address not specified in
//   DSClient" before sending anything while it is null or empty.
// - After every call the runtime's memory for its answer and fault is released, so an audio
//   file is held once (in the caller's stream), and a failure never reports the fault of an
//   earlier call.
// - Whatever fails, SessionID, ClientID and the update cache keep their earlier values.
// - No call waits forever: besides the send and receive timeouts (which restart with every
//   byte) every call has an overall deadline, a connect timeout, a limit on the number of
//   answer header lines and on the size of one answer (the constants below, applied by the
//   constructor). A call that fails without a fault from the service has its fault record
//   filled by the runtime, so the message names the cause in the runtime's words ("Timeout",
//   for instance).
// - A call can be cancelled from another thread through Cancel: while it connects and while
//   it waits for the service's answer it looks at the flag every CancelPollMs and then
//   fails at once ("The call was cancelled"). Sending is not cancelled (it is bounded by its
//   own timeout, and a service that took the connection takes the request).
// - No lock: one thread at a time (the UI thread before a reading, then the synthesis
//   thread until it ends).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "foundation/my_string.h"
#include "soapIDemoServerbindingProxy.h"

class TStream;
class TNarreloCumles;
class TDemoAudios;

class TDemoClientBase : public IDemoServerbindingProxy {
public:
    // Bounds of every call, set by the constructor (the runtime's own fields, and
    // HeaderLineLimit, may be lowered afterwards, as tests do).
    static constexpr int SendReceiveTimeoutSeconds = 60;  // restarts with every byte
    static constexpr int TransferTimeoutSeconds = 120;    // the whole call, however it trickles
    static constexpr int ConnectTimeoutSeconds = 10;
    static constexpr int32_t MaxHeaderLines = 100;        // of one answer's HTTP header
    static constexpr uint64_t MaxAnswerBytes = uint64_t(64) << 20;
    // How often a call waiting for its answer looks at Cancel.
    static constexpr int CancelPollMs = 50;

    // Input and output mode 0 except that answer elements are matched by their local name
    // (SOAP_XML_IGNORENS), the bounds above, no SOAP header, no endpoint.
    TDemoClientBase();
    ~TDemoClientBase() override;
    TDemoClientBase(const TDemoClientBase &) = delete;
    TDemoClientBase &operator=(const TDemoClientBase &) = delete;

    // Whether this client version must be replaced. Asks the service until one call has
    // succeeded, then answers from the cache for the rest of the run.
    bool CheckUpdateRequired();
    // Logs in unless a session exists. A client identifier that the settings store did not
    // hold before is written there after the login.
    void EnsureSession(const char *userName, const char *password);
    // The installer's address; empty when the service sent none.
    MyString GetSetupUrl();
    // Splits `text` into sentences through the service and appends them to `sentences`.
    // Raises "Internal Memory Is Nil" when the answer unscrambles to nothing.
    void LoadSentences(const char *text, uint8_t isXml, TNarreloCumles &sentences);
    // Synthesises one sentence; the audio records are appended to `audios`.
    void SynthesiseSentence(const char *text, uint8_t isXml, int32_t speaker, int32_t volume,
                            int32_t speed, int32_t fileType, TDemoAudios &audios);
    // Writes the bytes of the audio file `fileId` to `stream` at its position, in one write;
    // returns what the write reports.
    int32_t LoadSynthesisedFile(TStream &stream, const char *fileId);
    // Raises a TException for a non-zero runtime error number: the heading "WebServis
    // çağrısında hata oluştu\r\n\r\n" followed by the fault string of the context's fault
    // record (the service's, or else the one the runtime fills for the error, naming its
    // cause), or by "HataKodu: %d" when even the runtime has no words. The fault string is
    // taken literally.
    void RaiseServiceError(int result);
    // The identifier kept in the settings store; empty when there is none.
    MyString ReadStoredClientID();
    // Writes ClientID to the settings store, creating the key when needed.
    void StoreClientID();

    bool UpdateRequiredCache = false;  // answer of the last successful update check
    bool UpdateChecked = false;        // UpdateRequiredCache holds an answer
    MyString SessionID;                // from Login; empty: the next session call logs in
    int32_t ApplicationID = -1;        // sent as AAplicationID
    int32_t ClientVersion = 13;        // sent as AVersion
    MyString ClientID;                 // sent with and received from Login

    // Header lines one answer may have; MaxHeaderLines unless lowered.
    int32_t HeaderLineLimit = MaxHeaderLines;

    // Not owned; null: calls are never cancelled. Set by the thread that makes the calls
    // (before its first), set true by anyone to give up the call in progress and every later
    // one.
    const std::atomic<bool> *Cancel = nullptr;

private:
    // The runtime's header-line hook, wrapped to count the lines of each answer.
    static int ParseHeaderLine(struct soap *context, const char *key, const char *value) noexcept;
    // Resets the count at every connection (one per call: no keep-alive); connects through
    // ConnectCancellably while Cancel is set, through the runtime otherwise.
    static SOAP_SOCKET OpenConnection(struct soap *context, const char *endpoint,
                                      const char *host, int port) noexcept;
    // The runtime's connect step (its socket options, its timeout and its words for each
    // failure), but waiting for the connection in slices of CancelPollMs with a look at Cancel
    // between them: the runtime's own wait cannot be interrupted, and an address that drops
    // packets holds it for the whole connect timeout.
    SOAP_SOCKET ConnectCancellably(const char *host, int port) noexcept;

    // Waits for the answer in slices of CancelPollMs while Cancel is set, then lets the
    // runtime read it; notes a receive that ended at the transfer deadline.
    static size_t Receive(struct soap *context, char *buffer, size_t size) noexcept;

    enum class TAnswerWait { Ready, Cancelled, TimedOut };
    TAnswerWait WaitForAnswer() noexcept;

    // Why the last call was stopped on our side, when the runtime's error number hides it.
    // HungUp: the service closed the connection (or it failed) while an answer was awaited,
    // before any deadline: no timeout, whatever the runtime's words say.
    enum class TStop { None, Deadline, HeaderLines, Cancelled, HungUp };

    int (*runtimeParseHeader_)(struct soap *, const char *, const char *) = nullptr;
    SOAP_SOCKET (*runtimeOpen_)(struct soap *, const char *, const char *, int) = nullptr;
    size_t (*runtimeReceive_)(struct soap *, char *, size_t) = nullptr;
    int32_t headerLines_ = 0;
    TStop stop_ = TStop::None;
    std::chrono::steady_clock::time_point callStart_;

    // Around each call: the runtime's memory for its answer is released at the end, and a
    // "unix:" endpoint stands for the service's http://localhost address over that socket
    // while the call runs.
    class TCallScope;
    std::string unixSocket_;  // during a call to a "unix:" endpoint: its socket path
    SOAP_SOCKET ConnectUnix() noexcept;

    // The two steps every session call begins with: an endpoint must be set, and a session
    // must exist (logging in with an empty user name and password).
    void BeginSessionCall();
};
