#include "ui/form1_controls.h"

#include "platform/caption.h"
#include "platform/desktop_identity.h"
#include "platform/place.h"
#include "platform/system_colors.h"
#include "platform/twips.h"
#include "ui/start_position.h"

#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QScreen>
#include <array>

// Resources compiled into a static library register only when asked to, and from outside any
// namespace.
static void loadPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace ui {

namespace {

using platform::placeInTwips;
using platform::twipsToPixels;

QString picturePath(const char* name, const char* suffix) {
    static const bool loaded = (loadPictures(), true);
    (void)loaded;
    return QStringLiteral(":/pictures/") + QLatin1String(name) + QLatin1String(suffix);
}

// A button picture, drawn at the design's size and at twice it, and what a press on it does.
platform::Picture picture(const char* name, const QString& meaning) {
    return {QPixmap(picturePath(name, ".gif")), QPixmap(picturePath(name, "@2x.gif")), meaning};
}

// What screen readers call the controls whose looks do not say it in words.
void nameForScreenReaders(Form1Controls& c) {
    c.File1.setAccessibleName(QStringLiteral("Music files"));
    c.scSeek.setAccessibleName(QStringLiteral("Position"));
    c.Slider1.setAccessibleName(QStringLiteral("Volume"));
    c.picWave.setAccessibleName(QStringLiteral("Visualization"));
    c.Label1.setAccessibleDescription(QStringLiteral("Track information"));
    c.StatusBar1.setAccessibleDescription(QStringLiteral("Status"));
}

void setUpLabel(platform::Label& label) {
    label.setCaption(QStringLiteral("Wait ...Reading"));
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label.setAutoFillBackground(true);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, platform::colorFromColorref(0x00000000));
    palette.setColor(QPalette::WindowText, platform::colorFromColorref(0x0000FFFF));
    label.setPalette(palette);
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic")});
    font.setPointSize(18);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    label.setFont(font);
}

} // namespace

Form1Controls::Form1Controls(QWidget& form)
    : picWave(&form), lineCenter(&picWave), Slider1(&form), Timer2(&form),
      StatusBar1({twipsToPixels(2850), twipsToPixels(1440)}, &form), scSeek(&form), Timer1(&form),
      File1(&form), PauseImg(&form), PlayImg(&form), Image1(&form), StopBtn(&form), PlayBtn(&form),
      Label1(&form) {
    placeInTwips(picWave, designed::picWave);
    picWave.setBackColor(0x00FFFFC0);
    picWave.setForeColor(platform::kWindowTextColor);
    picWave.setDrawWidth(1);
    lineCenter.setLine(0, 280, 1680, 280);
    lineCenter.setColor(platform::kDesktopColor);

    placeInTwips(Slider1, designed::Slider1);
    Slider1.setRange(0, 100);
    Slider1.setValueFromCode(50);
    Slider1.setSingleStep(1);
    Slider1.setPageStep(10);
    Slider1.setTickInterval(10);
    Slider1.setTickPosition(QSlider::TicksBelow);

    Timer2.setInterval(3000);
    Timer2.setEnabled(true);

    placeInTwips(StatusBar1, designed::StatusBar1);

    placeInTwips(scSeek, designed::scSeek);
    scSeek.setRange(0, 0);

    Timer1.setInterval(200);
    Timer1.setEnabled(true);

    placeInTwips(File1, designed::File1);
    File1.setPattern(QStringLiteral("*.mp3;*.mid;*.wav;*.wma"));
    File1.setToolTip(QStringLiteral("再生したい曲を選択してください"));

    placeInTwips(PauseImg, designed::PauseImg);
    placeInTwips(PlayImg, designed::PlayImg);
    placeInTwips(Image1, designed::Image1);
    placeInTwips(StopBtn, designed::StopBtn);
    placeInTwips(PlayBtn, designed::PlayBtn);

    placeInTwips(Label1, designed::Label1);
    setUpLabel(Label1);
    // The file list's top edge covers the label's lowest pixels, as designed.
    File1.raise();

    // The design's stops first, then the picture buttons, the window's only way to play, pause
    // and stop, left to right. A click does not take the focus, as before.
    StatusBar1.setFocusPolicy(Qt::TabFocus);
    picWave.setFocusPolicy(Qt::TabFocus);
    PlayBtn.setFocusPolicy(Qt::TabFocus);
    StopBtn.setFocusPolicy(Qt::TabFocus);
    Image1.setFocusPolicy(Qt::TabFocus);
    const std::array<QWidget*, 8> tabOrder{&File1,   &scSeek,  &StatusBar1, &Slider1,
                                           &picWave, &PlayBtn, &StopBtn,    &Image1};
    for (size_t stop = 1; stop < tabOrder.size(); ++stop)
        QWidget::setTabOrder(tabOrder[stop - 1], tabOrder[stop]);
    // The first in tab order holds the focus when the window opens: the keys move in the list.
    File1.setFocus();
    nameForScreenReaders(*this);
}

void setUpForm1Pictures(Form1Controls& controls, QWidget& form) {
    const platform::Picture play = picture("play", QStringLiteral("Play"));
    controls.PauseImg.setPicture(picture("pause", QStringLiteral("Pause")));
    controls.PlayImg.setPicture(play);
    controls.Image1.setPicture(picture("next", QStringLiteral("Random track")));
    controls.StopBtn.setPicture(picture("stop", QStringLiteral("Stop")));
    controls.PlayBtn.setPicture(play);
    form.setWindowIcon(QIcon(picturePath("icon", ".png")));
}

void setUpForm1Window(QWidget& form) {
    platform::setCaption(form, QStringLiteral("Tonalisk"));
    form.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                        Qt::MSWindowsFixedSizeDialogHint);
    platform::claimDesktopIdentity(form);
    form.setFixedSize(twipsToPixels(designed::Form1.width), twipsToPixels(designed::Form1.height));
    placeInTwips(form, designed::Form1);
    // A scaled screen can be too small in logical pixels for the designed place.
    if (const QScreen* screen = form.screen())
        form.move(startPositionOnScreen(form.geometry(), screen->availableGeometry()));
}

} // namespace ui
