#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "settings/SettingsStore.h"
#include "tests/ui/SettingsFile.h"

namespace nembra::testing {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsFile file;
    SettingsStore store{file.path()};
};

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaults) {
    const StoredSettings values = store.Load();
    EXPECT_EQ(values.deviceType, 4);
    EXPECT_EQ(values.eraseAll, 0u);
    EXPECT_EQ(values.csmUnlock, 0u);
    EXPECT_TRUE(values.browseFolder.empty());
    EXPECT_TRUE(values.eepFileName.empty());
    EXPECT_EQ(values.keys, kNoPassword);
    EXPECT_TRUE(values.recentFiles.empty());
    EXPECT_FALSE(QFile::exists(file.path())) << "reading must not create the file";
}

TEST_F(SettingsStoreTest, McuTypeTakesTheLowByteThenAtMostFour) {
    const std::pair<QVariant, int> cases[] = {
        {QVariant(7u), 4},  {QVariant(256u), 0},        {QVariant(4294967295u), 4},
        {QVariant(2u), 2},  {QVariant(258u), 2},        {QString("x1"), 4},
        {QString("-1"), 4}, {QString("4294967296"), 4}, {QStringList{"1", "2"}, 4},
    };
    for (const auto& [stored, expected] : cases) {
        file.Put("Main Configuration/MCU Type", stored);
        EXPECT_EQ(store.Load().deviceType, expected) << stored.toString().toStdString();
    }
}

TEST_F(SettingsStoreTest, KeysKeepTheirLowSixteenBitsAndGarbageReadsAsDefault) {
    file.Put("Main Configuration/PW KEY0", 0x12345u);
    file.Put("Main Configuration/PW KEY1", QString("garbage"));
    file.Put("Main Configuration/PW KEY2", 4660u);
    file.Put("Main Configuration/EraseAll Mode", QString("1"));
    file.Put("Main Configuration/EEP File Name", QStringList{"a", "b"});
    const StoredSettings values = store.Load();
    EXPECT_EQ(values.keys[0], 0x2345);
    EXPECT_EQ(values.keys[1], 0xFFFF);
    EXPECT_EQ(values.keys[2], 4660);
    EXPECT_EQ(values.eraseAll, 1u);
    EXPECT_TRUE(values.eepFileName.empty()) << "a list is not a text";
}

TEST_F(SettingsStoreTest, ValuesSurviveARoundTripAsNumbers) {
    StoredSettings values;
    values.deviceType = 3;
    values.eraseAll = 1;
    values.csmUnlock = 1;
    values.browseFolder = "/home/user/dsp/";
    values.eepFileName = "TB3CM";
    values.keys = {1, 2, 3, 4, 5, 6, 7, 0xFFFF};
    store.Save(values);
    EXPECT_EQ(file.Get("Main Configuration/PW KEY6").toString(), "7") << "stored as a number, not as hex text";
    const StoredSettings back = store.Load();
    EXPECT_EQ(back.deviceType, 3);
    EXPECT_EQ(back.eraseAll, 1u);
    EXPECT_EQ(back.csmUnlock, 1u);
    EXPECT_EQ(back.browseFolder, "/home/user/dsp/");
    EXPECT_EQ(back.eepFileName, "TB3CM");
    EXPECT_EQ(back.keys, values.keys);
}

TEST_F(SettingsStoreTest, RecentPathsThatNoLongerExistAreDroppedBothWays) {
    const std::string a = file.File("a.out");
    const std::string c = file.File("c.out");
    const std::string d = file.File("d.out");
    file.Put("File List/Recent File0", QString::fromStdString(a));
    file.Put("File List/Recent File1", QString::fromStdString(file.dir.path() + "/gone.out"));
    file.Put("File List/Recent File2", QString::fromStdString(c));
    file.Put("File List/Recent File4", QString::fromStdString(d));  // after a gap: never read
    EXPECT_EQ(store.Load().recentFiles, (std::vector<std::string>{a, c}));

    StoredSettings values;
    values.recentFiles = {a, file.dir.path() + "/gone.out", c, d};
    store.Save(values);
    EXPECT_EQ(file.Get("File List/Recent File0").toString().toStdString(), a);
    EXPECT_EQ(file.Get("File List/Recent File1").toString().toStdString(), c);
    EXPECT_EQ(file.Get("File List/Recent File2").toString().toStdString(), d);
}

// A key left over from a longer list must not bring a path back twice.
TEST_F(SettingsStoreTest, RecentKeysBeyondTheLastWrittenAreRemoved) {
    const std::string a = file.File("a.out");
    const std::string b = file.File("b.out");
    const std::string c = file.File("c.out");
    const std::string d = file.File("d.out");
    StoredSettings values;
    values.recentFiles = {a, b, c, d};
    store.Save(values);
    ASSERT_TRUE(file.Has("File List/Recent File3"));

    QFile::remove(QString::fromStdString(b));
    store.Save(values);
    EXPECT_FALSE(file.Has("File List/Recent File3"));
    EXPECT_EQ(store.Load().recentFiles, (std::vector<std::string>{a, c, d}));
}

TEST_F(SettingsStoreTest, NeverMoreThanTenRecentFiles) {
    StoredSettings values;
    for (int n = 0; n < 12; ++n) values.recentFiles.push_back(file.File("f" + std::to_string(n) + ".out"));
    store.Save(values);
    EXPECT_TRUE(file.Has("File List/Recent File9"));
    EXPECT_FALSE(file.Has("File List/Recent File10"));
    EXPECT_EQ(store.Load().recentFiles.size(), 10u);
}

// The file holds the CSM password.
TEST_F(SettingsStoreTest, FileIsReadableByItsOwnerOnlyAndReplacedWhole) {
    StoredSettings values;
    store.Save(values);
    struct stat before {};
    ASSERT_EQ(::stat(file.path().toLocal8Bit().constData(), &before), 0);
    EXPECT_EQ(before.st_mode & 0777, 0600u);

    ::chmod(file.path().toLocal8Bit().constData(), 0644);
    store.SaveBrowseFolder("/tmp/");
    struct stat after {};
    ASSERT_EQ(::stat(file.path().toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    // Written through a new file renamed over the old one: a crash mid-write
    // leaves the old settings whole.
    EXPECT_NE(after.st_ino, before.st_ino);
    const QStringList left = QDir(QString::fromStdString(file.dir.path())).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{"settings.ini"});
}

TEST_F(SettingsStoreTest, BrowseFolderIsWrittenAlone) {
    StoredSettings values;
    values.deviceType = 1;
    store.Save(values);
    store.SaveBrowseFolder("/work/out/");
    const StoredSettings back = store.Load();
    EXPECT_EQ(back.browseFolder, "/work/out/");
    EXPECT_EQ(back.deviceType, 1);
}

}  // namespace
}  // namespace nembra::testing
