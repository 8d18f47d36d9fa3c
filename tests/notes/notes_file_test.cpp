// Notes file access: load as RTF or plain text, atomic saving that never loses the old file.
#include <gtest/gtest.h>

#include <map>
#ifdef _WIN32
#include <process.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "files/atomic_file.h"
#include "notes/notes_file.h"
#include "notes/variable_names.h"

namespace vx::notes {
namespace {

namespace fs = std::filesystem;

// What differs between the platforms' file systems, kept to these few lines.
#ifdef _WIN32
fs::path make_temporary_folder() {
    fs::path dir = fs::temp_directory_path() / ("vx_notes_" + std::to_string(::_getpid()));
    fs::create_directories(dir);
    return dir;
}
// The read-only mark binds everyone, administrators too.
bool may_write_read_only_files() {
    return false;
}
#else
fs::path make_temporary_folder() {
    std::string pattern = (fs::temp_directory_path() / "vx_notes_XXXXXX").string();
    return ::mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
}
bool may_write_read_only_files() {
    return ::geteuid() == 0;
}
#endif

class NotesFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = make_temporary_folder();
        ASSERT_FALSE(dir_.empty());
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    void put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    int files_in_dir() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

TEST_F(NotesFile, IsNamedByAppendingTagToTheProgramFile) {
    EXPECT_EQ(fs::path("/x/home.prg.tag"), notes_file_path("/x/home.prg"));
    EXPECT_EQ(fs::path("heat.tag"), notes_file_path("heat"));
}

TEST_F(NotesFile, SavedNotesLoadBackAsTheyWere) {
    Document document = document_from_text("#var[0] Текущее время\n#var[5] ≥ 18 Ω", "Arial", 9);
    document.paragraphs[0].runs[0].format.bold = true;
    const fs::path path = dir_ / "home.prg.tag";
    ASSERT_EQ("", save_notes_file(path, document));
    const NotesLoadResult loaded = load_notes_file(path);
    EXPECT_EQ(NotesOrigin::rtf, loaded.origin);
    EXPECT_EQ(document, loaded.document);
    EXPECT_EQ(1, files_in_dir());
}

TEST_F(NotesFile, LoadsWhatIsNotRtfAsPlainText) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"code page 1251 with CR LF", "\xd1\xf2\xf0\xee\xea\xe0 1\r\n\xd1\xf2\xf0\xee\xea\xe0 2",
         "Строка 1\nСтрока 2"},
        {"UTF-8", "Строка 1\nСтрока 2\n", "Строка 1\nСтрока 2\n"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBFЁж", "Ёж"},
        {"stray control bytes", std::string("a\0b\x1b\tc", 6), "ab\tc"},
        {"nothing", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir_ / "plain.prg.tag";
        put(path, c.bytes);
        const NotesLoadResult loaded = load_notes_file(path);
        EXPECT_EQ(NotesOrigin::plain_text, loaded.origin);
        EXPECT_EQ(c.text, document_text(loaded.document));
        EXPECT_EQ(default_font_name, loaded.document.font_name);
    }
}

TEST_F(NotesFile, TellsMissingDamagedAndUnreadableApart) {
    EXPECT_EQ(NotesOrigin::missing, load_notes_file(dir_ / "none.prg.tag").origin);
    EXPECT_EQ("", document_text(load_notes_file(dir_ / "none.prg.tag").document));

    put(dir_ / "cut.prg.tag", "{\\rtf1\\ansi\\ansicpg1251 \\'e4\\'ee\\'ec\\par \\'ea\\'ee");
    const NotesLoadResult cut = load_notes_file(dir_ / "cut.prg.tag");
    EXPECT_EQ(NotesOrigin::damaged_rtf, cut.origin);
    EXPECT_EQ("дом\nко", document_text(cut.document));
    EXPECT_NE(std::string::npos, cut.message.find("cut.prg.tag")) << cut.message;

    fs::create_directory(dir_ / "dir.prg.tag");
    const NotesLoadResult directory = load_notes_file(dir_ / "dir.prg.tag");
    EXPECT_EQ(NotesOrigin::unreadable, directory.origin);
    EXPECT_NE(std::string::npos, directory.message.find("dir.prg.tag")) << directory.message;

#ifndef _WIN32
    ASSERT_EQ(0, ::mkfifo((dir_ / "pipe.prg.tag").c_str(), 0600));
    EXPECT_EQ(NotesOrigin::unreadable, load_notes_file(dir_ / "pipe.prg.tag").origin);
#endif

    const fs::path huge = dir_ / "huge.prg.tag";
    put(huge, "{\\rtf1 ");
    fs::resize_file(huge, max_notes_file_size + 1);  // sparse: costs no disk
    EXPECT_EQ(NotesOrigin::unreadable, load_notes_file(huge).origin);
}

TEST_F(NotesFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const fs::path path = dir_ / "home.prg.tag";
    put(path, "old notes");
    const Document big = document_from_text(std::string(200000, 'x'));

#ifdef _WIN32
    // A reader that does not share deletion makes the final move fail.
    std::ifstream reader(path, std::ios::binary);
    const std::string error = save_notes_file(path, big);
    reader.close();
#else
    // The file size limit makes write() fail half-way, as a full disk would.
    rlimit old_limit{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old_limit));
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    const std::string error = save_notes_file(path, big);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
#endif

    EXPECT_NE(std::string::npos, error.find("home.prg.tag")) << error;
    EXPECT_EQ("old notes", contents(path));
    EXPECT_EQ(1, files_in_dir());
}

TEST_F(NotesFile, ReportsWritesThatCannotHappen) {
    fs::create_directory(dir_ / "taken.prg.tag");
    const std::string over_directory = files::write_file_atomically(dir_ / "taken.prg.tag", "x");
    EXPECT_NE(std::string::npos, over_directory.find("taken.prg.tag")) << over_directory;
    EXPECT_EQ(1, files_in_dir());

    const std::string no_folder = files::write_file_atomically(dir_ / "no" / "such.prg.tag", "x");
    EXPECT_NE(std::string::npos, no_folder.find("such.prg.tag")) << no_folder;
}

TEST_F(NotesFile, ReplacingKeepsPermissionsAndLinks) {
    const fs::path real = dir_ / "real.prg.tag";
    put(real, "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = dir_ / "link.prg.tag";
    fs::create_symlink(real, link);

    ASSERT_EQ("", files::write_file_atomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ("new", contents(real));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(real).permissions());
    EXPECT_EQ(2, files_in_dir());
}

TEST_F(NotesFile, LeavesAReadOnlyFileAlone) {
    if (may_write_read_only_files()) {
        GTEST_SKIP() << "root may write any file";
    }
    const fs::path path = dir_ / "locked.prg.tag";
    put(path, "old");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_NE("", files::write_file_atomically(path, "new"));
    EXPECT_EQ("old", contents(path));
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);  // to be removed
}

}  // namespace
TEST(VariableNames, TakesHashVarLinesOnly) {
    const auto names = parse_variable_names(
        "Заметки\r\n#var[0] Текущее время\r\n  #var[7]\tНасос  \u2028#var[1023] Последняя\n"
        "#var[1024] слишком большой\n#var[x] нет номера\n#var[5]\n#var[2] старое\n#var[2] новое");
    const std::map<int, std::string> expected = {
        {0, "Текущее время"}, {2, "новое"}, {7, "Насос"}, {1023, "Последняя"}};
    EXPECT_EQ(expected, names);
}

}  // namespace vx::notes
