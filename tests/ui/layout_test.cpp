// The main window as designed: every control where the design's own table (ui::designed, which
// the window is placed by) puts it, inside the window and clear of one another but where the
// design overlaps them, with its design-time properties, pictures and timers.
#include <QFontInfo>
#include <QWidget>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

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
    // Every control the design places, by its name.
    std::vector<Placed> placed() {
        ui::Form1Controls& c = controls;
        namespace d = ui::designed;
        return {{"picWave", &c.picWave, d::picWave},
                {"Slider1", &c.Slider1, d::Slider1},
                {"StatusBar1", &c.StatusBar1, d::StatusBar1},
                {"scSeek", &c.scSeek, d::scSeek},
                {"File1", &c.File1, d::File1},
                {"PauseImg", &c.PauseImg, d::PauseImg},
                {"PlayImg", &c.PlayImg, d::PlayImg},
                {"Image1", &c.Image1, d::Image1},
                {"StopBtn", &c.StopBtn, d::StopBtn},
                {"PlayBtn", &c.PlayBtn, d::PlayBtn},
                {"Label1", &c.Label1, d::Label1}};
    }
    QWidget form;
    ui::Form1Controls controls;
};

// Twips to the nearest pixel, 15 twips a pixel (whole twips never fall on a half).
QRect pixels(platform::TwipsRect place) {
    const auto px = [](int twips) { return qRound(twips / 15.0); };
    return {px(place.left), px(place.top), px(place.width), px(place.height)};
}

TEST_F(Layout, ControlsSitWhereDesigned) {
    ui::Form1Controls& c = controls;
    for (const Placed& p : placed()) {
        EXPECT_EQ(p.control->geometry(), pixels(p.place)) << p.name;
        EXPECT_TRUE(p.control->isEnabled()) << p.name;
        // The holders of the play and pause pictures lie beyond the right edge of a window that
        // cannot be widened; every other control lies inside it.
        if (p.control == &c.PlayImg || p.control == &c.PauseImg)
            EXPECT_GE(p.control->x(), form.width()) << p.name;
        else
            EXPECT_TRUE(form.rect().contains(p.control->geometry())) << p.name;
    }
    // Each image control is as large as its picture.
    for (const auto* image : {&c.PauseImg, &c.PlayImg, &c.Image1, &c.StopBtn, &c.PlayBtn})
        EXPECT_EQ(image->Picture().size(), image->size());
    EXPECT_TRUE(c.PlayBtn.Picture().hasAlphaChannel()) << "one colour of each picture is clear";
    EXPECT_EQ(c.PlayBtn.Picture().toImage(), c.PlayImg.Picture().toImage());
}

TEST_F(Layout, WindowIsFixedAtItsDesignedPlace) {
    const QRect designed = pixels(ui::designed::Form1);
    EXPECT_EQ(form.windowTitle(), "Tonalisk");
    EXPECT_EQ(form.minimumSize(), designed.size());
    EXPECT_EQ(form.maximumSize(), designed.size());
    EXPECT_EQ(form.geometry().topLeft(), designed.topLeft());
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
    // Only the list overlaps another control: its top edge covers the label's lowest 45 twips
    // (3 pixels), and it is drawn over the label.
    const std::vector<Placed> all = placed();
    std::set<std::pair<std::string, std::string>> overlapping;
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = i + 1; j < all.size(); ++j)
            if (all[i].control->geometry().intersects(all[j].control->geometry()))
                overlapping.insert({all[i].name, all[j].name});
    EXPECT_EQ(overlapping, (std::set<std::pair<std::string, std::string>>{{"File1", "Label1"}}));
    EXPECT_EQ(c.Label1.geometry().intersected(c.File1.geometry()).height(), 3);
    const QObjectList& children = form.children();
    EXPECT_GT(children.indexOf(&c.File1), children.indexOf(&c.Label1)) << "drawn over the label";
}

} // namespace
