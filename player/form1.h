#pragma once

#include <QString>
#include <QWidget>

#include "player/player_state.h"
#include "player/surroundings.h"
#include "ui/form1_controls.h"
#include "visual/spectrum_levels.h"

namespace player {

// The main window: its controls, its run-time state and the handlers that tie them to the engine.
class Form1 : public QWidget, public ui::Form1Controls {
    Q_OBJECT
public:
    // The window with its controls, on the given folder as the program's folder; not yet loaded.
    Form1(const QString& programFolder, Surroundings surroundings);
    // Loads the window (Form_Load): the engine, the list, the first track, whose "Open Error" box
    // waits for the user. Once, before the window is first shown, after whatever must answer the
    // desktop meanwhile (the bus) is up.
    void load();

    const PlayerState& state() const { return state_; }
    PlayerState& state() { return state_; }
    // How many starts of a track the window has made, failed ones too; each start is a new track.
    uint64_t tracksStarted() const { return tracksStarted_; }

    // Event handlers, public so that tests can raise them as the controls would.
    void File1_Click();
    void Image1_Click();
    void File1_MouseDown(platform::FileListBox::MouseButton button,
                         platform::FileListBox::ShiftState shift, float x, float y);
    // The Menu key or Shift+F10 in the file list: what the right button does there.
    void File1_MenuKey();
    void PlayBtn_Click();
    void StopBtn_Click();
    void scSeek_Scroll();
    void scSeek_GotFocus();
    void Slider1_Change();
    void Timer1_Timer();
    void Timer2_Timer();
    void picWave_Click();

signals:
    // At the end of each status tick, when the window shows what the tick polled.
    void statusTicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The window's own keys, which the focused control leaves to it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectEvents();
    void Form_Load(const QString& programFolder);
    void Form_Unload();

    void openTrack();
    void readTrackInfo();
    void setSeekRange();
    void startTrack();
    void takeSelectedFile();
    void showTrackCaption();
    void pickRandomTrack();
    // What a pick by the user does: the engine's file closed, the picked entry started, captioned.
    void playPickedEntry();
    // What a thumb drag and the gain of focus do alike: seek to the bar's whole second.
    void seekToBarPosition();
    void pollPlayState();
    void followTrackLength();
    void followEngineVolume();
    bool trackEnded(int32_t polledSeconds) const;
    void GraphShow();

    const QString programFolder_;
    const Surroundings surroundings_;
    PlayerState state_;
    visual::SpectrumLevels spectrumLevels_;
    bool unloaded_ = false;
    // Starts in a row that the engine could not open. Each counts as a track that ended, until
    // there have been as many as the list has entries; then the player waits for the user.
    int failedStartsInRow_ = 0;
    uint64_t tracksStarted_ = 0;
};

} // namespace player
