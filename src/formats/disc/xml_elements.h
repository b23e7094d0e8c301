// SPDX-License-Identifier: GPL-3.0-or-later
// The elements of an XML document in document order, each with its local name (a namespace
// prefix dropped) and its attributes, their values' references undone. Comments, processing
// instructions, declarations and text are passed over; enough for a disc's playlist, whose
// meaning lies in elements and attributes alone.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarnel {

struct XmlElement {
    std::string name;  // the local name
    std::vector<std::pair<std::string, std::string>> attributes;
    bool closing = false;  // </name>
    bool empty = false;    // <name/>: opens and closes at once

    // The attribute's value; nullptr when the element has none of that local name.
    const std::string* attribute(std::string_view localName) const;
};

// The elements of `text`; a document cut short or malformed yields the elements before the
// fault. At most `limit` elements are taken.
std::vector<XmlElement> xmlElements(std::string_view text, size_t limit = 1u << 20);

}  // namespace quarnel
