// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/demo_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <pugixml.hpp>

#include "foundation/exceptions.h"
#include "foundation/memory_stream.h"
#include "protocol/scrambled_block.h"
#include "protocol/xml_text.h"
#include "records/demo_audios.h"
#include "records/narrelo_cumles.h"
#include "server/file_id.h"
#include "server/http_request_reader.h"
#include "server/sentence_splitter.h"
#include "server/service_log.h"
#include "server/session_token.h"
#include "server/speech_file.h"
#include "speech/xml_sentences.h"

namespace {

constexpr size_t MaxClientIDBytes = 256;

uint64_t Now() { return uint64_t(std::time(nullptr)); }

std::string Printable(std::string_view text, size_t limit) {
    std::string out;
    for (char c : text.substr(0, limit)) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    if (text.size() > limit) out += "...";
    return out;
}

// Whether `body` is a SOAP envelope the runtime may read: UTF-8, well-formed, an Envelope
// at the top, within the bounds on nesting, elements and attributes (the runtime's own
// reading grows faster than the envelope beyond them). `why` says what is wrong otherwise.
bool AcceptableEnvelope(const std::string &body, std::string &why) {
    const auto lineAt = [&](ptrdiff_t offset) {
        int line = 1;
        for (ptrdiff_t i = 0; i < offset && size_t(i) < body.size(); ++i)
            if (body[size_t(i)] == '\n') ++line;
        return line;
    };
    const bool utf16 = body.size() >= 2 && ((body[0] == '\xFE' && body[1] == '\xFF') ||
                                            (body[0] == '\xFF' && body[1] == '\xFE'));
    if (utf16 || body.find('\0') != std::string::npos) {
        why = "the request must be UTF-8";
        return false;
    }
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(body.data(), body.size(), pugi::parse_minimal, pugi::encoding_utf8);
    if (!result || !document.document_element()) {
        why = "not a well-formed SOAP envelope: XML error on line " +
              std::to_string(lineAt(result.offset)) + ": " +
              (result ? "no element" : result.description());
        return false;
    }
    const char *name = document.document_element().name();
    const char *colon = std::strrchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, "Envelope") != 0) {
        why = "not a SOAP envelope: its top element is " + std::string(name).substr(0, 64);
        return false;
    }
    // Without recursion: the depth is what is being checked.
    size_t elements = 0;
    pugi::xml_node node = document.document_element();
    int depth = 1;
    while (node) {
        if (node.type() == pugi::node_element) {
            ++elements;
            size_t attributes = 0;
            for (pugi::xml_attribute attribute = node.first_attribute(); attribute;
                 attribute = attribute.next_attribute())
                ++attributes;
            const int line = lineAt(node.offset_debug());
            if (depth > MaxXmlDepth) {
                why = "elements nested deeper than " + std::to_string(MaxXmlDepth) +
                      " (line " + std::to_string(line) + ")";
                return false;
            }
            if (attributes > size_t(MaxXmlAttributes)) {
                why = "more than " + std::to_string(MaxXmlAttributes) +
                      " attributes on one element (line " + std::to_string(line) + ")";
                return false;
            }
            if (elements > size_t(MaxXmlElements)) {
                why = "more than " + std::to_string(MaxXmlElements) + " elements";
                return false;
            }
        }
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node) node = node.next_sibling();
    }
    return true;
}

// What the client sent (a malformed text, a request refused) is its to mend; anything else
// (a file, the engine, a broken contract here, an exception not of the program's family) is
// the service's.
bool SenderIsAtFault(const std::exception &failure) {
    const auto *own = dynamic_cast<const TCustomException *>(&failure);
    if (!own) return false;
    switch (own->Category()) {
    case TErrorCategory::Format:
    case TErrorCategory::Refused: return true;
    case TErrorCategory::Internal:
    case TErrorCategory::InputOutput:
    case TErrorCategory::Service:
    case TErrorCategory::NoDevice: return false;
    }
    return false;
}

// The envelope of a fault, as the runtime would write it.
std::string SoapFaultEnvelope(const std::string &code, const std::string &text) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body><SOAP-ENV:Fault><faultcode>" + code + "</faultcode><faultstring>" +
           EscapeXmlText(text) + "</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string Serialised(TValtrosaFiles &list) {
    TMemoryStream stream(8192);
    list.SaveToStream(stream);
    return std::string(reinterpret_cast<const char *>(stream.Memory()), size_t(stream.DataSize()));
}

}  // namespace

