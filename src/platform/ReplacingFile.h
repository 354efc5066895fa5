#pragma once
// A file written under a temporary name in its folder and put in place (replacing any file of that
// name) only once it is complete: a reader never sees half of it, and a failure leaves the old file
// as it was. The temporary file is removed when the object goes without commit().

#include <cstdio>
#include <string>
#include <string_view>

namespace lctune {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /// Creates the temporary file beside `path`. False when it cannot (error() says why), or when
    /// `path` is a folder.
    bool open(const std::string& path);
    /// Takes the next piece; false once anything has failed.
    bool write(std::string_view text);
    /// Writes everything out and puts the file in place; false (and the old file untouched) when
    /// any step failed.
    bool commit();

    /// "PATH: why", empty while all is well.
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& why);
    void discard();

    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::string error_;
};

} // namespace lctune
