#pragma once
// Option parsing shared by the command-line programs: "--name value", "--name=value" and plain
// arguments; every problem becomes one line on stderr and exit status 2.

#include <cstdint>
#include <string>
#include <string_view>

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
    /// them, and the program then ends with finishOutput()'s status.
    bool helpOrVersion(const char* usage) const;
    /// Flushes stdout: 0, or 2 (with one line on stderr) when anything written to it was lost.
    int finishOutput();

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

/// What a program prints on stdout, written in large pieces and checked: output lost to a full
/// disk or to a reader that has gone is a failure, never a cut table that reports success.
class ToolOutput {
public:
    /// Takes `text`; false once any write has failed (the rest is then dropped).
    bool write(std::string_view text);
    /// Writes out everything taken and flushes stdout; false once any write has failed.
    bool flush();
    bool failed() const { return error_ != 0; }
    /// Why the output was lost: "cannot write the output: …".
    std::string error() const;

private:
    bool writeOut();

    std::string buffer_;
    int error_ = 0;
};

} // namespace lctune
