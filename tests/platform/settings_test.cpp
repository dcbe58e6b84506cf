// Settings store: per-user store and INI files, kept in a temporary folder.
#include "platform/settings.h"

#include "platform/gbk.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::Settings;

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }

    std::string path(const char* name) const { return (dir_.path() + "/" + name).toStdString(); }

    QTemporaryDir dir_;
};

const std::string kReportKey = "Tabellomatics\\ReportSettings\\";

TEST_F(SettingsTest, UserStoreRoundTripsValuesUnderBackslashKeys)
{
    std::string key = kReportKey + platform::utf8ToGbk("销售 1/2 100%");
    {
        Settings store = Settings::userStore();
        EXPECT_FALSE(store.keyExists(key));
        store.writeBool(key, "taoda", true);
        store.writeInteger(key, "mmPrintOffsetTop", -2500);
        store.writeString(key, "Title", platform::utf8ToGbk("联系电话"));
    }
    Settings store = Settings::userStore();
    EXPECT_TRUE(store.keyExists(key));
    EXPECT_TRUE(store.keyExists("Tabellomatics\\ReportSettings"));
    EXPECT_FALSE(store.keyExists(kReportKey + "Other"));
    EXPECT_FALSE(store.keyExists(kReportKey + platform::utf8ToGbk("销售 1")));
    EXPECT_TRUE(store.readBool(key, "taoda", false));
    EXPECT_EQ(store.readInteger(key, "mmPrintOffsetTop", 0), -2500);
    EXPECT_EQ(store.readString(key, "Title"), platform::utf8ToGbk("联系电话"));
    EXPECT_TRUE(QDir(dir_.path()).exists("Tabellomatics.ini"));

    store.deleteKey(key);
    EXPECT_FALSE(store.keyExists(key));
}

TEST_F(SettingsTest, MissingOrMalformedValuesGiveTheFallback)
{
    std::string ini = path("print.ini");
    {
        Settings file = Settings::iniFile(ini);
        file.writeString("Report", "PageCount", "three");
        file.writeString("Report", "ColorPrint", "maybe");
        file.writeString("Report", "DoublePass", "False");
        file.writeString("Report", "NewFlag", "TRUE");
        file.writeString("Report", "Zero", " 0 ");
    }
    Settings file = Settings::iniFile(ini);
    EXPECT_EQ(file.readInteger("Report", "PageCount", -1), -1);
    EXPECT_EQ(file.readInteger("Report", "Missing", 7), 7);
    EXPECT_EQ(file.readInteger("Report", "Zero", 7), 0);
    EXPECT_TRUE(file.readBool("Report", "ColorPrint", true));
    EXPECT_FALSE(file.readBool("Report", "ColorPrint", false));
    EXPECT_FALSE(file.readBool("Report", "DoublePass", true));
    EXPECT_TRUE(file.readBool("Report", "NewFlag", false));
    EXPECT_FALSE(file.readBool("Report", "Zero", true));
    EXPECT_EQ(file.readString("Other", "x", "fallback"), "fallback");
    EXPECT_FALSE(file.valueExists("Report", "Missing"));
    EXPECT_TRUE(file.valueExists("Report", "Zero"));
    file.deleteValue("Report", "Zero");
    EXPECT_FALSE(file.valueExists("Report", "Zero"));
}

} // namespace
