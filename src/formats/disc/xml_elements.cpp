// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/disc/xml_elements.h"

#include "report/xml_text.h"

namespace quarnel {
namespace {

std::string localName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameEnd(char c) {
    return isBlank(c) || c == '/' || c == '>' || c == '=';
}

}  // namespace

const std::string* XmlElement::attribute(std::string_view wanted) const {
    for (const auto& [name, value] : attributes)
        if (name == wanted) return &value;
    return nullptr;
}

std::vector<XmlElement> xmlElements(std::string_view text, size_t limit) {
    std::vector<XmlElement> elements;
    size_t at = 0;
    const auto skipPast = [&](std::string_view end) {
        const size_t found = text.find(end, at);
        at = found == std::string_view::npos ? text.size() : found + end.size();
    };
    while (elements.size() < limit) {
        at = text.find('<', at);
        if (at == std::string_view::npos) break;
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            skipPast("-->");
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            skipPast("]]>");
            continue;
        }
        if (rest.starts_with("<?") || rest.starts_with("<!")) {
            skipPast(">");
            continue;
        }
        XmlElement element;
        ++at;
        if (at < text.size() && text[at] == '/') {
            element.closing = true;
            ++at;
        }
        size_t end = at;
        while (end < text.size() && !isNameEnd(text[end])) ++end;
        if (end == at || end >= text.size()) break;
        element.name = localName(text.substr(at, end - at));
        at = end;
        // Attributes up to the tag's end: name="value" or name='value'.
        for (;;) {
            while (at < text.size() && isBlank(text[at])) ++at;
            if (at >= text.size()) return elements;
            if (text[at] == '>') {
                ++at;
                break;
            }
            if (text.substr(at).starts_with("/>")) {
                element.empty = true;
                at += 2;
                break;
            }
            end = at;
            while (end < text.size() && !isNameEnd(text[end])) ++end;
            const std::string name = localName(text.substr(at, end - at));
            at = end;
            while (at < text.size() && isBlank(text[at])) ++at;
            if (at >= text.size() || text[at] != '=' || name.empty()) return elements;
            ++at;
            while (at < text.size() && isBlank(text[at])) ++at;
            if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return elements;
            const char quote = text[at++];
            end = text.find(quote, at);
            if (end == std::string_view::npos) return elements;
            element.attributes.emplace_back(name, decodeXmlText(text.substr(at, end - at)));
            at = end + 1;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

}  // namespace quarnel
