#pragma once
// The mel filter bank a whisper model file carries and a Hugging Face
// checkpoint does not: librosa's filters.mel(sr=16000, n_fft=400, n_mels)
// with the Slaney mel scale and Slaney normalisation, as the library's
// reference conversion writes it. Computed in double, kept as float.

#include <vector>

#include "engine/model_layout.h"  // kMelFftBins: n_fft / 2 + 1, bin k at 40 * k Hz

// nMels rows of kMelFftBins weights, row after row (80 or 128 mels in
// published models; any positive count works).
std::vector<float> melFilters(int nMels);
