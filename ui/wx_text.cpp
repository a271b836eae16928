// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/wx_text.h"

#include <cstring>

#include <wx/control.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "foundation/code_page.h"

wxString ToWx(const char *text, int32_t length) {
    if (!text) return wxString();
    std::size_t n = length < 0 ? std::strlen(text) : std::size_t(length);
    return ToWx(std::string_view(text, n));
}

wxString ToWx(std::string_view text) {
    wxString out;
    out.reserve(text.size());
    for (char c : text) out += wxUniChar(unsigned(cp1254::ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

wxString ToWx(const MyString &text) { return ToWx(text.View()); }

std::string FromWx(const wxString &text) {
    std::string out;
    out.reserve(text.length());
    for (wxUniChar c : text) {
        int byte = cp1254::FromUnicode(char32_t(c.GetValue()));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

MyString FromWxToMyString(const wxString &text) {
    std::string bytes = FromWx(text);
    MyString out;
    out.Assign(bytes.data(), int32_t(bytes.size()));
    return out;
}

wxString WideToWx(std::u16string_view text) {
    wxString out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out += wxUniChar(unsigned(c));
    }
    return out;
}

std::u16string WxToWide(const wxString &text) {
    std::u16string out;
    out.reserve(text.length());
    for (wxUniChar ch : text) {
        char32_t c = char32_t(ch.GetValue());
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

void SetAnsiText(wxWindow *window, const char *text) { SetAnsiText(window, text, -1); }

void SetAnsiText(wxWindow *window, const char *text, int32_t length) {
    if (!window) return;
    wxString value = ToWx(text, length);
    if (auto *edit = dynamic_cast<wxTextCtrl *>(window))
        edit->SetValue(value);
    else
        window->SetLabel(value);
}

wxString ShownLabel(const wxWindow *window) {
    if (!window) return wxString();
    if (auto *control = dynamic_cast<const wxControl *>(window)) return control->GetLabelText();
    return window->GetLabel();
}

wxString WithMnemonic(const wxString &text, char letter) {
    wxString out;
    bool marked = letter == 0;
    const wxUniChar lower = wxTolower(letter), upper = wxToupper(letter);
    for (wxUniChar c : text) {
        if (c == '&') {
            out += "&&";
            continue;
        }
        if (!marked && (c == lower || c == upper)) {
            out += '&';
            marked = true;
        }
        out += c;
    }
    return out;
}

void SetAnsiTextWithMnemonic(wxWindow *window, const char *text, char letter) {
    if (window) window->SetLabel(WithMnemonic(ToWx(text), letter));
}
