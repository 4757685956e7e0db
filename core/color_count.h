// Counting the distinct colour values among the visible pixels of an image, up to a limit: what
// the used-colour-count command shows and what the icon writer checks against 256.
#pragma once

struct TImage;

// The number of distinct colour values among the visible pixels (mask bit set, or every pixel
// when there is no mask plane) when it is at most limit; limit + 1 as soon as one more colour
// appears (so limit 0 gives 1 for any visible pixel). No visible pixel gives 0. A limit above
// 256, or below 0, gives 0. A missing image (or pixel memory) gives 0 with EC_NULL_OBJECT; the
// last error is otherwise left alone.
int TImage_CountColors(const TImage* image, int limit);
