#include "align/features.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace {

double hzToMel(double hz)
{
    return 2595.0 * std::log10(1.0 + hz / 700.0);
}
double melToHz(double mel)
{
    return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0);
}

// FFTW's planner is not thread-safe; its execute is.
std::mutex &plannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

struct FeatureExtractor::Fft {
    int size;
    float *in;
    fftwf_complex *out;
    fftwf_plan plan;

    explicit Fft(int n) : size(n)
    {
        in = fftwf_alloc_real(std::size_t(n));
        out = fftwf_alloc_complex(std::size_t(n / 2 + 1));
        const std::lock_guard lock(plannerMutex());
        plan = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    }
    ~Fft()
    {
        {
            const std::lock_guard lock(plannerMutex());
            fftwf_destroy_plan(plan);
        }
        fftwf_free(in);
        fftwf_free(out);
    }
};

FeatureExtractor::FeatureExtractor(int sampleRate, const FeatureParams &params)
    : m_params(params), m_window(std::max(2, int(std::lround(params.windowSeconds * sampleRate)))),
      m_hop(std::max(1, int(std::lround(params.hopSeconds * sampleRate))))
{
    int size = 2;
    while (size < m_window)
        size *= 2;
    m_fft = std::make_unique<Fft>(size);
    m_hann.resize(std::size_t(m_window));
    for (int i = 0; i < m_window; ++i)
        m_hann[std::size_t(i)] =
            float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (m_window - 1)));

    // Triangular filters evenly spaced in mel.
    const int bins = size / 2 + 1;
    const double high = std::min(params.highHz, sampleRate / 2.0);
    const double lowMel = hzToMel(params.lowHz);
    const double highMel = hzToMel(high);
    std::vector<double> edges(std::size_t(params.filters) + 2);
    for (std::size_t k = 0; k < edges.size(); ++k)
        edges[k] = melToHz(lowMel + (highMel - lowMel) * double(k) / double(params.filters + 1));
    m_bank.resize(std::size_t(params.filters));
    m_bankFirst.resize(std::size_t(params.filters));
    for (int f = 0; f < params.filters; ++f) {
        const double left = edges[std::size_t(f)];
        const double centre = edges[std::size_t(f) + 1];
        const double right = edges[std::size_t(f) + 2];
        const int first = std::max(0, int(std::ceil(left * size / sampleRate)));
        const int last = std::min(bins - 1, int(std::floor(right * size / sampleRate)));
        m_bankFirst[std::size_t(f)] = first;
        for (int b = first; b <= last; ++b) {
            const double hz = double(b) * sampleRate / size;
            const double w =
                hz <= centre ? (hz - left) / (centre - left) : (right - hz) / (right - centre);
            m_bank[std::size_t(f)].push_back(float(std::max(0.0, w)));
        }
    }
    m_features.width = params.coefficients;
    m_buffer.reserve(std::size_t(m_window));
}

FeatureExtractor::~FeatureExtractor() = default;

void FeatureExtractor::add(const float *samples, std::size_t count)
{
    while (count > 0) {
        const std::size_t room = std::size_t(m_window) - m_buffer.size();
        const std::size_t take = std::min(room, count);
        m_buffer.insert(m_buffer.end(), samples, samples + take);
        samples += take;
        count -= take;
        if (m_buffer.size() == std::size_t(m_window)) {
            computeFrame();
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + std::min(m_hop, m_window));
        }
    }
}

void FeatureExtractor::finish()
{
    // The last window, padded with silence, when it holds at least a hop of
    // samples the frames before did not start on.
    if (int(m_buffer.size()) > m_window - m_hop) {
        m_buffer.resize(std::size_t(m_window), 0.0f);
        computeFrame();
    }
    m_buffer.clear();
}

Features FeatureExtractor::take()
{
    finish();
    Features out = std::move(m_features);
    m_features = {};
    m_features.width = m_params.coefficients;
    return out;
}

void FeatureExtractor::computeFrame()
{
    Fft &fft = *m_fft;
    for (int i = 0; i < m_window; ++i)
        fft.in[i] = m_buffer[std::size_t(i)] * m_hann[std::size_t(i)];
    std::fill(fft.in + m_window, fft.in + fft.size, 0.0f);
    fftwf_execute(fft.plan);

    const int filters = m_params.filters;
    std::vector<double> logEnergy(static_cast<std::size_t>(filters));
    for (int f = 0; f < filters; ++f) {
        double sum = 0.0;
        const std::vector<float> &weights = m_bank[std::size_t(f)];
        const int first = m_bankFirst[std::size_t(f)];
        for (std::size_t k = 0; k < weights.size(); ++k) {
            const fftwf_complex &c = fft.out[std::size_t(first) + k];
            sum += weights[k] * (double(c[0]) * c[0] + double(c[1]) * c[1]);
        }
        // A floor, so digital silence has a finite log.
        logEnergy[std::size_t(f)] = std::log(sum + 1e-10);
    }
    for (int c = 0; c < m_params.coefficients; ++c) {
        double sum = 0.0;
        for (int f = 0; f < filters; ++f)
            sum += logEnergy[std::size_t(f)] * std::cos(std::numbers::pi * c * (f + 0.5) / filters);
        m_features.values.push_back(float(sum));
    }
}

Features extractFeatures(const float *samples, std::size_t count, int sampleRate,
                         const FeatureParams &params)
{
    FeatureExtractor extractor(sampleRate, params);
    extractor.add(samples, count);
    return extractor.take();
}

void normalizeFeatures(Features &features)
{

    const int n = features.frames();
    const int w = features.width;
    if (n == 0)
        return;
    for (int c = 0; c < w; ++c) {
        double sum = 0.0;
        double squares = 0.0;
        for (int k = 0; k < n; ++k) {
            const double v = features.values[std::size_t(k) * std::size_t(w) + std::size_t(c)];
            sum += v;
            squares += v * v;
        }
        const double mean = sum / n;
        const double variance = std::max(1e-9, squares / n - mean * mean);
        const double scale = 1.0 / std::sqrt(variance);
        for (int k = 0; k < n; ++k) {
            float &v = features.values[std::size_t(k) * std::size_t(w) + std::size_t(c)];
            v = float((v - mean) * scale);
        }
    }
}

Features sliced(const Features &features, int from, int to)
{
    Features out;
    out.width = features.width;
    out.values.assign(features.values.begin() + std::ptrdiff_t(from) * features.width,
                      features.values.begin() + std::ptrdiff_t(to) * features.width);
    return out;
}

Features coarsened(const Features &features, int factor)
{
    Features out;
    out.width = features.width;
    const int n = features.frames();
    const int w = features.width;
    for (int k = 0; k < n; k += factor) {
        const int last = std::min(n, k + factor);
        for (int c = 0; c < w; ++c) {
            double sum = 0.0;
            for (int j = k; j < last; ++j)
                sum += features.frame(j)[c];
            out.values.push_back(float(sum / (last - k)));
        }
    }
    return out;
}
