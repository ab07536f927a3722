#pragma once
#include "ops/Job.h"
#include "ui/ProgrammerControls.h"

namespace nembra {

// The job a command button asks for, read from the controls on the GUI
// thread when the button is clicked: the device list's selection, the File
// Path box's text (by Load always, by the others only while no image is
// loaded), the erase and "Unlock CSM" choices, the key fields (only while
// "Unlock CSM" is ticked) and the POD File Name field.
Job JobFromControls(const ProgrammerControls& controls, JobCommand command, bool imageLoaded);

}  // namespace nembra
