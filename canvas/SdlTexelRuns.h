// A picture's texels kept compactly while SDL holds only the copies being
// drawn: runs of equal texels (the transparent margin up to the texture's
// power-of-two size, flat faces and backgrounds) take two words each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

struct TexelRuns {
  // Header words, each followed by its texels: top bit set, a run of
  // (low 31 bits) copies of the one texel after it; clear, that many
  // texels as they are. Texels are the R G B A bytes read as one word.
  std::vector<std::uint32_t> words;
  std::size_t texels = 0;  // width × height
};

// rgba: R G B A bytes, its size a multiple of four.
TexelRuns PackTexels(std::span<const std::uint8_t> rgba);

// Writes the texels row by row into out (pitch bytes a row) as R G B A
// bytes. Rows of width texels; stops after width × height texels or at the
// end of the runs, whichever comes first.
void UnpackTexels(const TexelRuns& runs, int width, int height, void* out, int pitch);

// The same with every channel multiplied by the matching channel of argb:
// texel × colour div 255, the rule SDL's renderer applies to a
// colour-modulated texture.
void UnpackModulated(const TexelRuns& runs, int width, int height, std::uint32_t argb, void* out, int pitch);

}  // namespace velmora
