// The program's start and end, each run in a child process: closing the main window ends the
// process with exit code 0 after one clean-up, also while the dialog is shown and from inside a
// nested event pump; start-up reaches no network and leaves the clipboard alone; no display gives
// a message and a non-zero exit, never a crash.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

struct ChildResult {
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
    bool hung = false;
    std::string out;
    std::string err;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The environment of this test with the given names removed and the given entries added.
std::vector<std::string> environmentWith(const std::vector<std::string>& removed,
                                         const std::vector<std::string>& added) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool drop = false;
        for (const std::string& r : removed) {
            drop = drop || name == r;
        }
        for (const std::string& a : added) {
            drop = drop || name == a.substr(0, a.find('='));
        }
        if (!drop) {
            entries.push_back(text);
        }
    }
    entries.insert(entries.end(), added.begin(), added.end());
    return entries;
}

ChildResult runChild(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("tavolin-shell-exit-" + std::to_string(getpid()) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    const std::string outPath = (folder / "out").string();
    const std::string errPath = (folder / "err").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    std::string program = SHELL_CHILD_PATH;
    argv.push_back(program.data());
    std::vector<std::string> argumentCopies = arguments;
    for (std::string& argument : argumentCopies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environmentCopies = environment;
    std::vector<char*> envp;
    for (std::string& entry : environmentCopies) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    ChildResult result;
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << program << ": " << spawned;
        return result;
    }
    // A hang check only: a child that has not ended after this long is stuck.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            result.hung = true;
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    std::filesystem::remove_all(folder);
    return result;
}

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::string> offscreen() {
    return environmentWith({}, {"QT_QPA_PLATFORM=offscreen"});
}

TEST(ProgramEnd, ClosingTheMainWindowEndsWithZeroAfterOneCleanUp) {
    struct Case {
        const char* name;
        const char* mode;
        const char* alsoPrinted;
    };
    const Case cases[] = {
        {"right after start", "close-at-start", ""},
        {"while the add-member dialog is shown", "close-with-dialog", "dialog-visible=1\n"},
        {"from inside percentEncode's event pump", "close-in-pump", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult run = runChild({c.mode}, offscreen());
        EXPECT_FALSE(run.hung);
        EXPECT_TRUE(run.exited) << "signal " << run.signal << "\n" << run.err;
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        // The shell's releaseSharedState ran first, once: the observer after it sees termCodes
        // released, also where a handler had filled it.
        EXPECT_EQ(countOf(run.out, "clean-up "), 1) << run.out;
        EXPECT_EQ(countOf(run.out, "clean-up termCodes=0 "), 1) << run.out;
        EXPECT_EQ(countOf(run.out, "handler-went-on"), 0) << run.out;
        EXPECT_NE(run.out.find(c.alsoPrinted), std::string::npos) << run.out;
    }
}

TEST(ProgramStart, ReachesNoNetworkAndLeavesTheClipboardAlone) {
    const ChildResult run = runChild({"close-at-start"}, offscreen());
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("clipboard-changes=0 clipboard-empty=1\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("network sockets=0 lookups=0 curl-handles=0\n"), std::string::npos)
        << run.out;
}

TEST(ProgramStart, MakesTheExecutablesFolderCurrent) {
    const ChildResult run = runChild({"close-at-start"}, offscreen());
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::string folder =
        std::filesystem::canonical(std::filesystem::path(SHELL_CHILD_PATH)).parent_path().string();
    EXPECT_NE(run.out.find("cwd=" + folder + "\n"), std::string::npos) << run.out;
}

TEST(ProgramStart, WithoutADisplaySaysSoAndExitsNonZero) {
    struct Case {
        const char* name;
        std::vector<std::string> added;
    };
    std::vector<Case> cases = {{"no display named at all", {}}};
    // An X display nobody serves: Qt's own failure becomes the same kind of exit.
    if (!std::filesystem::exists("/tmp/.X11-unix/X4713")) {
        cases.push_back({"a display nobody serves", {"DISPLAY=:4713"}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult run =
            runChild({"close-at-start"},
                     environmentWith({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, c.added));
        EXPECT_FALSE(run.hung);
        EXPECT_TRUE(run.exited) << "signal " << run.signal << "\n" << run.err;
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("无法创建窗口"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("cannot create its windows"), std::string::npos) << run.err;
        EXPECT_EQ(countOf(run.out, "clean-up "), 0) << run.out;
    }
}

}  // namespace
