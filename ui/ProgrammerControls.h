#pragma once
#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/DialogUnits.h"
#include "ui/controls/LabeledProgressCtrl.h"
#include "ui/controls/MessageStatic.h"
#include "ui/controls/OXBitmapButton.h"

namespace nembra {

// The main window's controls, made in template order, which is also their
// tab order.
struct ProgrammerControls {
    COXBitmapButton* targetWrite = nullptr;
    COXBitmapButton* targetReset = nullptr;
    COXBitmapButton* load = nullptr;
    COXBitmapButton* podWrite = nullptr;
    COXBitmapButton* podVerify = nullptr;
    COXBitmapButton* podInfo = nullptr;
    COXBitmapButton* exit = nullptr;
    QComboBox* deviceList = nullptr;
    QLineEdit* podFileName = nullptr;
    QComboBox* filePath = nullptr;
    QPushButton* browse = nullptr;
    QRadioButton* intelligentErase = nullptr;
    QRadioButton* eraseAll = nullptr;
    QCheckBox* unlockCsm = nullptr;
    std::array<QLineEdit*, 8> keyFields{};
    CMessageStatic* message = nullptr;
    CLabeledProgressCtrl* progress = nullptr;
    QGroupBox* optionGroup = nullptr;
    std::array<QLabel*, 8> keyLabels{};

    std::array<COXBitmapButton*, 7> CommandButtons() const {
        return {targetWrite, targetReset, load, podWrite, podVerify, podInfo, exit};
    }
};

inline constexpr int kDialogWidthUnits = 299;
inline constexpr int kDialogHeightUnits = 267;
inline constexpr int kKeyFieldLimit = 4;
inline constexpr int kPodFileNameLimit = 8;

// Creates every control of the window on `dialog` at its place.
ProgrammerControls BuildProgrammerControls(QWidget& dialog, const DialogUnits& units);

}  // namespace nembra
