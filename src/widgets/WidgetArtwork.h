#pragma once
// The widgets' artwork, drawn by the program the first time it is needed and kept for the rest of
// the run: knob and arrows of the adjustable bar, the fader knob, the rotary knob faces, the dial
// face and the 41 needles of the needle meter, the check-box boxes and the round-button pictures.
//
// Every picture exists per device scale (1 at 96 DPI, 2 on a doubled screen) with the logical size
// that the widgets state; a picture at scale s is s times as large in device pixels. Pictures that
// are blitted with a key colour have hard outlines: each pixel is either exactly the key colour or
// fully opaque, so no edge blends towards the key colour. The needles and knob faces carry a real
// alpha channel instead. A needle is kept cut down to the pixels it covers, so the 41 of them
// cost about a megabyte rather than four.

#include <QImage>
#include <QPoint>

#include <cstdint>

namespace lctune::artwork {

/// Key colour of the round-button pictures.
constexpr uint32_t kRoundButtonKey = 0xFF00FFu;

enum class Arrow { LeftWhite, LeftGrey, RightWhite, RightGrey };
enum class CheckPicture {
    EmptyNormal,
    CheckedNormal,
    EmptyHover,
    CheckedHover,
    GreyChecked,
    DisabledEmpty,
    DisabledChecked,
    DisabledGreyChecked
};
enum class RoundButton { Unlit, Lit, Pressed };

const QImage& knobDown(int scale);               // 9 x 18, black key
const QImage& arrow(Arrow which, int scale);     // 10 x 11, black key
const QImage& faderKnob(int scale);              // 14 x 21, black key
const QImage& knobFace(bool hovered, int scale); // 43 x 46, alpha
const QImage& dialFace(int scale);               // 303 x 305, opaque
/// A picture cut out of a larger one: `image` stands at `offset` (logical pixels) in it.
struct Cutout {
    QImage image;
    QPoint offset;
};

const Cutout& needle(int index, int scale);                // in 185 x 145, alpha; index 0 ... 40
QImage drawNeedle(int index, int scale);                   // 185 x 145, alpha, uncut and not kept
const QImage& checkPicture(CheckPicture which, int scale); // 13 x 13, opaque
const QImage& roundButton(RoundButton which, int scale);   // 30 x 30, kRoundButtonKey
const QImage& roundButtonDisabled(int scale);              // 4 x 4, opaque

/// Where a needle turns, in the needle picture's logical pixels.
constexpr double kNeedlePivotX = 92.5;
constexpr double kNeedlePivotY = 132.0;

} // namespace lctune::artwork
