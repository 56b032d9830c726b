#include "web/cookies.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

struct MergeCase {
    const char* name;
    Text kept;
    Text received;
    Text mergedKept;
    Text trimmedReceived;
};

TEST(MergeCookies, FoldsReceivedPairsIntoTheKeptTextInNormalForm) {
    const MergeCase cases[] = {
        {"both empty", "", "", "", ""},
        {"kept gains its final semicolon", "A=1", "", "A=1;", ""},
        {"first cookie", "", "A=1; ", "A=1;", "A=1;"},
        {"blanks only", "  ", "   ", "", ""},
        {"replaced in its place", "A=1; B=2;", "A=9; ", "A=9; B=2;", "A=9;"},
        {"name matches in any letter case", "A=1;", "a=5;", "a=5;", "a=5;"},
        {"new ones appended in received order", "A=1;", "C=3; B=2", "A=1; C=3; B=2;", "C=3; B=2;"},
        {"deleted removes", "A=1; B=2;", "B=deleted; ", "A=1;", "B=deleted;"},
        {"deleted new cookie never appears", "A=1;", "C=deleted", "A=1;", "C=deleted;"},
        {"empty value removes", "A=1;", "B=; ", "A=1;", "B=;"},
        {"entry without = survives", "A=1; secure", "", "A=1; secure;", ""},
        {"received entry without = ignored", "A=1;", "secure; C=3", "A=1; C=3;", "secure; C=3;"},
        {"empty entries dropped", "A=1;; B=2;", "", "A=1; B=2;", ""},
        {"second received name keeps no blank", "B=7; A=1;", "A=2; B=3; ", "B=3; A=2;",
         "A=2; B=3;"},
        {"name inside a longer name is another cookie", "BA=3; A=2;", "A=5;", "BA=3; A=5;", "A=5;"},
        {"name spelled inside a value is no cookie", "X=A; A=1;", "A=2;", "X=A; A=2;", "A=2;"},
        {"identical text elsewhere stays", "X=A=1; A=1;", "A=2;", "X=A=1; A=2;", "A=2;"},
        {"empty name ignored", "A=1; B=2;", "=x;", "A=1; B=2;", "=x;"},
        {"blank name ignored", "A=1;", "C=1;  =x;", "A=1; C=1;", "C=1;  =x;"},
        {"later pair of one response wins", "", "A=1; A=2;", "A=2;", "A=1; A=2;"},
        {"kept names compared trimmed", " A =1; B=2", "A=3", "A=3; B=2;", "A=3;"},
        // GBK full-width blank: the byte pair A1 A1.
        {"full-width blanks trimmed",
         "\xA1\xA1"
         "A=1\xA1\xA1",
         "", "A=1;", ""},
        {"GBK value kept as bytes", "N=\xB0\xE0;", "M=\xBC\xC6", "N=\xB0\xE0; M=\xBC\xC6;",
         "M=\xBC\xC6;"},
    };
    for (const MergeCase& row : cases) {
        SCOPED_TRACE(row.name);
        Text kept = row.kept;
        Text received = row.received;
        const Text merged = mergeCookies(kept, received);
        EXPECT_EQ(kept, row.mergedKept);
        EXPECT_EQ(merged, row.mergedKept);
        EXPECT_EQ(received, row.trimmedReceived);
    }
}

TEST(TextFromMarker, CutsFromTheMarkerToTheNextTerminator) {
    struct Case {
        const char* name;
        Text text;
        Text marker;
        Text terminator;
        Text expected;
    };
    const Case cases[] = {
        {"middle entry", "a=1; B=2; c=3", "b", ";", "B=2"},
        {"no terminator runs to the end", "a=1; B=2", "B", ";", "B=2"},
        {"missing marker", "a=1;", "z", ";", ""},
        {"terminator before the marker is passed over", "x;A=1;", "a", ";", "A=1"},
        {"terminator matched ignoring case", "A=1XB", "a", "x", "A=1"},
        {"terminator inside the marker does not count", "k;v;w", "k;", ";", "k;v"},
        {"empty terminator stops at the marker's end", "abc", "b", "", "b"},
        {"empty marker in empty text", "", "", ";", ""},
        // 81 41 is one GBK character: its second byte is no "A".
        {"no match on a second byte", "\x81\x41=1;A=2", "A", ";", "A=2"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(textFromMarker(row.text, row.marker, row.terminator), row.expected);
    }
}

}  // namespace
}  // namespace tavolin
