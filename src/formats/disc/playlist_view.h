// SPDX-License-Identifier: GPL-3.0-or-later
// What the playlist reader yields: the title that plays the source (typed: its name, duration,
// time base, streams and chapters), and what the "XPL" page draws: the tag list (tags), the
// tree of the title (tree), the chapter list the chapter export writes (chapters), and the
// attribute tables that carry over from one playlist read to the next.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/ps/stream_kinds.h"

namespace quarnel {

constexpr int kAttributeEntries = 8;  // attribute items are numbered 1 to 8

// One top-level node of the tree with its child lines, in order.
struct XplTreeNode {
    std::string text;
    std::vector<std::string> children;
};

// The tree's five top-level nodes, in this order.
constexpr const char* kXplTreeNodes[] = {"Info", "Video", "Audio", "Subtitle", "Chapter"};
enum XplNode { kInfoNode, kVideoNode, kAudioNode, kSubtitleNode, kChapterNode };

// What the playlist says of one video, audio or subtitle stream of the title, from the first element
// naming it; each value comes from that element alone.
struct PlaylistStream {
    bool listed = false;
    std::string langcode;     // as written ("en:01", "*"), empty when the element has none
    std::string language;     // ISO 639-1 ("en"); empty when the element has none or "*"
    int codeExtension = 0;    // the hex number after the ":" of langcode (subtitles: 9 = forced)
    std::string description;  // as written, may be empty
    bool forced = false;      // a subtitle shown with subtitles off: forced="true" or extension 9
    std::string name;         // the stream's name in the tree, the log and the outputs' names

    bool operator==(const PlaylistStream&) const = default;
};

// A chapter of the title as the playlist writes it: its titleTimeBegin and displayName.
struct PlaylistChapter {
    std::string begin;
    std::string name;

    bool operator==(const PlaylistChapter&) const = default;
};

// Subtitle streams whose langcode carries this code extension are forced captions.
constexpr int kForcedCaptionExtension = 0x09;

// The playlist's title that plays the source, as the last <Title element read describes it; its
// streams and chapters from every element read.
struct PlaylistTitle {
    std::string name;      // displayName, as written (XML character references undone by readers)
    std::string duration;  // titleDuration, as written
    std::string timeBase;  // the TitleSet's timeBase ("60fps")
    std::vector<PlaylistChapter> chapters;
    // Per slot, from the first element naming the stream; cleared by the next read.
    std::array<PlaylistStream, kVideoSlots> video;
    std::array<PlaylistStream, kAudioSlots> audio;
    std::array<PlaylistStream, kSubSlots> sub;

    bool operator==(const PlaylistTitle&) const = default;
};

struct PlaylistView {
    // tags: one line per tag, indented two blanks per nesting level; after a read it holds the
    // title that plays the current EVO file, or the whole playlist.
    std::vector<std::string> tags;
    // tree: empty before the first read, then the five nodes of kXplTreeNodes.
    std::vector<XplTreeNode> tree;
    // chapters: "CHAPTERnn=HH:MM:SS.mmm" and "CHAPTERnnNAME=name" per chapter, in order.
    std::vector<std::string> chapters;
    // The <Title elements of the tag list: more than one when no source chose its title, and
    // then the tree lists the chapters under their titles.
    size_t titles = 0;
    // Whether a title of the playlist plays the source it was read for (a clip names its file);
    // a playlist that names no clip of it says nothing of its streams.
    bool namesSource = true;
    // Entry k holds attribute item k + 1 ("DD+.6ch", "VC-1", ...); never cleared, a read
    // overwrites only the entries its playlist defines.
    std::array<std::string, kAttributeEntries> videoAttr, audioAttr, subAttr;
    PlaylistTitle title;
};

}  // namespace quarnel
