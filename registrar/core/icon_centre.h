// Where the minimised window draws its icon.
#pragma once

namespace halvern {

// Offset of an icon centred in a client extent: (client - icon + 1) / 2 in
// signed arithmetic, the division truncating toward zero.
constexpr int CentredIconOffset(int clientExtent, int iconExtent) { return (clientExtent - iconExtent + 1) / 2; }

}  // namespace halvern
