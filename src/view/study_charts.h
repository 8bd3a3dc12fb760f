#pragma once
// The chart of a study: each measure against step, a line per sweep point (the mean of its
// replicates) in a band of one standard deviation either side.
#include <string>

#include "sim/study_run.h"

namespace viv {

// The measures charted, in their order: the ones a study of evolution looks at first.
extern const char* const StudyChartMeasures[6];

// The charts, two across, as a PNG file; EVivarion naming the file when it cannot be written.
void WriteStudyChartsPng(const TStudySummary& summary, const std::string& fileName, int width = 1200,
                         int height = 1200);

}  // namespace viv
