// Screen checks of the pen-input fixture.
#include "penfixture.h"

#include <sstream>

namespace testsupport {

static std::string where(int x, int y)
{
    std::ostringstream out;
    out << "(" << x << ", " << y << ")";
    return out.str();
}

::testing::AssertionResult PenTest::keyShows(int row, int slot, unsigned imageId) const
{
    const KeyRecord &k = key(row, slot);
    const RowBounds &b = *panel.currentRowBounds;
    const int xs[] = {k.left, k.right, k.left, k.right, (k.left + k.right) / 2};
    const int ys[] = {b[row], b[row], b[row + 1] - 1, b[row + 1] - 1, (b[row] + b[row + 1]) / 2};
    for (int i = 0; i < 5; ++i) {
        FacePixel p = faceAt(xs[i], ys[i]);
        if (!p.valid || p.imageId != imageId || p.row != row || p.slot != slot)
            return ::testing::AssertionFailure()
                   << "key " << row << "/" << slot << " at " << where(xs[i], ys[i]) << " shows face 0x" << std::hex
                   << p.imageId << std::dec << " key " << p.row << "/" << p.slot << (p.valid ? "" : " (no face)")
                   << ", expected face 0x" << std::hex << imageId;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PenTest::magnifies(int row, int slot) const
{
    if (!letterShown())
        return ::testing::AssertionFailure() << "the letter window is hidden";
    RECT r = letterRect();
    const int xs[] = {r.left, r.right - 1, r.left, r.right - 1, (r.left + r.right) / 2};
    const int ys[] = {r.top, r.top, r.bottom - 1, r.bottom - 1, (r.top + r.bottom) / 2};
    int seen = 0;
    for (int i = 0; i < 5; ++i) {
        if (ys[i] < 0 || xs[i] < 0 || xs[i] >= emuScreenWidth())
            continue; // off the screen
        ++seen;
        FacePixel p = decodeFace(screenAt(xs[i], ys[i]));
        if (!p.valid || p.imageId != pressedFace() || p.row != row || p.slot != slot)
            return ::testing::AssertionFailure()
                   << "screen " << where(xs[i], ys[i]) << " in the letter window shows face 0x" << std::hex << p.imageId
                   << std::dec << " key " << p.row << "/" << p.slot << (p.valid ? "" : " (no face)")
                   << ", expected key " << row << "/" << slot << " of the pressed face 0x" << std::hex << pressedFace();
    }
    if (!seen)
        return ::testing::AssertionFailure() << "the letter window lies off the screen";
    return ::testing::AssertionSuccess();
}

} // namespace testsupport
