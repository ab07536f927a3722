#pragma once
#include <QWidget>

namespace nembra {

// The main window's control numbers; each control carries its number in the
// "controlId" property.
enum ControlId : int {
    IDC_DEVICE_LIST = 1000,
    IDC_INTELLIGENT_ERASE = 1001,
    IDC_ERASE_ALL = 1002,
    IDC_FILE_PATH = 1003,
    IDC_BROWSE = 1004,
    IDC_POD_FILE_NAME = 1005,
    IDC_LOAD = 1006,
    IDC_TARGET_RESET = 1007,
    IDC_POD_WRITE = 1008,
    IDC_POD_VERIFY = 1009,
    IDC_TARGET_WRITE = 1010,
    IDC_EXIT = 1011,
    IDC_PROGRESS = 1012,
    IDC_MESSAGE = 1013,
    IDC_POD_INFO = 1014,
    IDC_UNLOCK_CSM = 1015,
    IDC_KEY0 = 1016,        // key fields 1016..1023
    IDC_KEY_LABEL0 = 1024,  // key labels 1024..1031
};

inline constexpr const char* kControlIdProperty = "controlId";

void SetControlId(QWidget* widget, int id);
// The descendant of root carrying the number; null when there is none.
QWidget* FindControl(const QWidget* root, int id);

}  // namespace nembra
