#pragma once
// Where the program's documents are and where a recording goes when no file is chosen.
//
// The program folder is the one that holds the LCTUNE/ documents: the executable's own folder in
// the build tree, or share/lctune beside the bin/ folder of an installed program. The default
// recording goes into the program folder when the user may write there, otherwise into the
// user's music folder, otherwise the home folder.

#include <string>

namespace lctune {

struct ProgramFolders {
    std::string program;
    std::string recording;

    /// `executableFolder`: the folder of the running program; `music` and `home`: the user's.
    static ProgramFolders find(const std::string& executableFolder, const std::string& music,
                               const std::string& home);
};

} // namespace lctune
