#include "ui/WindowJob.h"

#include "ops/Operations.h"

namespace nembra {

Job JobFromControls(const ProgrammerControls& c, JobCommand command, bool imageLoaded) {
    Job job;
    job.command = command;
    job.device = c.deviceList->currentIndex();
    if (command == JobCommand::Load || !imageLoaded) job.filePath = c.filePath->currentText().toStdString();
    job.eraseAll = c.eraseAll->isChecked();
    job.unlockCsm = c.unlockCsm->isChecked();
    if (job.unlockCsm)
        for (size_t n = 0; n < job.keys.size(); ++n) job.keys[n] = ParseKeyText(c.keyFields[n]->text().toStdString());
    job.podFileName = c.podFileName->text().toStdString();
    return job;
}

}  // namespace nembra
