#include "platform/RecordingPlotSurface.h"
#include "tuner/TunerAnalysis.h"

#include <gtest/gtest.h>

using namespace lctune;
