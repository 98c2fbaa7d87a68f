// A main window on the fake engine, in a folder of empty "music" files that the test names.
#pragma once

#include <QDir>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "fake_vbmp3.h"
#include <functional>

#include "player/form1.h"
#include "qt_temp_folder.h"

namespace form1_test {

class Form1Test : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    void TearDown() override { form.reset(); }

    // Writes the files into the program folder and loads the window there.
    player::Form1& load(const QStringList& files) {
        for (const QString& name : files)
            test_support::touch(folder.filePath(name));
        // Each box is answered at once; onBox, if set, acts while it is up.
        const auto answer = [this](const QString& text, const QString& caption) {
            boxes.push_back((caption + ": " + text).toStdString());
            if (onBox)
                onBox();
        };
        form = std::make_unique<player::Form1>(
            folder.path(), player::Surroundings{answer, platform::mountedVolumes});
        form->load();
        form->Timer1.setEnabled(false); // ticks come from the tests, one at a time
        form->Timer2.setEnabled(false);
        return *form;
    }
    std::string path(const QString& name) const {
        return QDir::toNativeSeparators(folder.filePath(name)).toStdString();
    }
    std::vector<std::string>& calls() { return fake::engine().calls; }
    // The calls without polls and without the frames the ticks drew.
    static std::vector<std::string> commands() {
        std::vector<std::string> out;
        for (const std::string& c : fake::engine().callsWithoutPolls())
            if (c.rfind("vbmp3_getWave", 0) != 0 && c.rfind("vbmp3_getSpectrum", 0) != 0)
                out.push_back(c);
        return out;
    }
    std::vector<std::string> startOf(const QString& name) const {
        const std::string p = path(name);
        return {"vbmp3_open(" + p + ")", "vbmp3_getFileTagInfo(" + p + ")", "vbmp3_getMpegInfo()",
                "vbmp3_play()"};
    }
    // One status tick with the engine answering state and seconds.
    void tick(int32_t state, int32_t seconds) {
        fake::engine().state = state;
        fake::engine().seconds = seconds;
        form->Timer1_Timer();
    }

    test_support::QtTempFolder folder;
    std::unique_ptr<player::Form1> form;
    std::vector<std::string> boxes;
    std::function<void()> onBox;
};

} // namespace form1_test
