#include "TestMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
std::map<std::string, TestMain::Run>& Tests() {
    static std::map<std::string, TestMain::Run> tests;
    return tests;
}
} // namespace

int TestMain::Register(const char* file, Run run) {
    std::string name = file;
    name = name.substr(name.find_last_of('/') + 1);
    Tests()[name.substr(0, name.find('.'))] = run;
    return 0;
}

int main(int argc, char* argv[]) {
    // Run by hand as well as by CTest, a test must not record into the journal beside the
    // program (the source tree's config/): only a test that names a journal gets one.
    setenv("VYPISKA_JOURNAL", "off", 0);
    if (argc > 1 && Tests().count(argv[1])) {
        std::vector<char*> args{argv[0]};
        args.insert(args.end(), argv + 2, argv + argc);
        args.push_back(nullptr);
        return Tests()[argv[1]](argc - 1, args.data());
    }
    if (argc > 1 && argv[1][0] != '-') {
        std::fprintf(stderr, "%s: no test class %s; these are:\n", argv[0], argv[1]);
        for (const auto& [name, run] : Tests())
            std::fprintf(stderr, "  %s\n", name.c_str());
        return 2;
    }
    // Each class in a process of its own, as CTest runs them: one application each.
    int failed = 0;
    for (const auto& [name, run] : Tests()) {
        std::vector<char*> args{argv[0], const_cast<char*>(name.c_str())};
        args.insert(args.end(), argv + 1, argv + argc);
        args.push_back(nullptr);
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) execv("/proc/self/exe", args.data()), _exit(127);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            ++failed;
    }
    return failed;
}
