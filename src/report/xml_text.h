// SPDX-License-Identifier: GPL-3.0-or-later
// Text between XML's markup: the playlist's attribute values carry character references and
// entities, and the chapter file Quarnel writes for Matroska and the BDN XML of its subtitles
// must escape them again.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// "&#233;", "&#xE9;", "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" become the characters they
// stand for (as UTF-8); anything else, an unknown entity or a reference to no character
// included, stays as written.
std::string decodeXmlText(std::string_view text);
// &, <, >, " and ' as entities; control characters other than tab and line ends are dropped.
std::string escapeXmlText(std::string_view text);

}  // namespace quarnel
