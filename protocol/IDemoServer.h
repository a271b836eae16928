// SPDX-License-Identifier: GPL-3.0-or-later
// The speech service's SOAP interface, IDemoServer, as soapcpp2 reads it (built with
// `soapcpp2 -1 -i -L -x -w`; the generated files stay in the build tree).
//
// SOAP 1.1, RPC style, SOAP encoding; every operation's SOAPAction is
// "urn:DemoServerIntf-IDemoServer#" followed by its name. Parameter elements are unqualified
// and carry no xsi:type. The element name AAplicationID is spelled with one p: that is the
// service's own spelling and must not be corrected.
//
// Every string the client sends is declared _XML (literal XML) and escaped by the caller
// with EscapeXmlText (protocol/xml_text.h): that is the only way this runtime writes a line
// feed as "&#xA;", so that CR LF line ends survive the service's XML line-end handling.
// Strings the service answers with are plain char*, decoded by the runtime (each character
// reduced to its low 8 bits).

//gsoap ns1 service name:      IDemoServerbinding
//gsoap ns1 service type:      IDemoServer
//gsoap ns1 service port:      http://localhost:8081/Project2.DemoServer/soap/IDemoServer
//gsoap ns1 service namespace: urn:DemoServerIntf-IDemoServer
//gsoap ns1 service transport: http://schemas.xmlsoap.org/soap/http
//gsoap ns1 service style:     rpc
//gsoap ns1 service encoding:  encoded
//gsoap ns1 schema namespace:  urn:DemoServerIntf-IDemoServer

// Binary values: the bytes live in the SOAP context's memory until it is cleared. The
// attachment fields (id, type, options) are always left null.
class xsd__base64Binary {
public:
    unsigned char *__ptr;
    int __size;
    char *id;
    char *type;
    char *options;
    struct soap *soap;
};

// Results with more than one child; the members are in the service's order.
struct ns1__LoginResponse {
    char *ClientID;
    char *return_;
};

struct ns1__SpeakNormalResponse {
    char *return_;
    int PCMSize;
};

//gsoap ns1 service method-action: UpdateRequired "urn:DemoServerIntf-IDemoServer#UpdateRequired"
int ns1__UpdateRequired(int AVersion, bool &return_);

//gsoap ns1 service method-action: Login4 "urn:DemoServerIntf-IDemoServer#Login4"
int ns1__Login4(_XML AExistsClientID, int AAplicationID, int AVersion, _XML AUserName,
                _XML APassword, _XML AUserInfo, char *&SessionID);

//gsoap ns1 service method-action: LastSetupUrl "urn:DemoServerIntf-IDemoServer#LastSetupUrl"
int ns1__LastSetupUrl(char *&return_);

//gsoap ns1 service method-action: UpdateRequired2 "urn:DemoServerIntf-IDemoServer#UpdateRequired2"
int ns1__UpdateRequired2(int AAplicationID, int AVersion, bool &return_);

//gsoap ns1 service method-action: Login "urn:DemoServerIntf-IDemoServer#Login"
int ns1__Login(int AAplicationID, int AVersion, _XML AUserName, _XML APassword, _XML ClientID,
               struct ns1__LoginResponse &result);

//gsoap ns1 service method-action: LastSetupUrl2 "urn:DemoServerIntf-IDemoServer#LastSetupUrl2"
int ns1__LastSetupUrl2(_XML SessionID, char *&return_);

//gsoap ns1 service method-action: Speak "urn:DemoServerIntf-IDemoServer#Speak"
int ns1__Speak(_XML SessionID, _XML AText, bool IsXML, int ASpeaker, int AVolume, int ASpeed,
               int AFileType, xsd__base64Binary &return_);

//gsoap ns1 service method-action: SpeakNormal "urn:DemoServerIntf-IDemoServer#SpeakNormal"
int ns1__SpeakNormal(_XML ASessionID, _XML AText, _XML AParameters,
                     struct ns1__SpeakNormalResponse &result);

//gsoap ns1 service method-action: GetKey "urn:DemoServerIntf-IDemoServer#GetKey"
int ns1__GetKey(_XML ASessionID, char *&return_);

//gsoap ns1 service method-action: ParseSentences "urn:DemoServerIntf-IDemoServer#ParseSentences"
int ns1__ParseSentences(_XML SessionID, _XML AText, bool IsXML, xsd__base64Binary &return_);

//gsoap ns1 service method-action: ParseSentencesNoCrypt "urn:DemoServerIntf-IDemoServer#ParseSentencesNoCrypt"
int ns1__ParseSentencesNoCrypt(_XML ASessionID, _XML AText, bool AIsXML, bool AReturnAsUTF8,
                               char *&return_);

//gsoap ns1 service method-action: Synthesise "urn:DemoServerIntf-IDemoServer#Synthesise"
int ns1__Synthesise(_XML SessionID, _XML AText, bool IsXML, int ASpeaker, int AVolume,
                    int ASpeed, int AFileType, xsd__base64Binary &return_);

//gsoap ns1 service method-action: GetSynthesisedFile "urn:DemoServerIntf-IDemoServer#GetSynthesisedFile"
int ns1__GetSynthesisedFile(_XML SessionID, _XML AFileID, xsd__base64Binary &return_);

//gsoap ns1 service method-action: SetListenHistory "urn:DemoServerIntf-IDemoServer#SetListenHistory"
int ns1__SetListenHistory(xsd__base64Binary AHistory, bool AStore, xsd__base64Binary &return_);
