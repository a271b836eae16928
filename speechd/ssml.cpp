// SPDX-License-Identifier: GPL-3.0-or-later
#include "speechd/ssml.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include <pugixml.hpp>

namespace {

// "+20%", "-10%", "150%", "1.5", or a word: a factor of the current value.
double Factor(std::string_view value, double current) {
    static constexpr std::pair<std::string_view, double> Words[] = {
        {"x-slow", 0.5}, {"slow", 0.75}, {"medium", 1.0}, {"fast", 1.3},   {"x-fast", 1.7},
        {"x-low", 0.6},  {"low", 0.8},   {"high", 1.2},   {"x-high", 1.4}, {"default", 1.0}};
    for (const auto &[word, factor] : Words)
        if (value == word) return factor;
    const std::string text(value);
    char *end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return current;
    const bool percent = end != nullptr && *end == '%';
    double factor = current;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        factor = current * (1.0 + (percent ? number / 100.0 : number));
    else
        factor = percent ? number / 100.0 : number;
    return std::clamp(factor, 0.25, 4.0);
}

int BreakMilliseconds(const pugi::xml_node &node) {
    const std::string time = node.attribute("time").value();
    if (!time.empty()) {
        const double number = std::strtod(time.c_str(), nullptr);
        const bool seconds = time.size() >= 1 && time.back() == 's' &&
                             (time.size() < 2 || time[time.size() - 2] != 'm');
        return std::clamp(int(seconds ? number * 1000 : number), 0, 10000);
    }
    const std::string strength = node.attribute("strength").value();
    if (strength == "none") return 0;
    if (strength == "x-weak") return 100;
    if (strength == "weak") return 200;
    if (strength == "strong") return 700;
    if (strength == "x-strong") return 1200;
    return 400;  // medium, and a break without attributes
}

void AddText(std::vector<TSsmlStep> &steps, std::string_view text, const TProsody &prosody,
             TSsmlStep::TKind kind = TSsmlStep::TKind::Text) {
    if (text.empty()) return;
    if (!steps.empty() && steps.back().Kind == kind && kind == TSsmlStep::TKind::Text &&
        steps.back().Prosody == prosody) {
        steps.back().Value += text;
        return;
    }
    steps.push_back({kind, std::string(text), 0, prosody});
}

void Walk(const pugi::xml_node &node, TProsody prosody, std::vector<TSsmlStep> &steps) {
    for (const pugi::xml_node &child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            AddText(steps, child.value(), prosody);
            continue;
        }
        if (child.type() != pugi::node_element) continue;
        const std::string_view name = child.name();
        if (name == "mark") {
            steps.push_back({TSsmlStep::TKind::Mark, child.attribute("name").value(), 0, prosody});
        } else if (name == "break") {
            steps.push_back({TSsmlStep::TKind::Break, "", BreakMilliseconds(child), prosody});
        } else if (name == "say-as") {
            const std::string_view how = child.attribute("interpret-as").value();
            if (how == "characters" || how == "tts:char" || how == "spell-out")
                AddText(steps, child.text().get(), prosody, TSsmlStep::TKind::Characters);
            else
                Walk(child, prosody, steps);
        } else if (name == "sub" && child.attribute("alias")) {
            AddText(steps, child.attribute("alias").value(), prosody);
        } else if (name == "prosody") {
            TProsody inner = prosody;
            if (child.attribute("rate"))
                inner.Rate = Factor(child.attribute("rate").value(), prosody.Rate);
            if (child.attribute("pitch"))
                inner.Pitch = Factor(child.attribute("pitch").value(), prosody.Pitch);
            Walk(child, inner, steps);
        } else {
            Walk(child, prosody, steps);  // speak, s, p, voice, emphasis and the unknown
        }
    }
}

// A document that is not XML: its tags dropped and the common entities decoded.
std::string PlainText(std::string_view document) {
    std::string text;
    bool inTag = false;
    for (size_t i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (c == '<' && i + 1 < document.size() &&
            (std::isalpha(static_cast<unsigned char>(document[i + 1])) || document[i + 1] == '/' ||
             document[i + 1] == '?' || document[i + 1] == '!')) {
            inTag = true;
            continue;
        }
        if (inTag) {
            if (c == '>') inTag = false;
            continue;
        }
        text += c;
    }
    static constexpr std::pair<std::string_view, std::string_view> Entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto &[entity, character] : Entities)
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, entity.size(), character);
    return text;
}

}  // namespace

TSsmlMessage ParseSsml(std::string_view document) {
    TSsmlMessage message;
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed =
        xml.load_buffer(document.data(), document.size(),
                        pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
    if (!parsed || !xml.first_child()) {
        message.WellFormed = bool(parsed);
        AddText(message.Steps, parsed ? std::string(document) : PlainText(document), {});
        return message;
    }
    Walk(xml, {}, message.Steps);
    return message;
}
