#include "ui/ProgrammerControls.h"

#include "image/DeviceTypes.h"
#include "ui/ControlIds.h"

namespace nembra {

namespace {

struct Place {
    int x, y, w, h;
};

// Key n's label and field: four rows of two.
constexpr int kKeyRowY[4] = {103, 119, 135, 153};
constexpr int kKeyLabelX[2] = {37, 159};
constexpr int kKeyFieldX[2] = {100, 221};

template <typename W>
W* Put(W* widget, const DialogUnits& units, int id, Place place) {
    widget->setGeometry(units.Rect(place.x, place.y, place.w, place.h));
    if (id != 0) SetControlId(widget, id);
    return widget;
}

COXBitmapButton* Command(QWidget& dialog, const DialogUnits& units, int id, const char* text, Place place) {
    auto* button = Put(new COXBitmapButton(QString::fromUtf8(text), &dialog), units, id, place);
    button->setObjectName(QString::fromUtf8(text));
    return button;
}

QLabel* Label(QWidget& dialog, const DialogUnits& units, int id, const char* text, Place place) {
    auto* label = Put(new QLabel(QString::fromUtf8(text), &dialog), units, id, place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

void BuildCommandButtons(QWidget& dialog, const DialogUnits& units, ProgrammerControls& c) {
    c.targetWrite = Command(dialog, units, IDC_TARGET_WRITE, "Target Write", {7, 213, 62, 22});
    c.targetReset = Command(dialog, units, IDC_TARGET_RESET, "Target Reset", {81, 213, 62, 22});
    c.load = Command(dialog, units, IDC_LOAD, "Load", {155, 213, 62, 22});
    c.podWrite = Command(dialog, units, IDC_POD_WRITE, "POD Write", {7, 238, 62, 22});
    c.podVerify = Command(dialog, units, IDC_POD_VERIFY, "POD Verify", {81, 238, 62, 22});
    c.podInfo = Command(dialog, units, IDC_POD_INFO, "POD Info", {155, 238, 62, 22});
    c.exit = Command(dialog, units, IDC_EXIT, "Exit", {229, 213, 62, 22});
}

void BuildFileControls(QWidget& dialog, const DialogUnits& units, ProgrammerControls& c) {
    c.deviceList = Put(new QComboBox(&dialog), units, IDC_DEVICE_LIST, {37, 7, 114, 14});
    for (const DeviceEntry& entry : kDevices)
        c.deviceList->addItem(QString::fromUtf8(entry.listText.data(), static_cast<qsizetype>(entry.listText.size())));
    c.podFileName = Put(new QLineEdit(&dialog), units, IDC_POD_FILE_NAME, {204, 7, 88, 14});
    c.filePath = Put(new QComboBox(&dialog), units, IDC_FILE_PATH, {37, 25, 228, 14});
    c.filePath->setEditable(true);
    c.filePath->setInsertPolicy(QComboBox::NoInsert);
    c.filePath->setDuplicatesEnabled(true);
    c.filePath->setMaxVisibleItems(10);
    c.browse = Put(new QPushButton(QStringLiteral("..."), &dialog), units, IDC_BROWSE, {269, 25, 23, 14});
}

void BuildOptionControls(QWidget& dialog, const DialogUnits& units, ProgrammerControls& c) {
    c.intelligentErase = Put(new QRadioButton(QStringLiteral("Intelligent Erase Flash Memory"), &dialog), units,
                             IDC_INTELLIGENT_ERASE, {37, 55, 114, 14});
    c.eraseAll = Put(new QRadioButton(QStringLiteral("Erase All Flash Memory"), &dialog), units, IDC_ERASE_ALL,
                     {159, 55, 93, 14});
    c.unlockCsm = Put(new QCheckBox(QString::fromUtf8("Unlock CSM(Code Security Module) 사용 여부"), &dialog), units,
                      IDC_UNLOCK_CSM, {37, 69, 181, 15});
    for (int n = 0; n < 8; ++n) {
        const Place place{kKeyFieldX[n % 2], kKeyRowY[n / 2], 31, 15};
        c.keyFields[n] = Put(new QLineEdit(&dialog), units, IDC_KEY0 + n, place);
    }
}

void BuildStatusControls(QWidget& dialog, const DialogUnits& units, ProgrammerControls& c) {
    c.message = Put(new CMessageStatic(QStringLiteral("Message"), &dialog), units, IDC_MESSAGE, {7, 175, 285, 18});
    c.progress = Put(new CLabeledProgressCtrl(&dialog), units, IDC_PROGRESS, {7, 195, 285, 16});
}

void BuildLabels(QWidget& dialog, const DialogUnits& units, ProgrammerControls& c) {
    Label(dialog, units, 0, "MCU", {7, 7, 28, 14});
    c.optionGroup =
        Put(new QGroupBox(QStringLiteral("Option for TMS320F281x Device"), &dialog), units, 0, {7, 43, 285, 130});
    // A group box only frames its neighbours; it must not catch their clicks.
    c.optionGroup->lower();
    Label(dialog, units, 0, "File Path", {7, 25, 31, 14});
    for (int n = 0; n < 8; ++n) {
        const QByteArray text = QStringLiteral("KEY%1 (0xFFFFFF)").arg(n).toUtf8();
        c.keyLabels[n] =
            Label(dialog, units, IDC_KEY_LABEL0 + n, text.constData(), {kKeyLabelX[n % 2], kKeyRowY[n / 2], 56, 15});
    }
    Label(dialog, units, 0, "Flash Algorithm Code에 사용됩니다. - Hex Value", {47, 85, 173, 15});
    Label(dialog, units, 0, "POD File Name", {153, 7, 51, 14});
}

}  // namespace

ProgrammerControls BuildProgrammerControls(QWidget& dialog, const DialogUnits& units) {
    ProgrammerControls controls;
    BuildCommandButtons(dialog, units, controls);
    BuildFileControls(dialog, units, controls);
    BuildOptionControls(dialog, units, controls);
    BuildStatusControls(dialog, units, controls);
    BuildLabels(dialog, units, controls);
    return controls;
}

}  // namespace nembra
