#pragma once
// The built-in sample site: the timetable site of the fictional school Orsenvale, its pages in the
// exact shapes and bytes (GBK) the real site serves, and a loopback HTTP server answering its
// three paths. tavolin-demo runs it in-process; the tests and benchmarks read its data directly
// to know, independently of the client's cutting, what each page holds.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "web/text.h"

namespace tavolin {

struct SampleClass {
    Text name;   // the option value, which the client sends back as NwZC
    Text label;  // what the option shows; differs from the value
    // lessons[day][block], Monday..Sunday x the five period blocks: the cell's content as the
    // page renders it before its closing "</td>". Empty: no lesson, a free slot.
    std::array<std::array<Text, 5>, 7> lessons;

    bool isFree(int day, int block) const { return lessons[day][block].empty(); }
};

struct SampleTerm {
    Text code;
    Text displayName;
    std::vector<SampleClass> classes;
};

// The terms in the order the term-list page lists them. Two of them share a display name.
const std::vector<SampleTerm>& sampleTerms();
const SampleTerm* findSampleTerm(const Text& code);
const SampleClass* findSampleClass(const Text& termCode, const Text& className);

// The pages, GBK. An unknown term or class gets sampleNotFoundPage(), which holds no marker.
Text sampleTermListPage();
Text sampleClassListPage(const Text& termCode);
Text sampleTimetablePage(const Text& termCode, const Text& className);
Text sampleNotFoundPage();

// The three paths as the server answers them.
extern const std::string sampleTermListPath;
extern const std::string sampleClassListPath;
extern const std::string sampleTimetablePath;

// The site served over HTTP on 127.0.0.1, on a port the system picks, from construction until
// destruction. Safe to query from the thread that owns it while it serves.
class SampleSite {
public:
    SampleSite();
    ~SampleSite();
    SampleSite(const SampleSite&) = delete;
    SampleSite& operator=(const SampleSite&) = delete;

    // 0 when no port could be bound.
    int port() const;

    // The request targets received so far (path and raw query, as sent), oldest first.
    std::vector<std::string> receivedTargets() const;
    void clearReceivedTargets();

    // Answers a request with the given body instead of the site's page when the hook returns one;
    // tests use it to serve hand-made pages. Called on the server's thread.
    using PageOverride = std::function<std::optional<Text>(const std::string& target)>;
    void setPageOverride(PageOverride override);

private:
    struct Server;
    std::unique_ptr<Server> server_;
};

}  // namespace tavolin
