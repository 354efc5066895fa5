#include "tools/ToolOptions.h"

#include "core/Version.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lctune {

OptionParser::OptionParser(std::string program, int argc, char** argv)
    : program_(std::move(program)), argc_(argc), argv_(argv) {}

bool OptionParser::next() {
    if (failed_ || index_ + 1 >= argc_) return false;
    std::string arg = argv_[++index_];
    hasInline_ = false;
    inlineValue_.clear();
    if (!optionsEnded_ && arg == "--") {
        optionsEnded_ = true;
        return next();
    }
    positional_ = optionsEnded_ || arg.size() < 2 || arg[0] != '-';
    if (!positional_) {
        const auto eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue_ = arg.substr(eq + 1);
            hasInline_ = true;
            arg.resize(eq);
        }
    }
    name_ = arg;
    return true;
}

bool OptionParser::reject(const std::string& message) {
    failed_ = true;
    error_ = message;
    return false;
}

bool OptionParser::takeValue(std::string& value) {
    if (hasInline_) {
        value = inlineValue_;
        return true;
    }
    if (index_ + 1 >= argc_) return reject(name_ + " needs a value");
    value = argv_[++index_];
    return true;
}

bool OptionParser::intValue(int64_t lo, int64_t hi, int32_t& out) {
    std::string text;
    if (!takeValue(text)) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || text.find_first_of(" \t") != std::string::npos)
        return reject(name_ + " takes a whole number, not \"" + text + "\"");
    if (v < lo || v > hi)
        return reject(name_ + " must be between " + std::to_string(lo) + " and " + std::to_string(hi) +
                      ", not " + text);
    out = static_cast<int32_t>(v);
    return true;
}

bool OptionParser::doubleValue(double lo, double hi, double& out) {
    std::string text;
    if (!takeValue(text)) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v) ||
        text.find_first_of(" \t") != std::string::npos)
        return reject(name_ + " takes a number, not \"" + text + "\"");
    if (v < lo || v > hi) return reject(name_ + " is out of range: " + text);
    out = v;
    return true;
}

bool OptionParser::stringValue(std::string& out) {
    return takeValue(out);
}

bool OptionParser::flag(bool& out, bool value) {
    if (hasInline_) return reject(name_ + " takes no value");
    out = value;
    return true;
}

bool OptionParser::helpOrVersion(const char* usage) const {
    if (positional_) return false;
    if (name_ == "--help") {
        std::fputs(usage, stdout);
        return true;
    }
    if (name_ == "--version") {
        std::printf("%s %s\n", program_.c_str(), kVersion);
        return true;
    }
    return false;
}

int OptionParser::finishOutput() {
    ToolOutput out;
    if (out.flush()) return 0;
    return fail(out.error());
}

bool ToolOutput::write(std::string_view text) {
    if (failed()) return false;
    buffer_.append(text);
    return buffer_.size() < (1u << 16) || writeOut();
}

bool ToolOutput::writeOut() {
    errno = 0;
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
        error_ = errno != 0 ? errno : EIO;
    buffer_.clear();
    return !failed();
}

bool ToolOutput::flush() {
    if (!writeOut()) return false;
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) error_ = errno != 0 ? errno : EIO;
    return !failed();
}

std::string ToolOutput::error() const {
    return std::string("cannot write the output: ") + std::strerror(error_);
}

int OptionParser::fail(const std::string& message) {
    const std::string& text = message.empty() ? error_ : message;
    std::fprintf(stderr, "%s: %s\n", program_.c_str(), text.c_str());
    return 2;
}

} // namespace lctune
