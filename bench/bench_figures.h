#pragma once
// The benchmark's figures. Each is a ratio of two times (or sizes) taken in the same run, so it
// holds on a loaded machine; the reference is one copy of the whole preview where not said otherwise.

#include <string>
#include <vector>

namespace bench {

struct Figure {
    std::string name;
    double value = 0;    // the ratio (or, for leaks, the largest growth)
    double target = 0;   // at most this
    std::string detail;  // the two measurements behind the ratio
    bool Ok() const { return value <= target; }
};

struct Setup {
    std::wstring workFolder;    // images made by the benchmark go here
    std::wstring browseFolder;  // the folder of 20,000 files
    int repetitions = 9;
};

// Prints the figure as one line at once, so a long run shows its progress.
void Report(const Figure& figure);

std::vector<Figure> MeasureMemory(const Setup& setup);
std::vector<Figure> MeasureTiling(const Setup& setup);
std::vector<Figure> MeasureSelectionAndResizing(const Setup& setup);
std::vector<Figure> MeasureBrowsing(const Setup& setup);
std::vector<Figure> MeasureLeaks(const Setup& setup);
// Saving a 7680 x 4320 PNG: peak memory above the picture; run first, before any other peak.
std::vector<Figure> MeasureSavingMemory(const Setup& setup);
// The promised "PNG" of a 3840 x 2160 tiling and saving a 7680 x 4320 PNG, against WIC from memory.
std::vector<Figure> MeasureOutputs(const Setup& setup);

// "Nahtlos machen": method 1 against decoding, the dialog's preview, answers during a large repair.
std::vector<Figure> MeasureRepair(const Setup& setup);
// The longest wait for the window's answer while a 4096 x 4096 JPEG decodes and while a 30000 x 30000
// PNG is saved, and how soon a cancelled save has ended with no file left; in milliseconds.
std::vector<Figure> MeasureJobs(const Setup& setup);

// Makes the browsing folder when it is missing or incomplete; false when it cannot be made.
bool PrepareBrowseFolder(const std::wstring& folder);

}  // namespace bench
