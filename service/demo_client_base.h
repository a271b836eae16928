#pragma once
// TDemoClientBase: the program's one gateway to the speech service. It is the SOAP context
// (through the generated proxy), holds the session and client identifiers, and offers the
// few calls the rest of the program makes. Every call makes sure a session exists, calls one
// operation, copies the result out into the program's own streams or records, releases what
// the runtime allocated for it, and turns any failure into a TException.
//
// Contracts:
// - soap_endpoint points at the owner's text and is not copied: the owner keeps that text
//   alive and unchanged while calls are made. The session calls (GetSetupUrl, LoadSentences,
//   SynthesiseSentence, LoadSynthesisedFile) raise "Server Address not specified in
//   DSClient" before sending anything while it is null or empty.
// - After every call the runtime's memory for its answer and fault is released, so an audio
//   file is held once (in the caller's stream), and a failure that brings no fault record of
//   its own reports its error number, never the fault of an earlier call.
// - Whatever fails, SessionID, ClientID and the update cache keep their earlier values.
// - No lock: one thread at a time (the UI thread before a reading, then the synthesis
//   thread until it ends).

#include <cstdint>

#include "foundation/my_string.h"
#include "soapIDemoServerbindingProxy.h"

class TStream;
class TNarreloCumles;
class TDemoAudios;

class TDemoClientBase : public IDemoServerbindingProxy {
public:
    // Input and output mode 0, 60-second send and receive timeouts, no connect timeout, no
    // SOAP header, no endpoint.
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
    // record, or by "HataKodu: %d" when there is none. The fault string is taken literally.
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

private:
    // The two steps every session call begins with: an endpoint must be set, and a session
    // must exist (logging in with an empty user name and password).
    void BeginSessionCall();
};
