#pragma once
// Runs one of the project's command-line programs and collects its exit status and output.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace lctune::test {

struct ToolResult {
    int status = -1;
    std::string out, err;
};

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// args is a shell-ready argument string (quote paths with shellQuote); `environment` is put
/// before the program as `env` takes it ("A=1 -u B").
inline ToolResult runTool(const std::string& tool, const std::string& args,
                          const std::string& environment = "") {
    char dir[] = "/tmp/lctune-tool-XXXXXX";
    const std::string tmp = mkdtemp(dir) ? dir : "/tmp";
    const std::string outPath = tmp + "/out", errPath = tmp + "/err";
    const std::string cmd = (environment.empty() ? std::string() : "env " + environment + " ") +
                            shellQuote(std::string(LCTUNE_TOOLS_DIR) + "/" + tool) + " " + args + " >" +
                            shellQuote(outPath) + " 2>" + shellQuote(errPath) + " </dev/null";
    ToolResult r;
    const int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    rmdir(tmp.c_str());
    return r;
}

/// A tool's output, a string a line.
inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        v.push_back(l);
    return v;
}

} // namespace lctune::test
