#include "player/form1.h"

#include "engine/calls.h"
#include "folder/form2.h"
#include "visual/visualization.h"

#include <QApplication>
#include <QCloseEvent>

namespace player {

Form1::Form1(const QString& programFolder, Surroundings surroundings)
    : QWidget(nullptr), ui::Form1Controls(static_cast<QWidget&>(*this)),
      programFolder_(programFolder), surroundings_(std::move(surroundings)),
      trackStart_(*this, File1, scSeek, state_, surroundings_.presentBox),
      statusTick_({StatusBar1, scSeek, PlayBtn, PlayImg, PauseImg, Slider1, picWave}, state_,
                  trackStart_),
      infoTicker_(File1, Label1, state_) {
    ui::setUpForm1Window(*this);
    connectEvents();
}

void Form1::load() {
    Form_Load(programFolder_);
    ui::setUpForm1Pictures(*this, *this);
}

void Form1::connectEvents() {
    connect(&File1, &platform::FileListBox::Click, this, &Form1::File1_Click);
    connect(&File1, &platform::FileListBox::MouseDown, this, &Form1::File1_MouseDown);
    connect(&File1, &platform::FileListBox::MenuKey, this, &Form1::File1_MenuKey);
    connect(&Image1, &platform::ImageControl::Click, this, &Form1::Image1_Click);
    connect(&PlayBtn, &platform::ImageControl::Click, this, &Form1::PlayBtn_Click);
    connect(&StopBtn, &platform::ImageControl::Click, this, &Form1::StopBtn_Click);
    connect(&scSeek, &platform::HScrollBar::Scroll, this, &Form1::scSeek_Scroll);
    connect(&scSeek, &platform::HScrollBar::GotFocus, this, &Form1::scSeek_GotFocus);
    connect(&Slider1, &platform::Slider::Change, this, &Form1::Slider1_Change);
    connect(&Timer1, &platform::Timer::Tick, this, &Form1::Timer1_Timer);
    connect(&Timer2, &platform::Timer::Tick, this, &Form1::Timer2_Timer);
    connect(&picWave, &platform::PictureBox::clicked, this, &Form1::picWave_Click);
}

void Form1::Form_Load(const QString& programFolder) {
    engine::vbmp3_init();
    File1.setPath(programFolder);
    state_.viewMode = visual::ViewMode::BarsEverySecond;
    visual::describeViewMode(state_.viewMode, picWave);
    trackStart_.pickRandomEntry();
    trackStart_.takeSelectedFile();
    if (File1.ListCount() != 0) {
        trackStart_.start();
        Label1.setCaption(File1.Path());
    } else {
        Label1.setCaption(QStringLiteral("MP3File Nothing"));
    }
}

void Form1::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    engine::vbmp3_free();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    // The folder window must not keep a player whose engine is released alive.
    folder::closeFolderWindow();
    QApplication::quit();
}

void Form1::File1_Click() {
    trackStart_.startPicked();
}

void Form1::Image1_Click() {
    trackStart_.pickRandomEntry();
    trackStart_.startPicked();
}

void Form1::File1_MouseDown(platform::FileListBox::MouseButton button,
                            platform::FileListBox::ShiftState, float, float) {
    if (button == platform::FileListBox::MouseButton::Right) {
        folder::showFolderWindow(File1, Label1, surroundings_.volumes);
    }
}

void Form1::Timer1_Timer() {
    statusTick_.tick();
    emit statusTicked();
}

void Form1::Timer2_Timer() {
    infoTicker_.tick();
}

void Form1::picWave_Click() {
    visual::picWave_Click(state_.viewMode, picWave, lineCenter);
}

} // namespace player
