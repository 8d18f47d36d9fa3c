// Where properties.ini lies and how its keys read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/settings.h"

namespace vx::ui {
namespace {

void write_file(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(SettingsFile, LiesBesideTheProgramWhenThatDirectoryIsWritable) {
    QTemporaryDir program, user;
    EXPECT_EQ(QDir(program.path()).filePath("properties.ini"),
              settings_file_path(program.path(), user.path()));
}

TEST(SettingsFile, FallsBackToTheUserDirectory) {
    QTemporaryDir scratch;
    // A "directory" that is a file: nothing can be written there, not even by root.
    const QString not_a_dir = QDir(scratch.path()).filePath("program");
    write_file(not_a_dir, "x");
    const QString user = QDir(scratch.path()).filePath("config/vesta-vx");
    EXPECT_EQ(QDir(user).filePath("properties.ini"), settings_file_path(not_a_dir, user));
    EXPECT_TRUE(QDir(user).exists());
}

TEST(SettingsFile, SeedsTheUserFileFromAReadOnlyProgramDirectory) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    QTemporaryDir program, user;
    write_file(QDir(program.path()).filePath("properties.ini"), "[AutoLoad]\nComPortNumber=4\n");
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(QDir(program.path()).filePath("properties.ini"), QFile::ReadOwner);
    const QString path = settings_file_path(program.path(), user.path());
    QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(user.path()).filePath("properties.ini"), path);
    const auto settings = open_settings(path);
    EXPECT_EQ(4, read_int_setting(*settings, kComPortNumberKey, kComPortNumberDefault));
}

TEST(SettingsFile, ReadsIntegersWithTheirDefault) {
    QTemporaryDir dir;
    const QString path = dir.filePath("properties.ini");
    write_file(path, "[AutoLoad]\nComPortNumber=7\n[Editor]\nFontSize=abc\n");
    const auto settings = open_settings(path);
    EXPECT_EQ(7, read_int_setting(*settings, kComPortNumberKey, kComPortNumberDefault));
    EXPECT_EQ(8, read_int_setting(*settings, kEditorFontSizeKey, kEditorFontSizeDefault));
    EXPECT_EQ(1, read_int_setting(*settings, QStringLiteral("AutoLoad/Missing"), 1));
}

TEST(SettingsFile, WritesTheCommonIniLayout) {
    QTemporaryDir dir;
    const QString path = dir.filePath("properties.ini");
    {
        const auto settings = open_settings(path);
        settings->setValue(kEditorFontNameKey, kEditorFontNameDefault);
        settings->setValue(kComPortNumberKey, 3);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Editor]\nFontName=MS Sans Serif\n")) << text.constData();
    EXPECT_TRUE(text.contains("[AutoLoad]\nComPortNumber=3\n")) << text.constData();
}

TEST(SettingsFile, RemembersTheFolderPerKindOfFile) {
    const struct {
        const char* filter;
        const char* key;
    } kinds[] = {
        {"Program file (*.prg.cpl)|*.prg.cpl", "Folders/prg_cpl"},
        {"Update file (*.upd)|*.upd", "Folders/upd"},
        {"Файлы JSON (*.json)", "Folders/json"},
        {"Файл CSV (*.CSV)|*.CSV", "Folders/csv"},
        {"Все файлы|*", ""},
    };
    for (const auto& kind : kinds) {
        EXPECT_EQ(QString::fromUtf8(kind.key), folder_key(QString::fromUtf8(kind.filter)))
            << kind.filter;
    }

    QTemporaryDir dir;
    const auto settings = open_settings(dir.filePath("properties.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("csv") && QDir(dir.path()).mkpath("json"));
    const QString csv = QStringLiteral("Файл CSV (*.csv)|*.csv");
    const QString json = QStringLiteral("Файлы JSON (*.json)");
    remember_folder(*settings, csv, dir.filePath("csv/watch.csv"));
    remember_folder(*settings, json, dir.filePath("json/backup.json"));
    EXPECT_EQ(dir.filePath("csv"), remembered_folder(*settings, csv));
    EXPECT_EQ(dir.filePath("json"), remembered_folder(*settings, json));
    // A folder removed since is forgotten rather than offered.
    ASSERT_TRUE(QDir(dir.filePath("csv")).removeRecursively());
    EXPECT_EQ(QString(), remembered_folder(*settings, csv));
}

}  // namespace
}  // namespace vx::ui
