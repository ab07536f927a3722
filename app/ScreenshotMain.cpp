// Renders the window on the simulated pod, after loading a program file, to
// a PNG: nembra-screenshot OUTPUT.png FILE.out [SHOWN-PATH]
// SHOWN-PATH, when given, is what the File Path box shows once the file has
// loaded, so that a picture for the documentation shows a reader's kind of
// path rather than the folder of the machine that made it. It keeps its
// settings and the simulated pod's store in a temporary folder, so the
// user's own settings are not touched.
#include <cstdio>

#include <QApplication>
#include <QTemporaryDir>

#include "app/StationBackend.h"
#include "image/DeviceTypes.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: nembra-screenshot OUTPUT.png FILE.out [SHOWN-PATH]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "nembra-screenshot: cannot make a temporary folder\n");
        return 1;
    }
    const auto backend = nembra::MakeSimWindowBackend(false, scratch.filePath("sim-pod.store").toStdString());
    nembra::CProgrammerDlg window(backend->backend(), nembra::SettingsStore(scratch.filePath("settings.ini")));
    window.show();
    QApplication::processEvents();
    window.controls().filePath->setEditText(QString::fromLocal8Bit(argv[2]));
    window.controls().load->click();
    if (argc == 4) window.controls().filePath->setEditText(QString::fromLocal8Bit(argv[3]));
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "nembra-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