TDemoService::TDemoService(TServiceShared &shared)
    : IDemoServerbindingService(0, 0), shared_(shared) {
    recv_timeout = shared.Options.IdleTimeout;  // an idle connection ends
    send_timeout = shared.Options.IdleTimeout;
    transfer_timeout = AnswerDeadlineSeconds;
    recv_maxlength = MaxRequestBytes + MaxHeaderBytes;  // a backstop: requests arrive whole
    // Backstops too: AcceptableEnvelope has refused anything beyond these already.
    maxlevel = MaxXmlDepth;
    maxoccurs = size_t(MaxXmlElements);
    socket_flags = MSG_NOSIGNAL;  // a client that hangs up never raises SIGPIPE
    InstallHooks();
}

TDemoService::TDemoService(const TDemoService &other)
    : IDemoServerbindingService(static_cast<const struct soap &>(other)),
      shared_(other.shared_),
      runtimeSend_(other.runtimeSend_),
      runtimeParseHeader_(other.runtimeParseHeader_) {}

TDemoService::~TDemoService() {
    if (answerFile_ >= 0) ::close(answerFile_);
}

TDemoService *TDemoService::copy() { return new TDemoService(*this); }

void TDemoService::InstallHooks() {
    runtimeSend_ = fsend;
    runtimeParseHeader_ = fparsehdr;
    frecv = MemoryRecv;
    fsend = CountingSend;
    fclose = KeepOpen;
    fparsehdr = ParseHeader;
    fget = HttpGet;
    fopt = Options;
}

size_t TDemoService::MemoryRecv(struct soap *soap, char *buffer, size_t length) {
    auto *self = static_cast<TDemoService *>(soap);
    const size_t count = std::min(length, self->input_.size() - self->inputAt_);
    std::memcpy(buffer, self->input_.data() + self->inputAt_, count);
    self->inputAt_ += count;
    return count;
}

int TDemoService::KeepOpen(struct soap *) {
    return SOAP_OK;  // the connection is the server's to close (or to finish sending on)
}

int TDemoService::CountingSend(struct soap *soap, const char *data, size_t length) {
    auto *self = static_cast<TDemoService *>(soap);
    if (self->buffering_) {
        self->output_.append(data, length);
        self->bytesOut_ += length;
        return SOAP_OK;
    }
    const int result = self->runtimeSend_(soap, data, length);
    if (result == SOAP_OK) self->bytesOut_ += length;
    return result;
}

int TDemoService::ParseHeader(struct soap *soap, const char *key, const char *value) {
    auto *self = static_cast<TDemoService *>(soap);
    // The runtime answers an Origin with Access-Control-* headers of its own: it never
    // sees one (the request policy has already refused a foreign one).
    if (strcasecmp(key, "Origin") == 0 || strncasecmp(key, "Access-Control-", 15) == 0)
        return SOAP_OK;
    return self->runtimeParseHeader_(soap, key, value);
}

int TDemoService::Options(struct soap *soap) {
    // Never reached (the request policy refuses OPTIONS first); a backstop all the same.
    return soap_send_empty_response(soap, 405);
}

std::string RefusalResponse(int status, const std::string &text, const std::string &extraHeader) {
    return HttpResponse(status, "text/xml; charset=utf-8",
                        SoapFaultEnvelope("SOAP-ENV:Client", text), extraHeader);
}

void LogRequest(const TServerOptions &options, const std::string &peer,
                const std::string &operation, uint64_t bytesIn, uint64_t bytesOut,
                double milliseconds, const std::string &result) {
    if (options.Quiet) return;
    char line[1024];
    // With several processes serving, each line names its process.
    const std::string process =
        options.Processes > 1 ? "[pid " + std::to_string(::getpid()) + "] " : std::string();
    const std::string shownOperation = Printable(operation, 200);
    const std::string shownResult = Printable(result, 300);
    const int length = std::snprintf(
        line, sizeof line, "%s%s %s in=%llu out=%llu %.1fms %s\n", process.c_str(), peer.c_str(),
        shownOperation.c_str(), static_cast<unsigned long long>(bytesIn),
        static_cast<unsigned long long>(bytesOut), milliseconds, shownResult.c_str());
    if (length <= 0) return;
    // Lines alike but for their sizes and times are one repeated line.
    LogLimited(peer + '\0' + shownOperation + '\0' + shownResult,
               std::string(line, std::min(size_t(length), sizeof line - 1)));
}

