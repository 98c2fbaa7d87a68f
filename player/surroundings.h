// What the main window takes from the desktop around it: the real desktop's, or a test's stand-ins.
#pragma once

#include "platform/drive_list_box.h"
#include "platform/modal_box.h"

namespace player {

struct Surroundings {
    platform::MsgBoxPresenter presentBox = platform::presentMsgBox;
    platform::VolumeSource volumes = platform::mountedVolumes;
};

} // namespace player
