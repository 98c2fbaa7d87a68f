// The named files through the exported functions: what a tag read of the file opened last answers
// once the file has changed, and names that are no music file, refused without leaving anything
// behind that would hold up the name later.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "fixtures/audio_writer.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

namespace fs = std::filesystem;

void writeTrack(const std::string& path, const std::string& title) {
    fixtures::writeAudio(path, fixtures::sine(440, 0.5), fixtures::Kind::Wav16,
                         {title, "Artist", "", "", "", "", -1});
}

class EngineFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(vbmp3_init(), 0); }
    void TearDown() override { vbmp3_free(); }

    static std::string titleOf(const std::string& path) {
        vbmp3_TagInfo tag{};
        return vbmp3_getFileTagInfo(path.c_str(), &tag) ? tag.title : "(no tag)";
    }
    const test_support::TempFolder folder;
};

TEST_F(EngineFiles, TheFileOpenedLastAnswersItsTagsAsTheFileIsNow) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path, const std::string& other)> change;
        std::string title;
    };
    // "Before" and "Latter" are as long, so that a file written anew keeps its size.
    const Case cases[] = {
        {"left as it was", [](const std::string&, const std::string&) {}, "Before"},
        {"written anew in place, longer",
         [](const std::string& path, const std::string&) { writeTrack(path, "Much later"); },
         "Much later"},
        // The kernel stamps a write with its clock's last tick (a few milliseconds apart).
        {"written anew in place, as long as before, a tick later",
         [](const std::string& path, const std::string&) {
             std::this_thread::sleep_for(std::chrono::milliseconds(30));
             writeTrack(path, "Latter");
         },
         "Latter"},
        {"replaced by another file",
         [](const std::string& path, const std::string& other) {
             writeTrack(other, "Another");
             fs::rename(other, path);
         },
         "Another"},
        {"removed", [](const std::string& path, const std::string&) { fs::remove(path); },
         "(no tag)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("track.wav");
        writeTrack(path, "Before");
        vbmp3_InputInfo info{};
        ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
        EXPECT_EQ(titleOf(path), "Before");
        c.change(path, folder.file("other.wav"));
        EXPECT_EQ(titleOf(path), c.title);
        vbmp3_close();
    }
}

TEST_F(EngineFiles, ANameThatIsNoMusicFileIsRefusedAndATrackUnderItLaterOpens) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
    };
    const Case cases[] = {
        {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"a folder", [](const std::string& path) { fs::create_directory(path); }},
        {"the zero device", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
        {"an empty file", [](const std::string& path) { std::ofstream{path}; }},
        {"nothing", [](const std::string&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("track.mp3");
        c.make(path);
        vbmp3_InputInfo info{};
        EXPECT_EQ(vbmp3_open(path.c_str(), &info), 0);
        EXPECT_EQ(titleOf(path), "(no tag)");
        // Had the refusal hung on the name, the name would be refused at once from now on.
        fs::remove(path);
        writeTrack(path, "Later");
        EXPECT_NE(vbmp3_open(path.c_str(), &info), 0);
        EXPECT_EQ(titleOf(path), "Later");
        vbmp3_close();
        fs::remove(path);
    }
}

} // namespace
