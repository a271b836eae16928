#include "service/demo_client_base.h"

#include <string>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "foundation/registry.h"
#include "records/demo_audios.h"
#include "records/encrypted_raw_data_static.h"
#include "records/narrelo_cumles.h"
#include "service/xml_text.h"

namespace {

constexpr const char16_t *ClientIDKey = u"Software\\Valtrosa\\Quellar\\Narrelo";
constexpr const char16_t *ClientIDValue = u"ClientID";
constexpr int32_t TimeoutSeconds = 60;
constexpr int32_t ResultGranularity = 8192;

// Releases what the runtime allocated for one call (its answer, its fault record) when the
// call's scope ends, whether it returns or raises. Results are copied out before that.
class TCallScope {
public:
    explicit TCallScope(IDemoServerbindingProxy &proxy) : proxy_(proxy) {}
    ~TCallScope() { proxy_.destroy(); }
    TCallScope(const TCallScope &) = delete;
    TCallScope &operator=(const TCallScope &) = delete;

private:
    IDemoServerbindingProxy &proxy_;
};

// A request parameter: the 8-bit text as element content, writable as the proxy wants it.
class TXmlArgument {
public:
    explicit TXmlArgument(const char *text) : xml_(EscapeXmlText(text)) {}
    explicit TXmlArgument(const MyString &text) : xml_(EscapeXmlText(text.View())) {}
    char *Get() { return xml_.data(); }

private:
    std::string xml_;
};

}  // namespace

TDemoClientBase::TDemoClientBase() : IDemoServerbindingProxy(0, 0) {
    recv_timeout = TimeoutSeconds;
    send_timeout = TimeoutSeconds;
    soap_endpoint = nullptr;
    header = nullptr;
}

TDemoClientBase::~TDemoClientBase() = default;

bool TDemoClientBase::CheckUpdateRequired() {
    if (UpdateChecked) return UpdateRequiredCache;
    TCallScope scope(*this);
    bool answer = false;
    RaiseServiceError(UpdateRequired2(ApplicationID, ClientVersion, answer));
    UpdateRequiredCache = answer;
    UpdateChecked = true;
    return answer;
}

void TDemoClientBase::EnsureSession(const char *userName, const char *password) {
    if (SessionID.Length() > 0) return;
    const MyString previousClientID(ClientID);
    MyString clientID(ClientID);
    if (clientID.Length() == 0) clientID = ReadStoredClientID();
    const bool hadClientID = clientID.Length() > 0;

    MyString newClientID, newSessionID;
    {
        TCallScope scope(*this);
        TXmlArgument user(userName), pass(password), id(clientID);
        ns1__LoginResponse answer{};
        RaiseServiceError(
            Login(ApplicationID, ClientVersion, user.Get(), pass.Get(), id.Get(), answer));
        newClientID.Assign(answer.ClientID);
        newSessionID.Assign(answer.return_);
    }
    ClientID = newClientID;
    if (!hadClientID) {
        try {
            StoreClientID();
        } catch (...) {
            ClientID = previousClientID;
            throw;
        }
    }
    SessionID = newSessionID;
}

void TDemoClientBase::BeginSessionCall() {
    if (soap_endpoint == nullptr || soap_endpoint[0] == '\0')
        RaiseError("Server Address not specified in DSClient");
    EnsureSession("", "");
}

MyString TDemoClientBase::GetSetupUrl() {
    BeginSessionCall();
    TCallScope scope(*this);
    TXmlArgument session(SessionID);
    char *url = nullptr;
    RaiseServiceError(LastSetupUrl2(session.Get(), url));
    return MyString(url);
}

void TDemoClientBase::LoadSentences(const char *text, uint8_t isXml, TNarreloCumles &sentences) {
    BeginSessionCall();
    TMemoryStream stream(ResultGranularity);
    {
        TCallScope scope(*this);
        TXmlArgument session(SessionID), argument(text);
        xsd__base64Binary answer;
        RaiseServiceError(ParseSentences(session.Get(), argument.Get(), isXml != 0, answer));
        if (answer.__size > 0) stream.Write(answer.__ptr, answer.__size);
    }
    stream.Seek(0, soFromBeginning);

    // An empty answer fails here too, with "Internal Memory Is Nil".
    TEnCryptedRawDataStatic raw;
    raw.Unscramble(stream.Memory(), stream.DataSize());
    if (raw.Payload() == nullptr || raw.PayloadSize() <= 0) RaiseError("Internal Memory Is Nil");
    // The payload lies in the holder's own copy, so the stream can be refilled from it.
    stream.Clear();
    stream.Write(raw.Payload(), raw.PayloadSize());
    stream.Seek(0, soFromBeginning);
    sentences.LoadFromStream(stream);
}

void TDemoClientBase::SynthesiseSentence(const char *text, uint8_t isXml, int32_t speaker,
                                         int32_t volume, int32_t speed, int32_t fileType,
                                         TDemoAudios &audios) {
    BeginSessionCall();
    TMemoryStream stream(ResultGranularity);
    {
        TCallScope scope(*this);
        TXmlArgument session(SessionID), argument(text);
        xsd__base64Binary answer;
        RaiseServiceError(Synthesise(session.Get(), argument.Get(), isXml != 0, speaker, volume,
                                     speed, fileType, answer));
        if (answer.__size > 0) stream.Write(answer.__ptr, answer.__size);
    }
    stream.Seek(0, soFromBeginning);
    audios.LoadFromStream(stream);
}

int32_t TDemoClientBase::LoadSynthesisedFile(TStream &stream, const char *fileId) {
    BeginSessionCall();
    TCallScope scope(*this);
    TXmlArgument session(SessionID), file(fileId);
    xsd__base64Binary answer;
    RaiseServiceError(GetSynthesisedFile(session.Get(), file.Get(), answer));
    static const unsigned char nothing = 0;
    const int32_t size = answer.__size > 0 ? answer.__size : 0;
    return stream.Write(size > 0 ? answer.__ptr : &nothing, size);
}

void TDemoClientBase::RaiseServiceError(int result) {
    if (result == 0) return;
    MyString message("WebServis çağrısında hata oluştu\r\n\r\n"_cp);
    if (fault != nullptr) {
        const char *text = soap_fault_string();
        if (text != nullptr) message.Append(text);
    } else {
        message.Append(MyString::MakeStr("HataKodu: %d", result).Text());
    }
    throw TException(message.Text(), size_t(message.Length()));
}

MyString TDemoClientBase::ReadStoredClientID() {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    if (!registry.OpenIfExists() || !registry.ValueExists(ClientIDValue)) return MyString("");
    return registry.ReadString(ClientIDValue);
}

void TDemoClientBase::StoreClientID() {
    TRegistry registry(HKEY_CURRENT_USER, ClientIDKey);
    registry.CreateIfMissing = true;
    registry.WriteString(ClientIDValue, ClientID.Text(), ClientID.Length());
}
