#pragma once
#include <cstdint>
#include <string>

#include "image/LoadCoffFile.h"
#include "ops/Operations.h"

namespace nembra::op_steps {

// The image the operation works on: the shared one, else the session's.
const ProgramImage& Image(const OperationContext& ctx);

// Loads the File Path text when no image is loaded; false (with a message
// shown) when there is nothing to load or the load failed.
bool EnsureImageLoaded(OperationContext& ctx, const char* emptyPathMessage);
// False, with its message, when the image has no section or no data.
bool HasSectionData(OperationContext& ctx);
// The serial-flash limits on the family's counted sections and bytes.
bool WithinPodLimits(OperationContext& ctx);
// F281x: false, with its message, when no section lies in flash.
bool HasFlashSectionForPod(OperationContext& ctx);

// What a Load reads and changes, with the panel's out-of-memory box.
LoadContext MakeLoadContext(OperationContext& ctx);
SequenceContext MakeSequenceContext(OperationContext& ctx);

// The frame around a pod sequence: buttons locked and busy cursor from
// construction on, the clock read at construction and by Elapsed(); the
// destructor closes the link, empties the bar, restores the cursor and
// unlocks the buttons, so this clean-up runs on every outcome.
class SequenceFrame {
public:
    explicit SequenceFrame(OperationContext& ctx);
    ~SequenceFrame();
    SequenceFrame(const SequenceFrame&) = delete;
    SequenceFrame& operator=(const SequenceFrame&) = delete;

    // Reads the clock again and gives the elapsed text.
    std::string Elapsed();

private:
    OperationContext& ctx_;
    bool startOk_ = false;
    uint32_t startMs_ = 0;
};

}  // namespace nembra::op_steps
