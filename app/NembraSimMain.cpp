#include "app/ProgrammerApp.h"
#include "app/StationBackend.h"

int main(int argc, char** argv) {
    return nembra::CProgrammerApp::Run(argc, argv, [] { return nembra::MakeSimWindowBackend(); });
}
