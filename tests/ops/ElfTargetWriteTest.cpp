// One F281x program linked as ELF and as COFF: a Target Write of either on
// the simulated pod sends the same bytes and leaves the same flash.
#include <memory>

#include "tests/ops/FlashCheck.h"
#include "tests/ops/OpsFixture.h"
#include "tests/support/ElfBuilder.h"

namespace nembra::testing {
namespace {

constexpr int kF2812 = 4;

// The program of F281xElfProgram as TI's COFF linker would lay it out: the
// copied code at its load address, the uninitialised and debug sections and
// the password as COFF sections, which the rules leave out as they do the
// ELF ones.
CoffFilePlan SameProgramInCoff() {
    auto section = [](std::string name, uint32_t address, std::vector<uint16_t> words) {
        CoffSectionPlan s;
        s.name = std::move(name);
        s.address = address;
        s.words = std::move(words);
        return s;
    };
    auto ebss = section(".ebss", 0x008400, {});
    ebss.sizeWords = 0x80;
    ebss.withRawData = false;
    CoffFilePlan coff;
    coff.sections = {section(".text", 0x3F6000, Pattern(0x40, 1)),    section(".econst", 0x3F6040, Pattern(0x11, 2)),
                     section(".cinit", 0x3F4000, Pattern(0x08, 3)),   section("ramfuncs", 0x3F0000, Pattern(0x20, 4)),
                     section("_CsmPwlFile", 0x3F7FF8, Pattern(8, 5)), ebss,
                     section(".stack", 0x000400, Pattern(0x400, 7)),  section(".debug_info", 0, Pattern(0x30, 6))};
    return coff;
}

// A pod of its own, so that each run starts from erased flash.
struct TargetWriteRun {
    explicit TargetWriteRun(const std::string& path)
        : rig(ZeroLatency()), session(rig.loader, rig.clock), clock(rig.clock) {
        session.link.LoadDriverLibrary();
        job.filePath = path;
        job.device = kF2812;
        OperationContext ctx{session, job, status, clock, nullptr, &events};
        RunTargetWrite(ctx);
    }
    std::string Sent() const { return std::string(rig.device.written().begin(), rig.device.written().end()); }

    SimRig rig;
    Session session;
    Job job;
    RecordingEvents events;
    RangeRecordingStatus status;
    TestOpsClock clock;
};

TEST(ElfTargetWrite, ProgramsTheTargetExactlyAsTheSameProgramInCoff) {
    TempDir dir;
    const auto elf = std::make_unique<TargetWriteRun>(dir.Write("prog.elf.out", BuildElf(F281xElfProgram())));
    const auto coff = std::make_unique<TargetWriteRun>(dir.Write("prog.coff.out", BuildCoff(SameProgramInCoff())));
    for (const TargetWriteRun* run : {elf.get(), coff.get()}) {
        EXPECT_EQ(run->status.lastText().rfind("Flash Write Completed - ", 0), 0u) << run->status.lastText();
        for (const auto& error : run->rig.pod.protocolErrors()) ADD_FAILURE() << "pod refused: " << error;
    }
    EXPECT_EQ(elf->Sent(), coff->Sent());
    EXPECT_EQ(elf->rig.pod.commandLog(), coff->rig.pod.commandLog());
    for (uint32_t address = kSectors[2].first; address <= kSectors[0].last; ++address)
        ASSERT_EQ(elf->rig.pod.TargetFlashWord(address), coff->rig.pod.TargetFlashWord(address)) << std::hex << address;

    const WordMap words = FlashWords(elf->session.image);
    EXPECT_EQ(words.size(), 0x40u + 0x11 + 0x08 + 0x20);
    EXPECT_EQ(words.count(0x3F7FF8), 0u);  // the password words stay erased
    ExpectFlashHolds(elf->rig.pod, words, 0x0007);
}

}  // namespace
}  // namespace nembra::testing
