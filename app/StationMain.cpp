#include "app/StationApp.h"

int main(int argc, char** argv) { return nembra::RunStationApp(argc, argv); }
