// tavolin-demo: the program with the built-in sample site (Orsenvale) started in-process on a free
// loopback port and the site's host routed to it, so the whole job works without the school's
// network.

#include <cstdio>

#include "app/bind_handlers.h"
#include "sample-site/sample_site.h"
#include "shell/shell.h"
#include "site/markers.h"
#include "web/http.h"

int main(int argc, char** argv) {
    // Lives until the process ends: closing the main window ends the process inside runProgram.
    static tavolin::SampleSite sampleSite;
    if (sampleSite.port() == 0) {
        std::fputs("tavolin-demo: could not start the sample site on 127.0.0.1\n", stderr);
        return 1;
    }
    tavolin::setTestRoute(tavolin::siteHost(), tavolin::sitePort(), sampleSite.port());
    std::printf("tavolin-demo: the sample site of Orsenvale answers for %s on 127.0.0.1:%d\n",
                tavolin::siteBaseAddress.c_str(), sampleSite.port());
    std::fflush(stdout);
    return tavolin::runProgram(argc, argv, tavolin::bindHandlers);
}
