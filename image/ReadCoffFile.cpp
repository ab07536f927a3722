#include "image/CoffReader.h"
#include "image/FileBytes.h"
#include "image/ProgramLoad.h"

namespace nembra {

CoffResult ReadCoffFile(const std::string& path, DeviceType deviceType, ProgramImage& image) {
    FileBytes file;
    if (const CoffResult read = file.Read(path); read != CoffResult::Ok) return read;
    return ReadProgramBytes(file.bytes(), FormatFor(ProgramFormat::Coff), deviceType, image).result;
}

}  // namespace nembra
