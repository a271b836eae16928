#include "server/xml_sentences.h"

#include <cstdlib>
#include <cstring>

#include <pugixml.hpp>

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

void Parse(pugi::xml_document &xml, std::string_view document) {
    const pugi::xml_parse_result result =
        xml.load_buffer(document.data(), document.size(), ParseOptions, pugi::encoding_utf8);
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

// The position of the ">" that ends the first "</SENTENCE>" after `from` (not a
// "</SENTENCEPART>"), or npos.
size_t EndTagEnd(std::string_view document, size_t from) {
    static constexpr std::string_view Tag = "</SENTENCE";
    for (size_t at = document.find(Tag, from); at != std::string_view::npos;
         at = document.find(Tag, at + 1)) {
        size_t i = at + Tag.size();
        while (i < document.size() && (document[i] == ' ' || document[i] == '\t' ||
                                       document[i] == '\r' || document[i] == '\n'))
            ++i;
        if (i < document.size() && document[i] == '>') return i;
    }
    return std::string_view::npos;
}

void CollectParts(const pugi::xml_node &node, int32_t kind, std::vector<TXmlTextPart> &parts) {
    for (const pugi::xml_node &child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            const std::string_view text = Trim(child.value());
            if (!text.empty()) parts.push_back({kind, std::string(text)});
        } else if (child.type() == pugi::node_element) {
            int32_t childKind = kind;
            if (std::strcmp(child.name(), "SENTENCEPART") == 0)
                childKind = int32_t(std::strtol(child.attribute("TEXTKIND").value(), nullptr, 10));
            CollectParts(child, childKind, parts);
        }
    }
}

}  // namespace

std::vector<TXmlSentence> ParseXmlSentences(std::string_view document) {
    pugi::xml_document xml;
    Parse(xml, document);
    std::vector<TXmlSentence> sentences;
    const pugi::xpath_node_set found = xml.select_nodes("//SENTENCE");
    for (const pugi::xpath_node &item : found) {
        const pugi::xml_node node = item.node();
        // offset_debug is the position of the element's name; its "<" stands just before.
        const ptrdiff_t name = node.offset_debug();
        if (name < 1) continue;
        const size_t from = size_t(name - 1);
        // A self-closing element ends at its first ">"; any other at its end tag's.
        size_t end = document.find('>', from);
        if (end != std::string_view::npos && document[end - 1] != '/') end = EndTagEnd(document, from);
        if (end == std::string_view::npos)
            throw TXmlSentenceError("XML error on line " + std::to_string(LineOf(document, name)) +
                                    ": SENTENCE without end tag");
        TXmlSentence sentence;
        sentence.Range = {int32_t(from), int32_t(end + 1 - from)};
        sentence.Document = "<xml>\r\n";
        sentence.Document.append(document.substr(from, end + 1 - from));
        sentence.Document += "\r\n</xml>\r\n";
        sentences.push_back(std::move(sentence));
    }
    return sentences;
}

std::vector<TXmlTextPart> XmlTextParts(std::string_view document) {
    pugi::xml_document xml;
    Parse(xml, document);
    std::vector<TXmlTextPart> parts;
    CollectParts(xml, 0, parts);
    return parts;
}
