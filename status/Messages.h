#pragma once

// The system's own lines, word for word: what the sequences and operations
// show on the message line, and what the window, the command line, the log
// and the tests compare with. A line is written here once and taken from here.
namespace nembra::messages {

// Connect.
inline constexpr const char* kNoDriver = "Fail to load FTD2XX.DLL";
inline constexpr const char* kNoPod = "No Connection to KVL47Q POD";
inline constexpr const char* kPortFailed = "Fail to open communication port";
inline constexpr const char* kPodSilent = "Fail to initialize KVL47Q POD";

// Target Reset and POD Info.
inline constexpr const char* kResetDone = "Target board's reset is successful";
inline constexpr const char* kResetFailed = "Fail to reset target board";
inline constexpr const char* kPodInfoFailed = "Fail to read KVL47Q POD Information";
inline constexpr const char* kPodInfoFormat = "POD Ver: %d.%d, POD File Name: %s [when %s]";
inline constexpr const char* kPodInfoNoFileFormat = "POD Ver: %d.%d, No POD File Data";

// Checks before the pod is touched.
inline constexpr const char* kNoFileForTarget = "Please, specify COFF file to write target";
inline constexpr const char* kNoFileForPodWrite = "Please, specify COFF file to write serial flash in KVL47Q POD";
inline constexpr const char* kNoFileForPodVerify = "Please, specify COFF file to verify serial flash in KVL47Q POD";
inline constexpr const char* kNoSectionData = "The selected COFF file don't have valid section data";
inline constexpr const char* kSectionLimitFormat = "The supported section count is to %d";
inline constexpr const char* kTooMuchData = "The data size is bigger than serial flash size in KVL47Q POD";
inline constexpr const char* kNoFlashSection = "There is no valid section for flash region";
inline constexpr const char* kWrongPassword = "CSM Password input is wrong";

// Target Write: progress, then the final line of each result code.
inline constexpr const char* kBootLf240x = "Starting SCI Boot & Downloading Flash Algorithm [Max: 10 sec]...";
inline constexpr const char* kBootF281x = "Starting SCI Boot...";
inline constexpr const char* kDownloading = "Downloading User Program...";
inline constexpr const char* kResetting = "Reset target board...";
inline constexpr const char* kDownloadingAlgorithm = "Downloading Flash Algorithm Code [Max: 10 sec]...";
inline constexpr const char* kInitializingFlash = "Initializing target board for flash memory write...";
inline constexpr const char* kErasing = "Erasing Flash Memory...";
inline constexpr const char* kWritingFlash = "Writing Flash Memory...";
inline constexpr const char* kFlashWriteDone = "Flash Write Completed - ";
inline constexpr const char* kBootFailed = "Fail to start SCI boot";
inline constexpr const char* kDownloadFailed = "Fail to download user program";
inline constexpr const char* kAlgorithmFailed = "Fail to download flash algorithm code";
inline constexpr const char* kFlashInitFailed = "Fail to initialize target board for flash memory write";
inline constexpr const char* kEraseFailed = "Fail to erase flash memory";
inline constexpr const char* kFlashWriteFailed = "Fail to write flash memory";

// POD Write.
inline constexpr const char* kWritingStoreData = "Writing user program in serial flash...";
inline constexpr const char* kWritingPassword = "Writing CSM password information...";
inline constexpr const char* kWritingTag = "Writing tag data information...";
inline constexpr const char* kWritingSummary = "Writing COFF file information...";
inline constexpr const char* kPodWriteDone = "EEPROM Write Completed - ";
inline constexpr const char* kAccessFailed = "Fail to access serial flash in KVL47Q POD";
inline constexpr const char* kStoreDataFailed = "Fail to write user program in serial flash";
inline constexpr const char* kStorePasswordFailed = "Fail to write csm password information";
inline constexpr const char* kStoreTagFailed = "Fail to write tag information";
inline constexpr const char* kStoreSummaryFailed = "Fail to write COFF file information";
inline constexpr const char* kEndAccessFailed = "Fail to finish access to serial flash";

// POD Verify.
inline constexpr const char* kReadingSummary = "Reading COFF information in serial flash...";
inline constexpr const char* kReadingSections = "Reading section information in serial flash...";
inline constexpr const char* kReadingPassword = "Reading CSM Password information in serial flash...";
inline constexpr const char* kVerifyingData = "Verifying user program in serial flash...";
inline constexpr const char* kPodVerifyDone = "EEPROM Verify Completed - ";
inline constexpr const char* kReadSummaryFailed = "Fail to read COFF information";
inline constexpr const char* kNoStoredProgram = "There is no COFF file data in serial flash";
inline constexpr const char* kDeviceDiffers = "The selected MCU type is not same in serial flash";
inline constexpr const char* kSectionCountDiffers = "The selected COFF file is not same in serial flash";
inline constexpr const char* kSectionsDiffer = "The selected COFF file section is not same in serial flash";
inline constexpr const char* kReadPasswordFailed = "Fail to read CSM password information in serial flash";
inline constexpr const char* kDataDiffers = "The selected COFF file data is not same in serial flash";

}  // namespace nembra::messages
