#include "shell/ProgramFolders.h"

#include <filesystem>
#include <unistd.h>

namespace lctune {

namespace {

namespace fs = std::filesystem;

bool holdsDocuments(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder / "LCTUNE", ec);
}

bool writableFolder(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

ProgramFolders ProgramFolders::find(const std::string& executableFolder, const std::string& music,
                                    const std::string& home) {
    ProgramFolders f;
    const fs::path exe(executableFolder);
    const fs::path installed = exe.parent_path() / "share" / "lctune";
    f.program = holdsDocuments(exe) || !holdsDocuments(installed) ? exe.string()
                                                                  : installed.lexically_normal().string();
    if (writableFolder(f.program))
        f.recording = f.program;
    else if (writableFolder(music))
        f.recording = music;
    else
        f.recording = home;
    return f;
}

} // namespace lctune
