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
    controls.keys = {"1234", "1234", "1234", "1234", "1234", "1234", "1234", "1234"};
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

TEST(OptionsToStore, F281xKeysAreReadAsHexadecimalText) {
    Job controls = F281xControls();
    controls.keys[3] = "";
    controls.keys[5] = "12G4";
    controls.keys[6] = " 0xab";
    const StoredOptions options = OptionsToStore(controls);
    EXPECT_EQ(options.eraseAll, 1u);
    EXPECT_EQ(options.csmUnlock, 1u);
    EXPECT_EQ(options.keys[0], 4660);
    EXPECT_EQ(options.keys[3], 65535) << "an empty field is no key";
    EXPECT_EQ(options.keys[5], 18) << "reading stops at the first non-hex character";
    EXPECT_EQ(options.keys[6], 0xAB);
}

TEST(OptionsToStore, AnAllZeroPasswordIsStoredAsNoPasswordWithTheOptionKept) {
    Job controls = F281xControls();
    controls.keys = {"0000", "0", "0000", "0000", "0000", "0000", "0000", "0000"};
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