std::string TDemoService::ServeRequest(int connection, const std::string &peer,
                                       const std::string &localAddress, THttpRequest &&request,
                                       std::chrono::steady_clock::time_point opened) {
    operation_ = request.Method;
    result_.clear();
    listenHost_ = localAddress.empty()
                      ? shared_.ListenHost
                      : localAddress + ":" + std::to_string(shared_.AllowedHosts.Port);
    inputAt_ = 0;
    bytesIn_ = request.Bytes.size();
    bytesOut_ = 0;
    output_.clear();
    buffering_ = true;
    if (answerFile_ >= 0) ::close(answerFile_);
    answerFile_ = -1;
    answerFileSize_ = 0;
    socket = connection;

    std::string why;
    if (request.Method == "POST" &&
        !AcceptableEnvelope(request.Bytes.substr(request.HeaderSize), why)) {
        Refuse(500, "The request is refused: " + why);
    } else {
        input_ = std::move(request.Bytes);
        int code = SOAP_OK;
        try {
            code = serve();
        } catch (const std::exception &e) {
            // A failure no operation answered (one outside an operation's own net, or in
            // the GET hook): the client hears it as a fault, and this worker goes on.
            Failed(e);
        }
        if (result_.empty()) {
            if ((code == SOAP_OK || code == SOAP_STOP) && bytesOut_ == 0) {
                // The runtime read the request and answered nothing: the client hears why.
                Refuse(500, "The request was read but not understood");
            } else if (code == SOAP_OK || code == SOAP_STOP) {
                result_ = "ok";
            } else {
                const char *text = ::soap_fault_string(this);
                result_ = "error " + std::to_string(code) + (text ? std::string(": ") + text : "");
            }
        }
        if (buffering_ && output_.empty() && result_.rfind("cancelled", 0) != 0) {
            // The runtime gave up on the request without a word (an envelope with nothing
            // in it ends its reading early): the client still hears a fault.
            const char *text = ::soap_fault_string(this);
            Refuse(500, std::string("The request could not be read as a SOAP call") +
                            (text && *text ? std::string(": ") + text : std::string()));
        }
    }
    destroy();
    socket = SOAP_INVALID_SOCKET;  // the caller's
    input_.clear();

    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - opened);
    LogRequest(shared_.Options, peer, operation_, bytesIn_, bytesOut_,
               double(elapsed.count()) / 1000.0, result_);
    std::string answer = std::move(output_);
    output_ = std::string();
    return answer;
}

void TDemoService::Failed(const std::exception &failure) {
    result_ = std::string("fault: ") + failure.what();
    // A large file's answer may be partly sent already: the connection is then only closed.
    if (!buffering_) {
        output_.clear();
        return;
    }
    const char *code = SenderIsAtFault(failure) ? "SOAP-ENV:Client" : "SOAP-ENV:Server";
    output_ = HttpResponse(500, "text/xml; charset=utf-8", SoapFaultEnvelope(code, failure.what()));
    bytesOut_ = output_.size();
}

void TDemoService::Refuse(int status, const std::string &text) {
    result_ = std::to_string(status) + " " + text;
    output_ = RefusalResponse(status, text);  // in place of anything the runtime wrote
    bytesOut_ = output_.size();
}

int TDemoService::HttpGet(struct soap *soap) {
    return static_cast<TDemoService *>(soap)->ServeGet();
}

int TDemoService::ServeGet() {
    operation_ = std::string("GET ") + path;
    TWebAnswer answer = shared_.Web.Get(path, listenHost_);
    // A small file is answered from memory like everything else; a large one (the
    // installer) is handed over open, with the head of its answer, for the reading thread to
    // send as the client takes it: a slow reader of a large file holds no worker.
    std::error_code sizeError;
    if (!answer.FilePath.empty() &&
        std::filesystem::file_size(answer.FilePath, sizeError) <= MaxBufferedFileBytes && !sizeError) {
        std::ifstream in(answer.FilePath, std::ios::binary);
        answer.Body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) answer.Body.clear();
        else answer.FilePath.clear();
    }
    if (!answer.FilePath.empty()) {
        const int file =
            ::open(answer.FilePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        struct stat info {};
        if (file < 0 || ::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (file >= 0) ::close(file);
            Refuse(500, "The file cannot be read");
            return SOAP_OK;
        }
        output_ = HttpResponseHead(answer.Status, answer.ContentType, uint64_t(info.st_size),
                                   "X-Frame-Options: SAMEORIGIN\r\n");
        bytesOut_ = output_.size() + uint64_t(info.st_size);
        answerFile_ = file;
        answerFileSize_ = uint64_t(info.st_size);
        result_ = std::to_string(answer.Status);
        return SOAP_OK;
    }
    http_content = answer.ContentType.c_str();  // read by soap_response below
    const int status = answer.Status == 200 ? SOAP_FILE : SOAP_FILE + answer.Status;
    if (soap_response(this, status) != SOAP_OK) return error;
    if (soap_send_raw(this, answer.Body.data(), answer.Body.size()) != SOAP_OK) return error;
    if (soap_end_send(this) != SOAP_OK) return error;
    result_ = std::to_string(answer.Status);
    http_content = nullptr;
    return SOAP_OK;
}

