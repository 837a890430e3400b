// Where the minimised window draws its icon.
#pragma once

namespace halvern {

// Offset of an icon centred in a client extent: (client - icon + 1) / 2 in
// signed arithmetic, the division truncating toward zero.
constexpr int CentredIconOffset(int client_extent, int icon_extent) { return (client_extent - icon_extent + 1) / 2; }

}  // namespace halvern
