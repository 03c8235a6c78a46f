#include <gtest/gtest.h>

#include "core/picturedata.h"

namespace tobrin {
namespace {

TEST(PictureData, StartsAsAnEmptyFortyByThirtyTwoPicture)
{
    PictureData d;
    EXPECT_EQ(d.Width(), 40);
    EXPECT_EQ(d.Height(), 32);
    for (auto v : d.PicData)
        ASSERT_EQ(v, 0);
    // (x, y) lives at x + 241 * y: the last cell is the array's last byte.
    d.Pic(240, 120) = 1;
    EXPECT_EQ(d.PicData.back(), 1);
    d.Pic(3, 2) = 1;
    EXPECT_EQ(d.PicData[3 + 241 * 2], 1);
}

}  // namespace
}  // namespace tobrin