int TDemoService::TakeAnswerFile(uint64_t &size) {
    const int file = answerFile_;
    size = answerFileSize_;
    answerFile_ = -1;
    answerFileSize_ = 0;
    return file;
}

std::string TDemoService::TextOf(const char *xml) { return UnescapeXmlText(xml ? xml : ""); }

char *TDemoService::Duplicate(const std::string &text) { return soap_strdup(this, text.c_str()); }

void TDemoService::SetBinary(xsd__base64Binary &target, const std::string &bytes) {
    target.__size = int(bytes.size());
    target.__ptr = nullptr;
    if (!bytes.empty()) {
        target.__ptr = static_cast<unsigned char *>(soap_malloc(this, bytes.size()));
        std::memcpy(target.__ptr, bytes.data(), bytes.size());
    }
}

int TDemoService::SenderFault(const std::string &text) {
    result_ = "fault: " + text;
    return soap_senderfault(Duplicate(text), nullptr);
}

int TDemoService::ReceiverFault(const std::string &text) {
    result_ = "fault: " + text;
    return soap_receiverfault(Duplicate(text), nullptr);
}

int TDemoService::Fault(const std::exception &failure) {
    return SenderIsAtFault(failure) ? SenderFault(failure.what()) : ReceiverFault(failure.what());
}

