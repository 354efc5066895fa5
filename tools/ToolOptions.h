#pragma once
// Option parsing shared by the command-line programs: "--name value", "--name=value" and plain
// arguments; every problem becomes one line on stderr and exit status 2.

#include <cstdint>
#include <string>

namespace lctune {

class OptionParser {
public:
    OptionParser(std::string program, int argc, char** argv);

    /// Advances to the next argument; false at the end or after a failure.
    bool next();
    /// The option's name ("--lock") or the plain argument itself.
    const std::string& name() const { return name_; }
    bool isPositional() const { return positional_; }

    /// Reads the option's value as a whole number in [lo, hi].
    bool intValue(int64_t lo, int64_t hi, int32_t& out);
    bool doubleValue(double lo, double hi, double& out);
    bool stringValue(std::string& out);
    /// A switch without a value: sets out to value.
    bool flag(bool& out, bool value);

    /// Answers --help (the usage text) and --version on stdout; true when the argument was one of
    /// them, and the program then ends with status 0.
    bool helpOrVersion(const char* usage) const;

    bool failed() const { return failed_; }
    /// Prints "program: message" (or the pending parse error) on stderr and returns 2.
    int fail(const std::string& message = {});

private:
    bool takeValue(std::string& value);
    bool reject(const std::string& message);

    std::string program_;
    int argc_;
    char** argv_;
    int index_ = 0;
    std::string name_;
    std::string inlineValue_;
    bool hasInline_ = false;
    bool positional_ = false;
    bool optionsEnded_ = false;
    bool failed_ = false;
    std::string error_;
};

} // namespace lctune
