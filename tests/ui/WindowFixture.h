#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "ops/OpsClock.h"
#include "sim/SimRig.h"
#include "tests/support/CoffBuilder.h"
#include "tests/ui/SettingsFile.h"
#include "ui/ControlIds.h"
#include "ui/ProgrammerDlg.h"

namespace nembra::testing {

inline SimPodOptions InstantPod() {
    SimPodOptions options;
    options.timing.zeroLatency = true;
    return options;
}

// The window on a simulated pod, with its settings in a temporary folder.
class WindowFixture : public ::testing::Test {
protected:
    explicit WindowFixture(SimPodOptions pod = InstantPod()) : rig(std::move(pod)) {}

    void Open() { Open(rig.loader); }
    void Open(DriverLoader& loader) { Open(loader, rig.clock); }
    // linkClock: what the window's link waits on, over the rig's clock.
    void Open(DriverLoader& loader, LinkClock& linkClock) {
        window = std::make_unique<CProgrammerDlg>(ProgrammerBackend{loader, linkClock, opsClock},
                                                  SettingsStore(settings.path()));
        window->show();
        QApplication::processEvents();
    }
    // Destroying the window stores the settings.
    void Close() { window.reset(); }

    template <typename T>
    T* Control(int id) const {
        return qobject_cast<T*>(FindControl(window.get(), id));
    }
    const ProgrammerControls& c() const { return window->controls(); }
    std::string Message() const { return c().message->messageText().toStdString(); }
    bool MessageIsError() const { return c().message->foreColor() == QColor(255, 0, 0); }

    // An F2812 program of one flash section.
    std::string F281xProgram(const std::string& name, uint32_t address = 0x3F6000, size_t words = 200) {
        CoffFilePlan coff;
        coff.targetId = 0x009D;
        CoffSectionPlan section;
        section.name = "text";
        section.address = address;
        section.words = Pattern(words, 7);
        coff.sections.push_back(section);
        return settings.dir.Write(name, BuildCoff(coff));
    }
    void StoreRecent(const std::vector<std::string>& paths) {
        for (size_t n = 0; n < paths.size(); ++n)
            settings.Put(QStringLiteral("File List/Recent File%1").arg(n), QString::fromStdString(paths[n]));
    }
    bool AllButtons(bool enabled) const {
        for (COXBitmapButton* button : c().CommandButtons())
            if (button->isEnabled() != enabled) return false;
        return true;
    }
    // A click queued as the platform would deliver it.
    static void PostClick(QWidget* widget) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        const QPointF global = widget->mapToGlobal(at);
        QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                            Qt::NoButton, Qt::NoModifier));
    }
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> items;
        for (int i = 0; i < c().filePath->count(); ++i) items.push_back(c().filePath->itemText(i).toStdString());
        return items;
    }

    SettingsFile settings;
    SimRig rig;
    LinkOpsClock opsClock{rig.clock};
    std::unique_ptr<CProgrammerDlg> window;
};

}  // namespace nembra::testing
