// The window keeps answering the desktop while an operation waits on the
// pod, and still ignores the user. The link's clock holds the operation in
// the middle of a long reply (a sector erase, a boot; virtual time, so the
// test is quick and its pace is the test's own) until the GUI thread has
// been looked at.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "pod/LinkObserver.h"
#include "tests/ui/PaintCounter.h"
#include "tests/ui/WindowFixture.h"
#include "tests/ui/XcbPing.h"

namespace nembra::testing {
namespace {

using namespace std::chrono_literals;

// On the operation's worker thread: the link's clock and its observer.
// Partway into the reply to the first frame that starts with `command` it
// sends the window a ping (a queued call, the offscreen platform having no
// _NET_WM_PING; on an X server a real _NET_WM_PING too), waits for the GUI
// thread to answer it, then has the GUI thread run the probe and holds the
// wait until the probe has ended.
class WaitHold : public LinkClock, public LinkObserver {
public:
    static constexpr uint32_t kHoldAfterMs = 5000;

    // command: the frame's letter and leading fields, "O01" for an erase.
    WaitHold(VirtualClock& clock, QObject& gui, std::string command)
        : clock_(clock), gui_(gui), command_(std::move(command)) {}

    std::function<void()> probe;       // on the GUI thread, during the wait
    std::function<void(int)> onFrame;  // on the worker, as such frame n goes out
    uint32_t xWindow = 0;              // the window on the X server, if there is one

    uint32_t NowMs() override { return clock_.NowMs(); }
    void SleepMs(uint32_t ms) override {
        clock_.SleepMs(ms);
        if (waiting_ && !held_ && clock_.NowMs() - waitStart_ >= kHoldAfterMs) Hold();
    }

    void OnWrite(const uint8_t* bytes, size_t count) override {
        // STX, then the command.
        if (count < command_.size() + 1 ||
            command_.compare(0, command_.size(), reinterpret_cast<const char*>(bytes + 1), command_.size()) != 0)
            return;
        waiting_ = true;
        waitStart_ = clock_.NowMs();
        if (onFrame) onFrame(++frames_);
    }
    void OnRead(const uint8_t*, size_t) override { waiting_ = false; }
    void OnEvent(const std::string&) override {}

    // Read once the operation has ended.
    bool held() const { return held_; }
    bool pingAnswered() const { return pingAnswered_; }
    std::chrono::milliseconds pingDelay() const { return pingDelay_; }
    std::optional<std::chrono::milliseconds> xPingDelay() const { return xPingDelay_; }
    bool probeEnded() const { return probeEnded_; }

private:
    void Hold() {
        held_ = true;
        const auto sent = std::chrono::steady_clock::now();
        QMetaObject::invokeMethod(
            &gui_, [this] { Signal(pingAnswered_); }, Qt::QueuedConnection);
        Await(pingAnswered_, 10s);
        pingDelay_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        if (xWindow != 0) xPingDelay_ = PingOverX(xWindow, 5s);
        QMetaObject::invokeMethod(
            &gui_,
            [this] {
                probe();
                Signal(probeEnded_);
            },
            Qt::QueuedConnection);
        Await(probeEnded_, 60s);
    }
    void Signal(bool& flag) {
        std::lock_guard<std::mutex> lock(mutex_);
        flag = true;
        changed_.notify_all();
    }
    void Await(bool& flag, std::chrono::seconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, limit, [&flag] { return flag; });
    }

    VirtualClock& clock_;
    QObject& gui_;
    const std::string command_;
    bool waiting_ = false;
    bool held_ = false;
    uint32_t waitStart_ = 0;
    int frames_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool pingAnswered_ = false;
    bool probeEnded_ = false;
    std::chrono::milliseconds pingDelay_{0};
    std::optional<std::chrono::milliseconds> xPingDelay_;
};

// What the message line and the bar last painted, written on the GUI thread
// as they paint and read on the worker between its calls.
struct PaintLog {
    std::mutex mutex;
    std::string message;
    int32_t barPos = -1;
};

// Long replies, each within its time-out: 20 s per erased sector, 10 s for
// the LF240xA boot with its flash algorithm.
SimPodOptions SlowErasePod() {
    SimPodOptions options;
    options.timing.erase8kSectorMs = 12000;
    options.timing.erase16kSectorMs = 12000;
    return options;
}
SimPodOptions SlowBootPod() {
    SimPodOptions options;
    options.timing.bootMs = 8000;
    return options;
}

class WindowAlive : public WindowFixture {
protected:
    explicit WindowAlive(SimPodOptions pod = SlowErasePod()) : WindowFixture(std::move(pod)) {}

