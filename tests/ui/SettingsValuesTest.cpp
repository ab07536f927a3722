#include <gtest/gtest.h>

#include "ops/Job.h"
#include "settings/SettingsValues.h"

namespace nembra::testing {
namespace {

Job F281xControls() {
    Job controls;
    controls.device = 4;
    controls.eraseAll = true;
    controls.unlockCsm = true;
    controls.keys.fill(0x1234);
    return controls;
}

TEST(OptionsToStore, Lf240xAStoresTheDefaultsWhateverTheControlsShow) {
    Job controls = F281xControls();
    controls.device = 1;
    const StoredOptions options = OptionsToStore(controls);
    EXPECT_EQ(options.deviceType, 1);
    EXPECT_EQ(options.eraseAll, 0u);
    EXPECT_EQ(options.csmUnlock, 0u);
    EXPECT_EQ(options.keys, kNoPassword);
}

TEST(OptionsToStore, F281xStoresTheKeysAsTheControlsGaveThem) {
    Job controls = F281xControls();
    controls.keys[3] = 0xFFFF;
    controls.keys[5] = 0x0012;
    const StoredOptions options = OptionsToStore(controls);
    EXPECT_EQ(options.eraseAll, 1u);
    EXPECT_EQ(options.csmUnlock, 1u);
    EXPECT_EQ(options.keys[0], 0x1234);
    EXPECT_EQ(options.keys[3], 0xFFFF);
    EXPECT_EQ(options.keys[5], 0x0012);
}

TEST(OptionsToStore, AnAllZeroPasswordIsStoredAsNoPasswordWithTheOptionKept) {
    Job controls = F281xControls();
    controls.keys.fill(0);
    const StoredOptions options = OptionsToStore(controls);
    EXPECT_EQ(options.csmUnlock, 1u);
    EXPECT_EQ(options.keys, kNoPassword);
}

TEST(OptionsToStore, UncheckedUnlockStoresNoPassword) {
    Job controls = F281xControls();
    controls.unlockCsm = false;
    controls.eraseAll = false;
    const StoredOptions options = OptionsToStore(controls);
    EXPECT_EQ(options.csmUnlock, 0u);
    EXPECT_EQ(options.eraseAll, 0u);
    EXPECT_EQ(options.keys, kNoPassword);
}

TEST(StoredValues, NumbersAndTextsOfTheWrongKindReadAsDefaults) {
    EXPECT_EQ(ReadStoredNumber(QVariant(), 9), 9u);
    EXPECT_EQ(ReadStoredNumber(QVariant(QString("17")), 9), 17u);
    EXPECT_EQ(ReadStoredNumber(QVariant(QString("17x")), 9), 9u);
    EXPECT_EQ(ReadStoredNumber(QVariant(-3), 9), 9u);
    EXPECT_EQ(ReadStoredNumber(QVariant(QByteArray("5")), 9), 9u);
    EXPECT_EQ(ReadStoredText(QVariant(QString("abc"))), "abc");
    EXPECT_EQ(ReadStoredText(QVariant(5)), "");
    EXPECT_EQ(ClampDeviceType(0x103), 3);
    EXPECT_EQ(ClampDeviceType(0xFF), 4);
}

}  // namespace
}  // namespace nembra::testing
