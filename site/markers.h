#pragma once
// The timetable site as the program knows it: its address, the three pages it asks for and the
// literal fragments at which each page is cut. The pages are never parsed as HTML; a fragment
// matches only when the page holds it byte for byte (CR LF, tabs, runs of spaces, quoting, case),
// so every constant here is GBK bytes exactly as the site writes them.

#include "web/text.h"

namespace tavolin {

// Scheme and host of the school's server, no port, no trailing slash (fixed at configure time).
extern const Text siteBaseAddress;
// The host of siteBaseAddress and its port (80 when the address names none); the demo and the
// tests route this host to a loopback server.
Text siteHost();
int sitePort();

// Requests. The term code goes into the query unencoded; the class name percent-encoded.
extern const Text termListPath;   // term-list page; XMXH stays empty
extern const Text classListPath;  // + term code + classListSuffix
extern const Text classListSuffix;
extern const Text classTimetablePath;  // + term code + classNameKey + encoded class name
extern const Text classNameKey;

// Term-list page: every term row begins with termRowMarker; the link address in it holds
// termCodeStart + code + termNameStart + display name + termNameEnd.
extern const Text termRowMarker;
extern const Text termCodeStart;
extern const Text termNameStart;
extern const Text termNameEnd;

// Class-list page: the class options stand between classListStart and
// classListEndHead + term code + classListEndTail. The end marker begins with the "</option>"
// of the last option, so the chunk splits into exactly one piece per option.
extern const Text classListStart;
extern const Text classListEndHead;
extern const Text classListEndTail;
extern const Text optionSeparator;
extern const Text optionValueStart;  // the option value is single-quoted
extern const Text optionValueEnd;

// Class timetable page: seven day rows between timetableStart and timetableEnd, separated by
// dayRowMarker; a row is a heading column and then cells, each opened by periodCellMarker.
extern const Text timetableStart;
extern const Text timetableEnd;
extern const Text dayRowMarker;
extern const Text periodCellMarker;
// The whole of a cell without a lesson, as cut at periodCellMarker.
extern const Text emptyCellText;

}  // namespace tavolin
