// lctune: the tuner and recording program with its windows.

#include "core/AppFlags.h"
#include "core/Version.h"
#include "platform/ProgramServices.h"
#include "platform/SystemAudio.h"
#include "platform/qt/QtInstanceLock.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtSaveFileDialog.h"
#include "platform/qt/QtScreenMetrics.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtTerminationSignals.h"
#include "shell/DrivenRun.h"
#include "shell/Program.h"
#include "shell/ProgramFolders.h"
#include "shell/Screenshots.h"
#include "shell/封面.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

using namespace lctune;

namespace {

const char* kUsage = R"(Usage: lctune

岚川调音器: listens to the sound card, shows the note you play, how far it is from the standard
pitch and whether it is in tune, and records WAV files through an effects chain.

The program takes no arguments. Settings are kept in ~/.config/岚川工作室/. Without a sound card,
LCTUNE_INPUT=FILE (an audio file, looped) or LCTUNE_INPUT=tone:FREQ is listened to instead.
SIGTERM, Ctrl-C and SIGHUP end it as closing the tuner window does: a running recording is
completed and the settings are saved.
In a terminal without a display, use lctune-analyse --input default.

Options:
  --help      show this text
  --version   show the version
)";

bool writeAll(const char* text) {
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
}

// --help and --version as every program answers them; anything else is refused.
int answerArguments(int argc, char** argv, bool& done) {
    done = argc > 1;
    if (argc <= 1) return 0;
    const std::string first = argv[1];
    if (argc == 2 && first == "--help") return writeAll(kUsage) ? 0 : 2;
    if (argc == 2 && first == "--version")
        return writeAll((std::string("lctune ") + kVersion + "\n").c_str()) ? 0 : 2;
    std::fprintf(stderr, "lctune: unexpected argument '%s' (the program takes none; see --help)\n",
                 first.c_str());
    return 2;
}

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// Every text in one family that has both the Chinese and the Latin letters: text then never
// falls back from face to face of the CJK font collection, which keeps far less of the font file
// in memory.
void useOneFont() {
    const QString family = QStringLiteral("Noto Sans CJK SC");
    if (!QFontDatabase::hasFamily(family)) return;
    QFont font = QApplication::font();
    font.setFamily(family);
    QApplication::setFont(font);
}

// The program while main runs it. An end that skips the exit sequence (the X server gone: the
// platform ends the process with exit(1) from inside the event loop) still leaves a running
// recording's header saying all that its file holds.
Program* runningProgram = nullptr;

void completeRecordingAtExit() {
    if (runningProgram && !runningProgram->exited())
        runningProgram->recordingWindow().hub().encoder().updateSizes();
}

struct RunningProgram {
    explicit RunningProgram(Program& program) {
        runningProgram = &program;
        static const bool registered = std::atexit(completeRecordingAtExit) == 0;
        (void)registered;
    }
    ~RunningProgram() { runningProgram = nullptr; }
};

} // namespace

int main(int argc, char** argv) {
    bool answered = false;
    const int status = answerArguments(argc, argv, answered);
    if (answered) return status;
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "lctune: no display to show the tuner on (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "in a terminal, run: lctune-analyse --input default\n");
        return 1;
    }

    // One malloc arena for every thread: each capture and sound-server thread would otherwise
    // keep an arena of its own resident for the few small blocks it allocates.
    mallopt(M_ARENA_MAX, 1);
    // Small partial updates reach an X server more cheaply through its socket than through shared
    // memory, which costs a round trip before every paint.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lctune"));
    QApplication::setOrganizationName(QString::fromUtf8("岚川工作室"));
    QtScreenMetrics::installIfNone();
    useOneFont();

    AppFlags flags;
    QtMessageLoop loop;
    QtMessageBoxes screenBoxes;
    // Driven from outside (tests), the program waits for nobody: every question is answered No
    // and every message goes to stderr.
    const double runSeconds = DrivenRun::runSeconds();
    const bool driven = runSeconds > 0 || std::getenv("LCTUNE_SCREENSHOTS");
    ConsoleMessageBox consoleBoxes;
    MessageBoxService& messageBoxes = driven ? static_cast<MessageBoxService&>(consoleBoxes) : screenBoxes;
    QtSettingsStore settings;
    QtSaveFileDialog saveDialog;
    QtShell shell;
    // The recorder beside this program lists the input devices, so that the plugins probing
    // loads stay out of a program that is left running.
    const QString recorder = QCoreApplication::applicationDirPath() + QStringLiteral("/lctune-record");
    SystemAudio audio =
        makeSystemAudio(QFileInfo(recorder).isExecutable()
                            ? std::vector<std::string>{recorder.toStdString(), "--list-devices"}
                            : std::vector<std::string>{});
    const ProgramFolders folders =
        ProgramFolders::find(QCoreApplication::applicationDirPath().toStdString(),
                             QStandardPaths::writableLocation(QStandardPaths::MusicLocation).toStdString(),
                             QDir::homePath().toStdString());
    ProgramServices services{
        loop,  messageBoxes,    settings, saveDialog,       shell, *audio.waveIn, *audio.mixers,
        flags, folders.program, "lctune", folders.recording};

    QtInstanceLock instanceLock;
    封面 cover(services, instanceLock);
    if (!cover.load()) return 1;
    cover.program().onQuit([] { QCoreApplication::exit(0); });
    // Asked to end (a logout, kill, Ctrl-C): as closing the tuner window ends the program, with a
    // running recording completed and the settings saved.
    QtTerminationSignals endOnSignal([&cover] { cover.program().tunerWindow().close(); });
    const RunningProgram running(cover.program());
    if (const char* folder = std::getenv("LCTUNE_SCREENSHOTS"); folder && *folder)
        scheduleScreenshots(cover, folder, runSeconds > 0 ? runSeconds : 4.0);
    else if (runSeconds > 0)
        DrivenRun::start(cover, runSeconds);
    cover.show();
    return app.exec();
}
