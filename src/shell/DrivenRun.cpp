#include "shell/DrivenRun.h"

#include "core/Colors.h"
#include "recording/录音框.h"
#include "recording/录音窗.h"
#include "shell/Program.h"
#include "shell/封面.h"
#include "tuner/乐器调音窗.h"
#include "widgets/LCButton.h"
#include "widgets/小圆按钮.h"

#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace lctune::DrivenRun {

namespace {

using Clock = std::chrono::steady_clock;

void later(QObject* context, double seconds, std::function<void()> what) {
    QTimer::singleShot(static_cast<int>(seconds * 1000), context, std::move(what));
}

void reportNotes(Program& program) {
    TunerAnalysis& analysis = program.tunerWindow().analysis();
    auto firstSound = std::make_shared<std::optional<Clock::time_point>>();
    program.recordingWindow().hub().BlockProcessed.connect([firstSound](std::span<const int16_t>, int32_t) {
        if (!*firstSound) *firstSound = Clock::now();
    });
    const auto report = [&analysis, firstSound] {
        const double since =
            *firstSound ? std::chrono::duration<double>(Clock::now() - **firstSound).count() : -1.0;
        std::printf("音符\t%s\t%s\t%.3f\n", analysis.音符.Text().c_str(),
                    colorHex(analysis.音符.BackColor()).c_str(), since);
        std::fflush(stdout);
    };
    analysis.音符.Change.connect(report);
    analysis.音符.BackColorChange.connect(report);
}

// FILE:START:SECONDS, the file name may hold colons itself.
void scheduleRecording(封面& cover, const std::string& plan) {
    const size_t second = plan.rfind(':');
    const size_t first =
        second == std::string::npos || second == 0 ? std::string::npos : plan.rfind(':', second - 1);
    if (first == std::string::npos) {
        std::fprintf(stderr, "lctune: LCTUNE_TEST_RECORD wants FILE:START:SECONDS\n");
        return;
    }
    const std::string file = plan.substr(0, first);
    const double start = std::atof(plan.substr(first + 1, second - first - 1).c_str());
    const double seconds = std::atof(plan.substr(second + 1).c_str());
    Program& program = cover.program();
    // The tuner window opens about two and a half seconds after the start.
    later(&cover, 2.5 + start, [&program, file] {
        program.tunerWindow().结束->Value(true);
        program.recordingWindow().txtFile->setText(QString::fromStdString(file));
        program.pressRecordButton();
        std::printf("录音\t开始\t%s\t%lld\n", program.recordingBox().录音按钮->Caption().c_str(),
                    static_cast<long long>(program.recorder().DroppedFrames()));
        std::fflush(stdout);
    });
    later(&cover, 2.5 + start + seconds, [&program] {
        const int64_t bytes = program.recordingWindow().hub().bytesRecorded();
        program.pressRecordButton();
        std::printf("录音\t结束\t%lld\t%lld\n", static_cast<long long>(bytes),
                    static_cast<long long>(program.recorder().DroppedFrames()));
        std::fflush(stdout);
        program.tunerWindow().开始->Value(true);
    });
}

} // namespace

double runSeconds() {
    const char* value = std::getenv("LCTUNE_TEST_RUN_SECONDS");
    return value ? std::atof(value) : 0.0;
}

void start(封面& cover, double seconds) {
    Program& program = cover.program();
    reportNotes(program);
    if (const char* plan = std::getenv("LCTUNE_TEST_RECORD"); plan && *plan) scheduleRecording(cover, plan);
    乐器调音窗& tuner = program.tunerWindow();
    later(&tuner, seconds, [&program, &tuner] {
        std::printf("丢弃\t%lld\n", static_cast<long long>(program.recorder().DroppedFrames()));
        std::fflush(stdout);
        tuner.close();
    });
}

} // namespace lctune::DrivenRun
