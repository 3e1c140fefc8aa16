// Whether the coloured probe measures what a real texture gets: the default
// tunnel drawn with a natural texture, as is and one level at a time, and
// the blend solved per pixel against the probe's. On the active unit with the
// test texture bound, whose filters the draws take; every state restored.
#pragma once

#include "measure/lod_probe.h"
#include "measure/natural_texture.h"

NaturalAgreement MeasureNaturalAgreement(const TextureShape& shape, const Scene& tunnel,
                                         const MeasuredLodMap& probe);
