#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "status/ProgressModel.h"
#include "status/StatusSink.h"

namespace nembra {

// What a pod's tile is told while its pod runs: a line of text, and where
// the phase stands when there is one.
struct TileUpdate {
    std::string text;
    bool hasProgress = false;
    uint32_t done = 0;
    uint32_t total = 0;
    // The pod's operation has ended with `text` as its final line, passed
    // or failed as its outcome says, with the failing step and cause in
    // plain words. Its board's record follows once every pod of the run has
    // ended.
    bool finished = false;
    bool passed = false;
    std::string failure;
};

// The status of one pod of a run, on that pod's thread. It hands each
// change to `post`, which carries it to the window's thread without
// waiting: a pod never waits on the window. A step goes on only when it
// moves the tile's bar by a pixel, so that stepping once per data word
// costs no thread switch.
class TileStatus : public StatusSink {
public:
    TileStatus(std::function<void(const TileUpdate&)> post, int32_t barPixels);

    void ShowMessage(const std::string& text, bool isError) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t SetPos(int32_t pos) override;
    int32_t StepIt() override;
    void Progress(const ProgressEvent& event) override;

private:
    std::function<void(const TileUpdate&)> post_;
    ProgressModel bar_;
    std::string phase_;
};

}  // namespace nembra
