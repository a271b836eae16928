// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Simple XML sentences: one value marked with a text kind, so that the service reads it the
// way that kind is read (a person's name, an address, a phone number...). The window's XML
// builder and narrelo-say --xml both produce them here; nothing in this unit knows windows.
//
// The service's text kinds; 6 is refused, and any kind outside 1..5 has no name.
//   1 address, 2 commercial title, 3 person name, 4 licence plate, 5 phone number.

#include "foundation/my_string.h"

inline constexpr int XmlTextKindAddress = 1;
inline constexpr int XmlTextKindCommercialTitle = 2;
inline constexpr int XmlTextKindPersonName = 3;
inline constexpr int XmlTextKindLicensePlate = 4;
inline constexpr int XmlTextKindPhoneNumber = 5;

// The seven CR LF lines of a sentence whose one part holds `value` (escaped with EscapeXml)
// with TEXTKIND `kind` written in decimal:
//   <xml> / <SENTENCE> / <SENTENCEPART TEXTKIND="k"> / value / </SENTENCEPART> /
//   </SENTENCE> / </xml>
// A value without buffer is taken as "". Kind 6 raises "Valid TextKind Required"; other kinds
// are written as given.
MyString FormatXmlSentence(const MyString &value, int kind);

// Replaces "&", "<" and ">" by "&amp;", "&lt;" and "&gt;", in place. A text without any of
// them is left exactly as it was (not even copied; a text without buffer keeps none). Quotes
// and apostrophes stay: the value is element text, never an attribute.
void EscapeXml(MyString &text);
