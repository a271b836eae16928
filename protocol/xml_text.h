// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the client's 8-bit strings travel as SOAP element text, and back.
//
// Every byte of a Windows-1254 string is sent as the character whose code is that byte value
// (U+0000..U+00FF): bytes below 0x80 as themselves, 0x80..0xFF as their two-byte UTF-8
// sequence. The byte is not converted to its Windows-1254 character: 0xFE goes out as U+00FE.
// "&", "<" and ">" become entity references; CR and LF become "&#xD;" and "&#xA;" so that
// CR LF line ends survive XML line-end handling; tab and double quote go out unchanged.
//
// The request parameters are declared as literal XML in IDemoServer.h, so the runtime sends
// EscapeXmlText's result as it is, and a service built on the same declarations receives the
// element content as it was written, which UnescapeXmlText turns back into the bytes.

#include <string>
#include <string_view>

// The element text for `text`, read up to its NUL; null gives "".
std::string EscapeXmlText(const char *text);
std::string EscapeXmlText(std::string_view bytes);

// The bytes of literal element content: entity references (amp, lt, gt, quot, apos) and
// character references (decimal or hexadecimal) are resolved, CDATA sections are taken as
// they stand, and UTF-8 sequences are decoded. Every character keeps only the low 8 bits of
// its code, as the client does with incoming strings. A malformed reference or UTF-8
// sequence is passed through byte for byte.
std::string UnescapeXmlText(std::string_view xml);
