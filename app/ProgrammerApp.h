#pragma once
#include <functional>
#include <memory>

#include "ui/ProgrammerDlg.h"

namespace nembra {

// Owns what the window runs on for the length of a run.
class BackendOwner {
public:
    virtual ~BackendOwner() = default;
    virtual ProgrammerBackend backend() = 0;
};

using BackendFactory = std::function<std::unique_ptr<BackendOwner>()>;

// The program: a second copy ends at once and silently; otherwise the
// window runs until it is closed, its settings kept under "Corvane" and the
// program file's base name. Arguments are ignored.
class CProgrammerApp {
public:
    static int Run(int argc, char** argv, const BackendFactory& makeBackend);
};

}  // namespace nembra
