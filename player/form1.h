#pragma once

#include <QString>
#include <QWidget>

#include "player/info_ticker.h"
#include "player/player_state.h"
#include "player/status_tick.h"
#include "player/surroundings.h"
#include "player/track_start.h"
#include "ui/form1_controls.h"

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
    uint64_t tracksStarted() const { return trackStart_.started(); }
    // How many entries the file list has to pick from.
    int listed() const;
    // The volume slider's position, 0 to 100.
    int volume() const;
    // What a drag of the seek bar's thumb to that second does.
    void dragSeekBarTo(int32_t second);
    // What the user's move of the volume slider to that position does.
    void moveVolumeSliderTo(int position);

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
    // What a thumb drag and the gain of focus do alike: seek to the bar's whole second.
    void seekToBarPosition();

    const QString programFolder_;
    const Surroundings surroundings_;
    PlayerState state_;
    TrackStart trackStart_;
    StatusTick statusTick_;
    InfoTicker infoTicker_;
    bool unloaded_ = false;
};

} // namespace player
