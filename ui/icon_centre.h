// Where a minimised window draws its icon: centred in the client area, with
// signed division that truncates toward zero, so a client area narrower than
// the icon gives (0 - 32 + 1) / 2 = -15, not -16.
#pragma once

constexpr int CentredIconOffset(int clientExtent, int iconExtent) {
  return (clientExtent - iconExtent + 1) / 2;
}
