#include <memory>

#include "app/ProgrammerApp.h"
#include "app/SimBackend.h"

int main(int argc, char** argv) {
    return nembra::CProgrammerApp::Run(argc, argv, [] { return std::make_unique<nembra::SimBackend>(); });
}
