#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// MFCC features of speech, as forced alignment compares them: a window of
// windowSeconds every hopSeconds, a mel filter bank between lowHz and highHz,
// the first coefficients of the cosine transform of the log energies. Frame k
// covers [k * hop, k * hop + window) of the input, whatever its rate, so
// features of a 22 kHz synthesis and a 16 kHz recording compare directly.
struct FeatureParams {
    double windowSeconds = 0.100;
    double hopSeconds = 0.040;
    int filters = 40;
    int coefficients = 13;
    double lowHz = 100.0;
    double highHz = 6000.0; // what survives a low-rate lossy file
};

// A sequence of feature frames, row after row.
struct Features {
    int width = 0;
    std::vector<float> values;

    int frames() const { return width ? int(values.size() / std::size_t(width)) : 0; }
    const float *frame(int k) const { return values.data() + std::size_t(k) * std::size_t(width); }
};

// Takes samples as they come (an hour never in memory at once) and adds a
// frame whenever a window is full. The FFT is FFTW's; its plan is made once
// per extractor.
class FeatureExtractor
{
public:
    FeatureExtractor(int sampleRate, const FeatureParams &params = {});
    ~FeatureExtractor();
    FeatureExtractor(const FeatureExtractor &) = delete;
    FeatureExtractor &operator=(const FeatureExtractor &) = delete;

    void add(const float *samples, std::size_t count);
    // The frames so far; finish() adds the last, partly filled window.
    const Features &features() const { return m_features; }
    void finish();
    Features take();

private:
    struct Fft;
    void computeFrame();

    FeatureParams m_params;
    int m_window;
    int m_hop;
    std::vector<float> m_buffer;            // the samples of the window being filled
    std::vector<std::vector<float>> m_bank; // per filter, a weight per FFT bin
    std::vector<int> m_bankFirst;
    std::vector<float> m_hann;
    std::unique_ptr<Fft> m_fft;
    Features m_features;
};

// All frames of a whole signal.
Features extractFeatures(const float *samples, std::size_t count, int sampleRate,
                         const FeatureParams &params = {});

// Each coefficient shifted and scaled to mean 0 and variance 1 over the
// sequence, so a synthesized voice and a recording through another channel
// compare by the shape of their spectra, not their colour.
void normalizeFeatures(Features &features);

// Frames [from, to) of features.
Features sliced(const Features &features, int from, int to);
// Averages of factor frames each, for a coarse first pass.
Features coarsened(const Features &features, int factor);
