#pragma once

namespace platform {

// Makes the controls that Qt does not know readable and usable by screen readers: the windows,
// the image buttons, the seek bar, the drawing surface, the label and the status bar. Once is
// enough; again does nothing.
void installAccessibility();

} // namespace platform
