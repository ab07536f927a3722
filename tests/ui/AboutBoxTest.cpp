#include <gtest/gtest.h>
#include <QLabel>

#include "ui/AboutDlg.h"

namespace nembra::testing {
namespace {

// The version line is made from the build's version; its text stays as shown.
TEST(AboutBox, ShowsTheVersionLine) {
    CAboutDlg about(nullptr);
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("Nembra 정보"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains(QString::fromUtf8("Nembra 버전 1.5"))) << texts.join(" | ").toStdString();
}

}  // namespace
}  // namespace nembra::testing