    static void PostKey(QWidget* widget, int key, const QString& text = {}) {
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    }
    static void PostWheel(QWidget* widget) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QCoreApplication::postEvent(widget, new QWheelEvent(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120),
                                                            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
    }
    // Everything the user can do to the window, queued behind what is
    // already there; returns once it has all been delivered.
    void UserTriesEverything() {
        PostClick(c().intelligentErase);
        PostClick(c().targetReset);
        PostKey(c().podFileName, Qt::Key_X, QStringLiteral("X"));
        PostWheel(c().deviceList);
        PostKey(c().podFileName, Qt::Key_Escape);
        PostKey(c().podFileName, Qt::Key_Return);
        PostKey(window.get(), Qt::Key_Escape);
        // The window's close button, as the platform delivers it.
        QCoreApplication::postEvent(window->windowHandle(), new QCloseEvent);
        bool delivered = false;
        QMetaObject::invokeMethod(
            window.get(), [&delivered] { delivered = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(QTest::qWaitFor([&delivered] { return delivered; }, 10000));
    }

    // Opens the window on the hold's clock and lets the hold watch the link.
    void OpenHeldBy(WaitHold& hold) {
        Open(rig.loader, hold);
        window->session().link.SetObserver(&hold);
        if (QGuiApplication::platformName() == QStringLiteral("xcb"))
            hold.xWindow = static_cast<uint32_t>(window->winId());
    }

    // What the probe saw of the window during the wait.
    struct DuringWait {
        std::string message;
        bool buttonsLocked = false;
        bool busyCursor = false;
        bool repainted = false;
        bool visibleAfterInput = false;
    };
    // Looks at the window, has it repaint, then tries every input on it.
    void Probe(DuringWait& seen, PaintCounter& windowPaints) {
        seen.message = Message();
        seen.buttonsLocked = AllButtons(false);
        seen.busyCursor =
            QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        // What another window uncovered is drawn again.
        const int before = windowPaints.count();
        window->update();
        seen.repainted = QTest::qWaitFor([&] { return windowPaints.count() > before; }, 10000);
        UserTriesEverything();
        seen.visibleAfterInput = window->isVisible();
    }
    void ExpectAliveAndDeaf(const WaitHold& hold, const DuringWait& seen) {
        ASSERT_TRUE(hold.held()) << "the long wait was never reached: " << Message();
        EXPECT_TRUE(hold.pingAnswered());
        EXPECT_LT(hold.pingDelay(), 5s) << "the desktop calls a window hung after about 5 s";
        if (hold.xWindow != 0) {
            EXPECT_TRUE(hold.xPingDelay().has_value()) << "_NET_WM_PING unanswered";
            EXPECT_LT(hold.xPingDelay().value_or(5s), 5s);
        }
        EXPECT_TRUE(hold.probeEnded());
        EXPECT_TRUE(seen.buttonsLocked);
        EXPECT_TRUE(seen.busyCursor);
        EXPECT_TRUE(seen.repainted) << "paint events are processed during the wait";
        EXPECT_TRUE(seen.visibleAfterInput) << "the close request is refused";
    }
    // Nothing the user did acted, then or afterwards.
    void ExpectNothingActed(int runsEnded, const QString& podFileName, int device) {
        QApplication::processEvents();
        EXPECT_EQ(Message().rfind("Flash Write Completed - ", 0), 0u) << Message();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(runsEnded, 0);
        EXPECT_EQ(c().podFileName->text(), podFileName);
        EXPECT_EQ(c().deviceList->currentIndex(), device);
        EXPECT_TRUE(AllButtons(true));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
};

TEST_F(WindowAlive, ALongEraseWaitKeepsTheWindowAnsweringAndTheUserIgnored) {
    const std::string program = F281xProgram("prog.out");
    WaitHold hold(rig.clock, *QCoreApplication::instance(), "O01");
    OpenHeldBy(hold);
    c().filePath->setEditText(QString::fromStdString(program));
    c().eraseAll->setChecked(true);
    c().podFileName->setText("keep");
    const int device = c().deviceList->currentIndex();
    int runsEnded = 0;
    QObject::connect(window.get(), &QDialog::finished, [&runsEnded] { ++runsEnded; });

    PaintLog painted;
    PaintCounter messagePaints(c().message, [&] {
        std::lock_guard<std::mutex> lock(painted.mutex);
        painted.message = Message();
    });
    PaintCounter barPaints(c().progress, [&] {
        std::lock_guard<std::mutex> lock(painted.mutex);
        painted.barPos = c().progress->model().pos();
    });
    // Each erase frame follows the calls that announced it: what they
    // changed must already have been painted.
    std::vector<std::pair<std::string, int32_t>> paintedBeforeErase;
    hold.onFrame = [&](int) {
        std::lock_guard<std::mutex> lock(painted.mutex);
        paintedBeforeErase.emplace_back(painted.message, painted.barPos);
    };
    DuringWait seen;
    PaintCounter windowPaints(window.get());
    hold.probe = [&] { Probe(seen, windowPaints); };

    c().targetWrite->click();

    ExpectAliveAndDeaf(hold, seen);
    EXPECT_EQ(seen.message, "Erasing Flash Memory...");
    // Ten sectors, each announced: the message before the first, the bar's
    // step before each further one.
    ASSERT_EQ(paintedBeforeErase.size(), 10u);
    EXPECT_EQ(paintedBeforeErase[0].first, "Erasing Flash Memory...");
    for (size_t n = 1; n < paintedBeforeErase.size(); ++n)
        EXPECT_EQ(paintedBeforeErase[n].second, static_cast<int32_t>(n)) << "before erase frame " << n + 1;
    ExpectNothingActed(runsEnded, "keep", device);
    EXPECT_TRUE(c().eraseAll->isChecked()) << "the click on the other erase option was dropped";
    window->session().link.SetObserver(nullptr);
}

class WindowAliveInBoot : public WindowAlive {
protected:
    WindowAliveInBoot() : WindowAlive(SlowBootPod()) {}
};

TEST_F(WindowAliveInBoot, TheLongBootWaitOfAnLf240xAKeepsTheWindowAnswering) {
    CoffFilePlan coff;
    coff.targetId = 0x0092;
    CoffSectionPlan section;
    section.name = "text";
    section.address = 0x0040;
    section.words = Pattern(100, 3);
    coff.sections.push_back(section);
    const std::string program = settings.dir.Write("lf.out", BuildCoff(coff));
    WaitHold hold(rig.clock, *QCoreApplication::instance(), "M");
    OpenHeldBy(hold);
    c().deviceList->setCurrentIndex(1);
    c().filePath->setEditText(QString::fromStdString(program));
    int runsEnded = 0;
    QObject::connect(window.get(), &QDialog::finished, [&runsEnded] { ++runsEnded; });
    const QString name = c().podFileName->text();
    DuringWait seen;
    PaintCounter windowPaints(window.get());
    hold.probe = [&] { Probe(seen, windowPaints); };

    c().targetWrite->click();

    ExpectAliveAndDeaf(hold, seen);
    EXPECT_EQ(seen.message, "Starting SCI Boot & Downloading Flash Algorithm [Max: 10 sec]...");
    ExpectNothingActed(runsEnded, name, 1);
    window->session().link.SetObserver(nullptr);
}

// Once no operation runs, the close button closes the window as before.
TEST_F(WindowAlive, TheCloseButtonStillWorksBetweenOperations) {
    Open();
    c().targetReset->click();
    ASSERT_EQ(Message(), "Target board's reset is successful");
    QCloseEvent close;
    QApplication::sendEvent(window->windowHandle(), &close);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace nembra::testing
