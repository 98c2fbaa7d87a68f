#pragma once

#include <QWidget>

#include "platform/file_list_box.h"
#include "platform/h_scroll_bar.h"
#include "platform/image_control.h"
#include "platform/label.h"
#include "platform/line_control.h"
#include "platform/picture_box.h"
#include "platform/slider.h"
#include "platform/status_bar.h"
#include "platform/timer.h"

namespace ui {

// The main window's controls in their order of creation, placed and set up as designed.
struct Form1Controls {
    explicit Form1Controls(QWidget& form);

    platform::PictureBox picWave;
    platform::LineControl lineCenter;
    platform::Slider Slider1;
    platform::Timer Timer2;
    platform::StatusBar StatusBar1;
    platform::HScrollBar scSeek;
    platform::Timer Timer1;
    platform::FileListBox File1;
    platform::ImageControl PauseImg;
    platform::ImageControl PlayImg;
    platform::ImageControl Image1;
    platform::ImageControl StopBtn;
    platform::ImageControl PlayBtn;
    platform::Label Label1;
};

// The window itself: caption, icon, fixed client size and start position.
void setUpForm1Window(QWidget& form);

inline constexpr int kForm1ScaleWidth = 4335;

} // namespace ui
