#pragma once

#include <QWidget>

#include "platform/accessibility.h"
#include "platform/file_list_box.h"
#include "platform/h_scroll_bar.h"
#include "platform/image_control.h"
#include "platform/label.h"
#include "platform/line_control.h"
#include "platform/picture_box.h"
#include "platform/place.h"
#include "platform/slider.h"
#include "platform/status_bar.h"
#include "platform/timer.h"

namespace ui {

// Screen readers see a control through what is installed when it is first shown or changed, so
// that comes before the first control.
struct ScreenReadersFirst {
    ScreenReadersFirst() { platform::installAccessibility(); }
};

// The main window's controls in their order of creation, placed and set up as designed.
struct Form1Controls : private ScreenReadersFirst {
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

// The window itself: caption, fixed client size and start position.
void setUpForm1Window(QWidget& form);

// The button pictures and the window's icon. Decoding them takes a while, so the window loads
// them once its first track has started rather than keeping the first sound waiting.
void setUpForm1Pictures(Form1Controls& controls, QWidget& form);

inline constexpr int kForm1ScaleWidth = 4335;

// Where the window and each of its controls sit as designed, in twips.
namespace designed {
inline constexpr platform::TwipsRect Form1{10965, 390, kForm1ScaleWidth, 10575};
inline constexpr platform::TwipsRect picWave{2760, 120, 1395, 555};
inline constexpr platform::TwipsRect Slider1{2640, 720, 1695, 255};
inline constexpr platform::TwipsRect StatusBar1{0, 10275, 4335, 300};
inline constexpr platform::TwipsRect scSeek{0, 720, 2535, 135};
inline constexpr platform::TwipsRect File1{0, 1440, 4335, 8550};
inline constexpr platform::TwipsRect PauseImg{4800, 720, 465, 570};
inline constexpr platform::TwipsRect PlayImg{4800, 120, 495, 570};
inline constexpr platform::TwipsRect Image1{1920, 45, 615, 570};
inline constexpr platform::TwipsRect StopBtn{960, 50, 540, 555};
inline constexpr platform::TwipsRect PlayBtn{120, 50, 495, 570};
inline constexpr platform::TwipsRect Label1{0, 1080, 4335, 405};
} // namespace designed

} // namespace ui
