// Band-limited resampling of one channel by a windowed sinc: every output
// sample is the input weighed by a low-pass kernel centred on its own
// instant, so that nothing above the lower rate's band edge folds back into
// the sound. The kernel keeps 95% of the lower rate's band flat and stops
// everything from its edge on, by 90 dB or more, as a good resampler of an
// audio tool does. Pure: samples in, samples out.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kv {

// The output length for `frames` input samples: the same duration, rounded
// to the nearest output sample.
std::size_t ResampledLength(std::size_t frames, std::uint32_t from_rate, std::uint32_t to_rate);

// `input` at `from_rate` samples per second as ResampledLength samples at
// `to_rate`; the first output sample is at the instant of the first input
// sample, and the signal is taken as silent outside the input. Equal rates
// give the input back.
std::vector<float> Resample(std::span<const float> input, std::uint32_t from_rate, std::uint32_t to_rate);

} // namespace kv