std::string TDemoService::AudioOf(const TSynthesisRequest &request) {
    const std::string digest = RequestDigest(request);
    if (std::optional<std::string> ogg = shared_.Cache->Find(digest)) return *ogg;
    // A client that hangs up stops its speech: the engine and the workers are for the
    // clients still waiting.
    const int connection = socket;
    const auto hungUp = [connection] {
        pollfd waiting{connection, POLLRDHUP, 0};
        return ::poll(&waiting, 1, 0) > 0 && (waiting.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    };
    // An item made ahead by another thread is waited for, not spoken here: look before each
    // item, so a long answer ends within one item of the hang-up.
    if (hungUp()) throw TSpeechCancelled("the client hung up");
    if (shared_.Maker) return shared_.Maker->Get(request, hungUp);
    std::string ogg = SynthesiseFile(*shared_.Synthesiser, request, hungUp).Ogg;
    shared_.Cache->Store(digest, ogg);
    return ogg;
}

std::string TDemoService::SpokenTextOf(const TSynthesisRequest &request) {
    // Kept in memory beside the audio (never in the cache folder, which holds no text) under
    // the digest of the text alone (speaker, volume, speed and file type 0, which no request
    // has), so every voice of one text shares it.
    const std::string digest = RequestDigest({request.Text, request.IsXml, 0, 0, 0, 0, false});
    if (std::optional<std::string> spoken = shared_.Cache->Find(digest)) return *spoken;
    std::string spoken = TSpeechSynthesiser::SpokenTextOf(request);
    TSpeechSynthesiser::CheckSpeakable(spoken);
    shared_.Cache->StoreInMemory(digest, spoken);
    return spoken;
}

int TDemoService::HungUp() {
    result_ = "cancelled: the client hung up";
    return SOAP_EOF;
}

int TDemoService::NotOffered(const char *operation) {
    operation_ = operation;
    return SenderFault(std::string("The operation ") + operation +
                       " is not offered by this server");
}

int TDemoService::CheckSessionOf(const char *session) {
    const TSessionInfo info = CheckSession(shared_.Key, TextOf(session), Now());
    switch (info.Check) {
    case TSessionCheck::Valid: return SOAP_OK;
    case TSessionCheck::Expired:
        return SenderFault("The session has expired; start the program again to log in");
    case TSessionCheck::Unknown: break;
    }
    return SenderFault("Unknown session: it was not issued by this service; start the program "
                       "again to log in");
}

int TDemoService::UpdateRequired2(int, int AVersion, bool &return_) {
    operation_ = "UpdateRequired2";
    return_ = AVersion < shared_.Options.MinVersion;
    return SOAP_OK;
}

int TDemoService::Login(int, int, char *, char *, char *ClientID, ns1__LoginResponse &result) {
    operation_ = "Login";
    try {
        std::string id = TextOf(ClientID);
        if (id.size() > MaxClientIDBytes)
            return SenderFault("The client identifier is longer than " +
                               std::to_string(MaxClientIDBytes) + " bytes");
        if (id.empty() || id.find('\0') != std::string::npos) id = NewClientID();
        const std::string session =
            IssueSession(shared_.Key, id, Now(), uint64_t(shared_.Options.SessionLifetime));
        result.ClientID = Duplicate(id);
        result.return_ = Duplicate(session);
        return SOAP_OK;
    } catch (const std::exception &e) {
        return Fault(e);
    }
}

int TDemoService::LastSetupUrl2(char *SessionID, char *&return_) {
    operation_ = "LastSetupUrl2";
    if (const int checked = CheckSessionOf(SessionID); checked != SOAP_OK) return checked;
    return_ = Duplicate(shared_.Web.InstallerUrl(listenHost_));
    return SOAP_OK;
}

int TDemoService::ParseSentences(char *SessionID, char *AText, bool IsXML,
                                 xsd__base64Binary &return_) {
    operation_ = "ParseSentences";
    if (const int checked = CheckSessionOf(SessionID); checked != SOAP_OK) return checked;
    try {
        const std::string text = TextOf(AText);
        if (text.size() > MaxTextBytes)
            return SenderFault("The text is too long: " + std::to_string(text.size()) +
                               " bytes, at most " + std::to_string(MaxTextBytes));
        TNarreloCumles sentences;
        sentences.OwnsItems = true;
        const auto add = [&](const TTextRange &range, const std::string &sentenceText) {
            TNarreloCumle *sentence = sentences.CreateItem();
            sentence->Start = range.Start;
            sentence->Length = range.Length;
            sentence->Text.Assign(sentenceText.data(), int32_t(sentenceText.size()));
            sentence->IsXml = IsXML;
            sentences.Add(sentence);
        };
        if (IsXML) {
            for (const TXmlSentence &sentence : ParseXmlSentences(text))
                add(sentence.Range, sentence.Document);
        } else {
            for (const TTextRange &range : SplitIntoSentences(text))
                add(range, text.substr(size_t(range.Start), size_t(range.Length)));
        }
        const std::string payload = Serialised(sentences);
        SetBinary(return_, ScrambleBlock(payload, RandomBytes(SelectorCount(payload.size()))));
        result_ = "ok " + std::to_string(sentences.Count()) + " sentences";
        return SOAP_OK;
    } catch (const std::exception &e) {
        return Fault(e);
    }
}

int TDemoService::Synthesise(char *SessionID, char *AText, bool IsXML, int ASpeaker,
                             int AVolume, int ASpeed, int AFileType, xsd__base64Binary &return_) {
    operation_ = "Synthesise";
    if (const int checked = CheckSessionOf(SessionID); checked != SOAP_OK) return checked;
    try {
        TSynthesisRequest request{TextOf(AText), IsXML, ASpeaker, AVolume, ASpeed, AFileType};
        if (request.Text.size() > MaxTextBytes)
            return SenderFault("The text is too long: " + std::to_string(request.Text.size()) +
                               " bytes, at most " + std::to_string(MaxTextBytes));
        TSpeechSynthesiser::CheckOffered(request);
        const std::string spoken = SpokenTextOf(request);
        // The answer names the files; each is made when it is fetched (its identifier holds
        // its whole request), so the answer comes at once. A sentence with more to say than
        // one item holds is answered as pieces, each its words as spoken. The first (or
        // only) one is answered as two parts cut from its speech after its first clause, or
        // after its first words when no clause ends soon (ShortFirstPartEnd), so the first
        // sound comes from a second or two of speech; played in a row they are its speech.
        const std::vector<std::string> pieces = TSpeechSynthesiser::SpeechPieces(spoken);
        struct TItem {
            TSynthesisRequest Request;
            std::string Text, Spoken;
            bool IsXml = false;
        };
        std::vector<TItem> items;
        for (const std::string &piece : pieces) {
            TSynthesisRequest item = request;
            if (pieces.size() > 1) {
                item.Text = piece;
                item.IsXml = false;
                item.IsSpoken = true;
            }
            const int32_t cut = items.empty() ? TSpeechSynthesiser::ShortFirstPartEnd(piece) : 0;
            if (cut == 0) {
                items.push_back(
                    {item, pieces.size() > 1 ? piece : request.Text, piece, item.IsXml});
                continue;
            }
            for (const auto &[from, to] :
                 {std::pair{0, cut}, std::pair{cut, int32_t(piece.size())}}) {
                TSynthesisRequest part = item;
                part.PartFrom = from;
                part.PartTo = to;
                const std::string words = TSpeechSynthesiser::PartText(piece, from, to);
                items.push_back({part, words, words, false});
            }
        }
        for (size_t i = 0; shared_.Maker && i + 1 < items.size(); ++i)
            shared_.Maker->Link(items[i].Request, items[i + 1].Request);

        TDemoAudios audios;
        uint64_t inlineBytes = 0;
        for (const TItem &entry : items) {
            const TSynthesisRequest &item = entry.Request;
            TDemoAudio *audio = audios.CreateItem();
            audios.Add(audio);
            audio->FileType = item.FileType;
            audio->Text.Assign(entry.Text.data(), int32_t(entry.Text.size()));
            audio->SpokenText.Assign(entry.Spoken.data(), int32_t(entry.Spoken.size()));
            audio->Volume = item.Volume;
            audio->Speed = item.Speed;
            audio->IsXml = entry.IsXml;
            audio->Speaker = item.Speaker;
            const std::string fileId = MakeFileId(shared_.Key, item);
            audio->FileId.Assign(fileId.data(), int32_t(fileId.size()));
            if (shared_.Options.Inline) {
                const std::string ogg = AudioOf(item);
                audio->Data.Write(ogg.data(), int32_t(ogg.size()));
                inlineBytes += ogg.size();
            }
        }
        SetBinary(return_, Serialised(audios));
        result_ = "ok " + std::to_string(items.size()) + " items" +
                  (shared_.Options.Inline ? ", " + std::to_string(inlineBytes) + " audio bytes" : "");
        return SOAP_OK;
    } catch (const TSpeechCancelled &) {
        return HungUp();
    } catch (const std::exception &e) {
        return Fault(e);
    }
}

int TDemoService::GetSynthesisedFile(char *SessionID, char *AFileID, xsd__base64Binary &return_) {
    operation_ = "GetSynthesisedFile";
    if (const int checked = CheckSessionOf(SessionID); checked != SOAP_OK) return checked;
    return_.__ptr = nullptr;
    return_.__size = 0;
    try {
        const std::optional<TSynthesisRequest> request =
            ReadFileId(shared_.Key, TextOf(AFileID), MaxTextBytes);
        if (!request)
            return SenderFault("Unknown file identifier: it was not issued by this service");
        const std::string oggBytes = AudioOf(*request);
        const std::string *ogg = &oggBytes;
        SetBinary(return_, *ogg);
        result_ = "ok " + std::to_string(ogg->size()) + " bytes";
        return SOAP_OK;
    } catch (const TSpeechCancelled &) {
        return HungUp();
    } catch (const std::exception &e) {
        return Fault(e);
    }
}

int TDemoService::UpdateRequired(int, bool &) { return NotOffered("UpdateRequired"); }
int TDemoService::Login4(char *, int, int, char *, char *, char *, char *&) {
    return NotOffered("Login4");
}
int TDemoService::LastSetupUrl(char *&) { return NotOffered("LastSetupUrl"); }
int TDemoService::Speak(char *, char *, bool, int, int, int, int, xsd__base64Binary &) {
    return NotOffered("Speak");
}
int TDemoService::SpeakNormal(char *, char *, char *, ns1__SpeakNormalResponse &) {
    return NotOffered("SpeakNormal");
}
int TDemoService::GetKey(char *, char *&) { return NotOffered("GetKey"); }
int TDemoService::ParseSentencesNoCrypt(char *, char *, bool, bool, char *&) {
    return NotOffered("ParseSentencesNoCrypt");
}
int TDemoService::SetListenHistory(const xsd__base64Binary &, bool, xsd__base64Binary &) {
    return NotOffered("SetListenHistory");
}
