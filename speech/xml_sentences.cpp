// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/xml_sentences.h"

#include <cstdlib>
#include <cstring>

#include <pugixml.hpp>

#include "speech/speech_limits.h"

namespace {

// Bytes are taken as they are: no encoding guess, no conversion.
constexpr unsigned ParseOptions = pugi::parse_default;

int LineOf(std::string_view text, ptrdiff_t offset) {
    if (offset < 0) offset = 0;
    if (size_t(offset) > text.size()) offset = ptrdiff_t(text.size());
    int line = 1;
    for (ptrdiff_t i = 0; i < offset; ++i)
        if (text[size_t(i)] == '\n') ++line;
    return line;
}

void Parse(pugi::xml_document &xml, std::string_view document, unsigned options = ParseOptions) {
    const pugi::xml_parse_result result =
        xml.load_buffer(document.data(), document.size(), options, pugi::encoding_utf8);
    if (!result)
        throw TXmlSentenceError("XML error on line " +
                                std::to_string(LineOf(document, result.offset)) + ": " +
                                result.description());
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Visits the nodes below `root` in document order, without recursion (a text may nest
// deeply); `visit(node, depth)` (the root's children have depth 1) returns whether to go
// into the node's children.
template <typename Visit>
void Walk(const pugi::xml_node &root, Visit visit) {
    pugi::xml_node node = root.first_child();
    int depth = 1;
    while (node) {
        if (visit(node, depth) && node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (!node.next_sibling()) {
            node = node.parent();
            --depth;
            if (!node || node == root) return;
        }
        node = node.next_sibling();
    }
}

void CheckDepth(std::string_view document, const pugi::xml_node &node, int depth) {
    if (depth > MaxXmlTextDepth)
        throw TXmlSentenceError("XML error on line " +
                                std::to_string(LineOf(document, node.offset_debug())) +
                                ": elements nested deeper than " + std::to_string(MaxXmlTextDepth));
}

// Where `node` begins in the document: its "<", or its first byte for text.
ptrdiff_t StartOf(const pugi::xml_node &node) {
    const ptrdiff_t at = node.offset_debug();  // a name's or a value's first byte
    switch (node.type()) {
        case pugi::node_element:
            return at - 1;  // "<"
        case pugi::node_pi:
        case pugi::node_declaration:
            return at - 2;  // "<?"
        case pugi::node_comment:
            return at - 4;  // "<!--"
        case pugi::node_cdata:
            return at - 9;  // "<![CDATA["
        default:
            return at;
    }
}

// The end (one past its last byte) of `element` at `depth`, from the parser's offsets: every
// byte of the document belongs to a node (white space, comments and processing instructions
// included) except the end tags, so the element ends where the next node after it begins,
// less the end tags of the ancestors it closes on the way there.
size_t EndOf(std::string_view document, const pugi::xml_node &element, int depth) {
    pugi::xml_node next = element;
    int closed = 0;  // ancestors whose end tags stand between the element and `next`
    while (next && next.type() != pugi::node_document && !next.next_sibling()) {
        next = next.parent();
        ++closed;
    }
    size_t limit = document.size();
    if (next && next.type() != pugi::node_document)
        limit = size_t(StartOf(next.next_sibling()));
    else
        closed = depth - 1;  // the element's subtree ends the document: every ancestor closes
    // White space there is outside every element (inside one it would be a node).
    while (limit > 0 &&
           std::string_view(" \t\r\n").find(document[limit - 1]) != std::string_view::npos)
        --limit;
    for (int i = 0; i < closed && limit > 0; ++i) {
        const size_t tag = document.rfind("</", limit - 1);
        if (tag == std::string_view::npos) break;
        limit = tag;
    }
    return limit;
}

}  // namespace

std::vector<TXmlSentence> ParseXmlSentences(std::string_view document) {
    // XML has no NUL character, and the parser ends a document at one: the bytes after it
    // would be taken for nothing, and the offsets of what comes before with them.
    if (const size_t nul = document.find('\0'); nul != std::string_view::npos)
        throw TXmlSentenceError("XML error on line " + std::to_string(LineOf(document, ptrdiff_t(nul))) +
                                ": a NUL byte, which XML does not allow");
    pugi::xml_document xml;
    // Every kind of node, so that the parser accounts for every byte (see EndOf).
    Parse(xml, document,
          ParseOptions | pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata |
              pugi::parse_declaration | pugi::parse_doctype);
    std::vector<TXmlSentence> sentences;
    size_t answerBytes = 0;
    Walk(xml, [&](const pugi::xml_node &node, int depth) {
        CheckDepth(document, node, depth);
        if (node.type() != pugi::node_element || std::strcmp(node.name(), "SENTENCE") != 0)
            return true;
        const auto lineOf = [&] { return std::to_string(LineOf(document, node.offset_debug())); };
        // A sentence holds no sentence: the answer would repeat the inner ones.
        for (pugi::xml_node inner = node.first_child(); inner;) {
            if (inner.type() == pugi::node_element && std::strcmp(inner.name(), "SENTENCE") == 0)
                throw TXmlSentenceError("XML error on line " + lineOf() +
                                        ": a SENTENCE inside another SENTENCE");
            if (inner.first_child()) {
                inner = inner.first_child();
                continue;
            }
            while (inner && !inner.next_sibling()) {
                inner = inner.parent();
                if (inner == node) inner = pugi::xml_node();
            }
            if (inner) inner = inner.next_sibling();
        }
        const size_t from = size_t(StartOf(node));
        const size_t end = EndOf(document, node, depth);
        TXmlSentence sentence;
        sentence.Range = {int32_t(from), int32_t(end - from)};
        sentence.Document = "<xml>\r\n";
        sentence.Document.append(document.substr(from, end - from));
        sentence.Document += "\r\n</xml>\r\n";
        // What is handed on is read again as a document of its own: it must be one, whatever
        // the offsets made of a text the parser took.
        {
            pugi::xml_document alone;
            const pugi::xml_parse_result result = alone.load_buffer(
                sentence.Document.data(), sentence.Document.size(), ParseOptions, pugi::encoding_utf8);
            if (!result || !alone.child("xml").child("SENTENCE"))
                throw TXmlSentenceError("XML error on line " + lineOf() +
                                        ": the SENTENCE element does not stand as a document of its own" +
                                        (result ? std::string() : std::string(" (") + result.description() + ")"));
        }
        answerBytes += sentence.Document.size();
        if (answerBytes > MaxSentenceAnswerBytes)
            throw TXmlSentenceError("The sentences of this text are more than " +
                                    std::to_string(MaxSentenceAnswerBytes) + " bytes");
        sentences.push_back(std::move(sentence));
        return false;
    });
    return sentences;
}

std::vector<TXmlTextPart> XmlTextParts(std::string_view document) {
    pugi::xml_document xml;
    Parse(xml, document);
    std::vector<TXmlTextPart> parts;
    // kinds[d]: the text kind inside the element at depth d (0: running text).
    std::vector<int32_t> kinds{0};
    Walk(xml, [&](const pugi::xml_node &node, int depth) {
        CheckDepth(document, node, depth);
        const int32_t kind = kinds[size_t(depth - 1)];
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            const std::string_view text = Trim(node.value());
            if (!text.empty()) parts.push_back({kind, std::string(text)});
            return false;
        }
        if (node.type() != pugi::node_element) return false;
        kinds.resize(size_t(depth) + 1);
        kinds[size_t(depth)] =
            std::strcmp(node.name(), "SENTENCEPART") == 0
                ? int32_t(std::strtol(node.attribute("TEXTKIND").value(), nullptr, 10))
                : kind;
        return true;
    });
    return parts;
}
