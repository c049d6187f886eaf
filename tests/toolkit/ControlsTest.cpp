#include "toolkit/Controls.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/StringGrid.h"

#include "rtl/Exceptions.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<tk::TApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "test_toolkit";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<tk::TApplication> app_;
};

[[maybe_unused]] testing::Environment* const env =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

TEST(Edit, TextIsImmediateAndTheWidgetCatchesUpOnce) {
    tk::TForm form;
    auto* edit = new tk::TEdit(&form);
    int shown = 0;
    QObject::connect(edit, &QLineEdit::textChanged, [&] { ++shown; });
    for (int i = 0; i < 50; ++i) edit->SetText("1.0834" + std::to_string(i));
    edit->SetText("caf\xE9 \x80");
    EXPECT_EQ(edit->Text(), "caf\xE9 \x80");
    EXPECT_EQ(shown, 0);
    QApplication::processEvents();
    EXPECT_EQ(shown, 1); // fifty-one changes, one layout
    EXPECT_EQ(edit->text(), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    // What the user types is the edit's text.
    edit->setFocus();
    QTest::keyClicks(edit, "xy");
    EXPECT_EQ(edit->Text(), "caf\xE9 \x80xy");
    // An edit destroyed with a change pending is simply forgotten.
    edit->SetText("gone");
    delete edit;
    QApplication::processEvents();
}

TEST(Form, KeyPreviewSeesEveryCharacterOnceAndLetsItThrough) {
    tk::TForm form;
    auto* edit = new tk::TEdit(&form);
    form.SetKeyPreview(true);
    std::string seen;
    form.OnKeyPress = [&](char& key) {
        seen += key;
        if (key == 'x') key = 0; // consumed
    };
    form.show();
    QApplication::setActiveWindow(&form);
    edit->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, "sSax");
    EXPECT_EQ(seen, "sSax");
    EXPECT_EQ(edit->Text(), "sSa");
    form.SetKeyPreview(false);
    QTest::keyClicks(edit, "s");
    EXPECT_EQ(seen, "sSax");
}

TEST(StringGrid, SelectionScrollsTheNewestRowIntoView) {
    tk::TStringGrid grid;
    grid.resize(300, 15 * 16);
    grid.SetColCount(2);
    grid.SetRowCount(1001);
    grid.SetRow(1000);
    EXPECT_EQ(grid.Row(), 1000);
    EXPECT_GT(grid.TopRow(), 950);
    EXPECT_LE(grid.TopRow(), 1000);
    grid.SetRow(1);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_THROW(grid.SetRow(0), rtl::EListError);
    EXPECT_THROW(grid.SetRow(1001), rtl::EListError);
    grid.SetRow(900);
    grid.SetRowCount(10); // shrinking below the selection keeps a valid row
    EXPECT_EQ(grid.Row(), 9);
    grid.SetRowCount(1); // only the titles: nothing is selected
    EXPECT_EQ(grid.Row(), 0);
}

namespace {

// The grid as a user sees it, with pixel probes in the middle of a row.
struct ShownGrid {
    tk::TStringGrid grid;
    explicit ShownGrid(int width) {
        grid.resize(width, 200);
        grid.SetColCount(3);
        grid.SetRowCount(4);
        for (int c = 0; c < 3; ++c) grid.SetColWidths(c, 60);
        grid.show();
        QApplication::processEvents();
    }
    QRgb At(int x, int row) {
        const QImage image = grid.viewport()->grab().toImage();
        return image.pixel(x, row * 16 + 8); // 15-pixel rows and a grid line
    }
    QRgb Highlight() const { return grid.palette().color(QPalette::Highlight).rgb(); }
};

} // namespace

TEST(StringGrid, OnlyASelectedRowIsHighlightedAndOnlyAcrossItsColumns) {
    ShownGrid shown(300);
    EXPECT_EQ(shown.grid.Row(), 0); // nothing selected at start-up
    EXPECT_NE(shown.At(30, 1), shown.Highlight());
    shown.grid.SetRow(2);
    EXPECT_EQ(shown.At(30, 2), shown.Highlight());
    EXPECT_EQ(shown.At(150, 2), shown.Highlight());
    EXPECT_NE(shown.At(30, 1), shown.Highlight());
    // The strip right of the last column (3 x 61 pixels) stays empty.
    EXPECT_NE(shown.At(200, 2), shown.Highlight());
    EXPECT_EQ(shown.grid.horizontalScrollBar()->maximum(), 0); // the columns fit
}

TEST(StringGrid, ColumnsWiderThanTheViewCanBeScrolledIntoSight) {
    ShownGrid shown(150);
    QScrollBar* across = shown.grid.horizontalScrollBar();
    ASSERT_TRUE(across->isVisible());
    EXPECT_EQ(across->maximum(), 3 * 61 - shown.grid.viewport()->width());
    shown.grid.SetRow(1);
    const int lastColumnLeft = 2 * 61 - across->maximum();
    across->setValue(across->maximum());
    EXPECT_EQ(shown.At(lastColumnLeft + 30, 1), shown.Highlight());
    // A click lands on the column under the pointer, wherever the view is scrolled.
    QTest::mouseClick(shown.grid.viewport(), Qt::LeftButton, {}, QPoint(lastColumnLeft + 5, 40));
    EXPECT_EQ(shown.grid.Col(), 2);
    EXPECT_EQ(shown.grid.Row(), 2);
    // Wider: the bar goes.
    shown.grid.resize(400, 200);
    QApplication::processEvents();
    EXPECT_FALSE(across->isVisible());
}
