// How thick a line the program's own controls draw is at a scaling: whole pixels, so that hand-drawn
// faces stay sharp; 1 up to 125 %, 2 from 150 % to 225 %, and so on (96 dpi to the unit, rounded).
#pragma once

namespace tf {

constexpr int LineUnit(int dpi) { return dpi + 48 >= 192 ? (dpi + 48) / 96 : 1; }

}  // namespace tf
