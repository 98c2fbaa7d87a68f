// The main window as designed: every control where the design puts it, with its design-time
// properties, pictures and timers.
#include <QFontInfo>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/system_colors.h"
#include "qt_main.h"
#include "ui/form1_controls.h"

TONALISK_QT_TEST_MAIN

namespace {

struct Placed {
    const char* name;
    QWidget* control;
    platform::TwipsRect place;
};

class Layout : public testing::Test {
protected:
    Layout() : controls(form) {
        ui::setUpForm1Window(form);
        ui::setUpForm1Pictures(controls, form);
    }
    QWidget form;
    ui::Form1Controls controls;
};

QRect pixels(platform::TwipsRect place) {
    const auto px = [](int twips) { return qRound(twips / 15.0); };
    return {px(place.left), px(place.top), px(place.width), px(place.height)};
}

TEST_F(Layout, ControlsSitWhereDesigned) {
    ui::Form1Controls& c = controls;
    // The design's own numbers: left, top, width and height in twips.
    const Placed placed[] = {
        {"picWave", &c.picWave, {2760, 120, 1395, 555}},
        {"Slider1", &c.Slider1, {2640, 720, 1695, 255}},
        {"StatusBar1", &c.StatusBar1, {0, 10275, 4335, 300}},
        {"scSeek", &c.scSeek, {0, 720, 2535, 135}},
        {"File1", &c.File1, {0, 1440, 4335, 8550}},
        {"PauseImg", &c.PauseImg, {4800, 720, 465, 570}},
        {"PlayImg", &c.PlayImg, {4800, 120, 495, 570}},
        {"Image1", &c.Image1, {1920, 45, 615, 570}},
        {"StopBtn", &c.StopBtn, {960, 50, 540, 555}},
        {"PlayBtn", &c.PlayBtn, {120, 50, 495, 570}},
        {"Label1", &c.Label1, {0, 1080, 4335, 405}},
    };
    for (const Placed& p : placed) {
        EXPECT_EQ(p.control->geometry(), pixels(p.place)) << p.name;
        EXPECT_TRUE(p.control->isEnabled()) << p.name;
    }
    // Each image control is as large as its picture.
    for (const auto* image : {&c.PauseImg, &c.PlayImg, &c.Image1, &c.StopBtn, &c.PlayBtn})
        EXPECT_EQ(image->Picture().size(), image->size());
    EXPECT_EQ(c.PlayImg.Picture().size(), QSize(33, 38));
    EXPECT_EQ(c.PauseImg.Picture().size(), QSize(31, 38));
    EXPECT_EQ(c.Image1.Picture().size(), QSize(41, 38));
    EXPECT_EQ(c.StopBtn.Picture().size(), QSize(36, 37));
    EXPECT_TRUE(c.PlayBtn.Picture().hasAlphaChannel()) << "one colour of each picture is clear";
    EXPECT_EQ(c.PlayBtn.Picture().toImage(), c.PlayImg.Picture().toImage());
    // Beyond the right edge of a window that cannot be widened.
    EXPECT_GE(c.PlayImg.x(), form.width());
    EXPECT_GE(c.PauseImg.x(), form.width());
}

TEST_F(Layout, WindowIsFixedAtItsDesignedPlace) {
    EXPECT_EQ(form.windowTitle(), "Tonalisk");
    EXPECT_EQ(form.minimumSize(), QSize(289, 705));
    EXPECT_EQ(form.maximumSize(), QSize(289, 705));
    EXPECT_EQ(form.geometry().topLeft(), QPoint(731, 26));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    const QList<QSize> iconSizes = form.windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(48, 48)));
}

TEST_F(Layout, DesignTimeProperties) {
    ui::Form1Controls& c = controls;
    EXPECT_EQ(c.picWave.BackColor(), 0x00FFFFC0u);
    EXPECT_EQ(c.picWave.ForeColor(), 0x80000008u);
    EXPECT_EQ(c.picWave.DrawWidth(), 1);
    EXPECT_EQ(c.lineCenter.Color(), 0x80000001u);
    EXPECT_TRUE(c.lineCenter.isVisibleTo(&form));

    EXPECT_EQ(c.Slider1.orientation(), Qt::Horizontal);
    EXPECT_EQ(std::make_pair(c.Slider1.minimum(), c.Slider1.maximum()), std::make_pair(0, 100));
    EXPECT_EQ(c.Slider1.Value(), 50);
    EXPECT_EQ(c.Slider1.singleStep(), 1);
    EXPECT_EQ(c.Slider1.pageStep(), 10);
    EXPECT_EQ(c.Slider1.tickInterval(), 10);

    EXPECT_EQ(std::make_pair(c.scSeek.minimum(), int(c.scSeek.Max())), std::make_pair(0, 0));
    EXPECT_EQ(c.StatusBar1.PanelCount(), 2);
    EXPECT_EQ(c.StatusBar1.PanelWidth(1), 190);
    EXPECT_EQ(c.StatusBar1.PanelWidth(2), 96);
    EXPECT_EQ(c.StatusBar1.PanelText(1), "");

    EXPECT_EQ(c.File1.Pattern(), "*.mp3;*.mid;*.wav;*.wma");
    EXPECT_EQ(c.File1.toolTip(), "再生したい曲を選択してください");

    EXPECT_EQ(c.Timer1.Interval(), 200);
    EXPECT_TRUE(c.Timer1.Enabled());
    EXPECT_EQ(c.Timer2.Interval(), 3000);
    EXPECT_TRUE(c.Timer2.Enabled());
}

TEST_F(Layout, InformationLabelIsYellowOnBlackInABoldJapaneseGothic) {
    const platform::Label& label = controls.Label1;
    EXPECT_EQ(label.Caption(), "Wait ...Reading");
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_TRUE(label.autoFillBackground());
    EXPECT_TRUE(label.font().bold());
    EXPECT_FALSE(label.font().italic());
    EXPECT_FALSE(label.font().underline());
    EXPECT_EQ(label.font().pointSize(), 18);
    EXPECT_TRUE(label.alignment() & Qt::AlignLeft);
    // The designed face, or an installed Japanese Gothic standing in for it.
    const QString family = QFontInfo(label.font()).family();
    EXPECT_TRUE(family.contains("Gothic", Qt::CaseInsensitive) || family.contains("ゴシック") ||
                family.contains("CJK"))
        << family.toStdString();
}

TEST_F(Layout, TabOrderAndOverlaps) {
    ui::Form1Controls& c = controls;
    const QList<const QWidget*> order{&c.File1, &c.scSeek, &c.StatusBar1, &c.Slider1, &c.picWave};
    QList<const QWidget*> chain; // the tab stops among them, in the order Tab visits them
    for (const QWidget* w = c.File1.nextInFocusChain(); w != &c.File1; w = w->nextInFocusChain())
        if (order.contains(w))
            chain.append(w);
    chain.prepend(&c.File1);
    EXPECT_EQ(chain, order);
    // The list's top edge covers the label's lowest 45 twips (3 pixels), and lies above it.
    EXPECT_EQ(c.Label1.geometry().intersected(c.File1.geometry()).height(), 3);
    const QObjectList& children = form.children();
    EXPECT_GT(children.indexOf(&c.File1), children.indexOf(&c.Label1)) << "drawn over the label";
}

} // namespace
