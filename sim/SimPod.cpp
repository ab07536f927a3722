#include "sim/SimPod.h"

#include <algorithm>

#include "sim/SimCommandTable.h"
#include "sim/SimFaults.h"
#include "sim/SimFrameParser.h"
#include "sim/SimPodDispatch.h"
#include "sim/SimSerialFlash.h"
#include "sim/SimTarget.h"
#include "sim/SimWire.h"

namespace nembra {

namespace {

// What the pod sends for a command it will not carry out; anything but '!'
// is a failure to the host.
constexpr uint8_t kRefusal = 0x15;
// What a StrayByteAfterReply fault adds after the reply.
constexpr uint8_t kStrayByte = 0xA5;

std::string Printable(const SimFrame& frame) {
    std::string text;
    if (frame.letter >= 0x20 && frame.letter < 0x7F) text.push_back(frame.letter);
    for (char c : frame.fields) text.push_back(c >= 0x20 && c < 0x7F ? c : '.');
    return text;
}

}  // namespace

struct SimPod::Impl {
    explicit Impl(SimPodOptions options)
        : options(std::move(options)),
          target(this->options.timing),
          serialFlash(this->options.timing, this->options.storePath),
          dispatch(target, serialFlash),
          wire(this->options.timing) {}

    void Handle(const SimFrame& frame, ReplyQueue& replies);
    void Refuse(const std::string& why, ReplyQueue& replies);
    void Answer(const SimFrame& frame, const SimCommandShape& shape, ReplyQueue& replies);
    static void Push(const std::vector<uint8_t>& bytes, uint64_t atUs, ReplyQueue& replies);

    SimPodOptions options;
    SimTarget target;
    SimSerialFlash serialFlash;
    SimPodDispatch dispatch;
    SimWire wire;
    SimFrameParser parser;
    SimFaults faults;
    std::vector<std::string> protocolErrors;
    std::string commandLog;
    bool pulledOut = false;
};

void SimPod::Impl::Push(const std::vector<uint8_t>& bytes, uint64_t atUs, ReplyQueue& replies) {
    for (uint8_t byte : bytes) replies.PushAtUs(byte, atUs);
}

void SimPod::Impl::Refuse(const std::string& why, ReplyQueue& replies) {
    protocolErrors.push_back(why);
    target.Excuse();
    Push({kRefusal}, wire.Reply(0, 1), replies);
}

void SimPod::Impl::Handle(const SimFrame& frame, ReplyQueue& replies) {
    if (frame.letter != 0) commandLog.push_back(frame.letter);
    if (!frame.error.empty()) return Refuse("frame \"" + Printable(frame) + "\": " + frame.error, replies);
    const std::string shapeError = CheckFrameShape(frame);
    if (!shapeError.empty()) return Refuse("frame \"" + Printable(frame) + "\": " + shapeError, replies);
    SimCommandShape shape{};
    FindCommandShape(frame.letter, shape);
    Answer(frame, shape, replies);
}

void SimPod::Impl::Answer(const SimFrame& frame, const SimCommandShape& shape, ReplyQueue& replies) {
    uint32_t extraMs = 0;
    bool stray = false;
    for (const SimFault& fault : faults.Strike(frame.letter)) {
        target.Excuse();
        // A lost or garbled command is not carried out.
        if (fault.kind == SimFault::Kind::NoReply) return;
        if (fault.kind == SimFault::Kind::PulledOut) {
            pulledOut = true;
            return;
        }
        if (fault.kind == SimFault::Kind::WrongFirstByte) {
            std::vector<uint8_t> garbled(std::max<size_t>(shape.replyBytes, 1), 0);
            garbled[0] = kRefusal;
            return Push(garbled, wire.Reply(0, garbled.size()), replies);
        }
        if (fault.kind == SimFault::Kind::SlowReply) extraMs += fault.delayMs;
        if (fault.kind == SimFault::Kind::StrayByteAfterReply) stray = true;
    }
    SimReply reply = dispatch.Execute(frame);
    if (!reply.error.empty()) protocolErrors.push_back("frame \"" + Printable(frame) + "\": " + reply.error);
    std::vector<uint8_t> bytes;
    if (!reply.accepted) {
        target.Excuse();
        bytes.push_back(kRefusal);
    } else if (shape.replyBytes > 0) {
        bytes.push_back('!');
        bytes.insert(bytes.end(), reply.data.begin(), reply.data.end());
        bytes.resize(shape.replyBytes, 0);
    }
    if (stray) bytes.push_back(kStrayByte);
    if (bytes.empty() && reply.WorkUs() == 0) return;
    // A slow reply is late even when every other reply is due at once.
    Push(bytes, wire.Reply(reply.WorkUs(), bytes.size()) + uint64_t{extraMs} * 1000, replies);
}

SimPod::SimPod(SimPodOptions options) : impl_(new Impl(std::move(options))) {}

SimPod::~SimPod() { delete impl_; }

// A host that keeps only milliseconds writes at the start of its millisecond.
void SimPod::OnHostWrite(const uint8_t* bytes, size_t count, uint32_t nowMs, ReplyQueue& replies) {
    OnHostWriteAtUs(bytes, count, UsOfReading(nowMs, impl_->wire.lastHostUs()), replies);
}

void SimPod::OnHostWriteAtUs(const uint8_t* bytes, size_t count, uint64_t nowUs, ReplyQueue& replies) {
    impl_->wire.HostWrite(nowUs);
    SimFrame frame;
    for (size_t i = 0; i < count; ++i) {
        impl_->wire.ByteIn();
        if (impl_->parser.Feed(bytes[i], frame)) impl_->Handle(frame, replies);
    }
    if (impl_->parser.EndOfWrite(frame)) impl_->Handle(frame, replies);
}

void SimPod::OnOpen(uint32_t /*nowMs*/) { impl_->parser.Reset(); }

// The pod notices a session left without "R" when the host lets go of the
// device, which it does at the end of every operation.
void SimPod::OnClose() {
    impl_->parser.Reset();
    const std::string missing = impl_->target.TakeMissingReset("when the host closed the device");
    if (!missing.empty()) impl_->protocolErrors.push_back(missing);
}

bool SimPod::PulledOut() const { return impl_->pulledOut; }

void SimPod::ArmFault(const SimFault& fault) { impl_->faults.Arm(fault); }

void SimPod::ClearFaults() { impl_->faults.Clear(); }

const std::vector<std::string>& SimPod::protocolErrors() const { return impl_->protocolErrors; }

uint16_t SimPod::TargetFlashWord(uint32_t address) const { return impl_->target.flash().Word(address); }

WordMap SimPod::TargetWordsWritten() const {
    WordMap words = impl_->target.memoryWritten();
    for (const auto& [address, word] : impl_->target.flashWritten()) words[address] = word;
    return words;
}

WordMap SimPod::TargetImage() const {
    const SimTarget& target = impl_->target;
    const uint8_t code = target.lastBootedCode();
    if (code == 0) return {};
    WordMap words = target.memoryWritten();
    if (code < 3) return words;
    // The boot loader cannot write flash, so flash addresses show the flash.
    for (uint32_t address = SimF281xFlash::RegionStart(code); address <= SimF281xFlash::kEnd; ++address)
        words[address] = target.flash().Word(address);
    return words;
}

const std::string& SimPod::commandLog() const { return impl_->commandLog; }

void SimPod::SetVersionReply(const std::string& fiveChars) { impl_->dispatch.SetVersionReply(fiveChars); }

}  // namespace nembra
