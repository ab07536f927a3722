#include <gtest/gtest.h>

#include "settings/SettingsValues.h"
#include "tests/support/FakePanel.h"

namespace nembra::testing {
namespace {

FakePanel F281xPanel() {
    FakePanel panel;
    panel.selectedDevice = 4;
    panel.eraseAll = true;
    panel.unlockCsm = true;
    panel.keyFields = {"1234", "1234", "1234", "1234", "1234", "1234", "1234", "1234"};
    return panel;
}

TEST(OptionsToStore, Lf240xAStoresTheDefaultsWhateverTheControlsShow) {
    FakePanel panel = F281xPanel();
    panel.selectedDevice = 1;
    const StoredOptions options = OptionsToStore(panel);
    EXPECT_EQ(options.deviceType, 1);
    EXPECT_EQ(options.eraseAll, 0u);
    EXPECT_EQ(options.csmUnlock, 0u);
    EXPECT_EQ(options.keys, kNoPassword);
}

TEST(OptionsToStore, F281xKeysAreReadAsHexadecimalText) {
    FakePanel panel = F281xPanel();
    panel.keyFields[3] = "";
    panel.keyFields[5] = "12G4";
    panel.keyFields[6] = " 0xab";
    const StoredOptions options = OptionsToStore(panel);
    EXPECT_EQ(options.eraseAll, 1u);
    EXPECT_EQ(options.csmUnlock, 1u);
    EXPECT_EQ(options.keys[0], 4660);
    EXPECT_EQ(options.keys[3], 65535) << "an empty field is no key";
    EXPECT_EQ(options.keys[5], 18) << "reading stops at the first non-hex character";
    EXPECT_EQ(options.keys[6], 0xAB);
}

TEST(OptionsToStore, AnAllZeroPasswordIsStoredAsNoPasswordWithTheOptionKept) {
    FakePanel panel = F281xPanel();
    panel.keyFields = {"0000", "0", "0000", "0000", "0000", "0000", "0000", "0000"};
    const StoredOptions options = OptionsToStore(panel);
    EXPECT_EQ(options.csmUnlock, 1u);
    EXPECT_EQ(options.keys, kNoPassword);
}

TEST(OptionsToStore, UncheckedUnlockStoresNoPassword) {
    FakePanel panel = F281xPanel();
    panel.unlockCsm = false;
    panel.eraseAll = false;
    const StoredOptions options = OptionsToStore(panel);
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
