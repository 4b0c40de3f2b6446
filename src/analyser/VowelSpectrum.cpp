#include "analyser/VowelSpectrum.h"

#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int Bands = 20;

double Mel(double hz)
{
    return 2595 * std::log10(1 + hz / 700);
}

double Hz(double mel)
{
    return 700 * (std::pow(10.0, mel / 2595) - 1);
}

} // namespace

std::vector<VowelCepstrum> VowelCepstra(const std::vector<float>& samples, int rate,
                                        const std::vector<int32_t>& positions)
{
    std::vector<VowelCepstrum> result(positions.size(), VowelCepstrum{});
    if (positions.empty() || rate <= 0) return result;
    int size = 64;
    while (size < 0.02 * rate)
        size *= 2;
    const int bins = size / 2 + 1;
    // Triangular bands evenly spaced in mel from 100 Hz to 7 kHz (or just
    // under half the rate): the vowel formants and the fricative band.
    const double top = std::min(7000.0, 0.45 * rate);
    std::vector<double> edges(Bands + 2);
    for (int b = 0; b < Bands + 2; ++b)
        edges[b] = Hz(Mel(100) + (Mel(top) - Mel(100)) * b / (Bands + 1));
    // Each band's weights over the bins it covers, computed once.
    std::vector<int> firstBin(Bands);
    std::vector<std::vector<float>> weights(Bands);
    for (int b = 0; b < Bands; ++b) {
        firstBin[b] = static_cast<int>(std::ceil(edges[b] * size / rate));
        for (int k = firstBin[b]; k < bins && k * static_cast<double>(rate) / size < edges[b + 2];
             ++k) {
            const double hz = static_cast<double>(k) * rate / size;
            const double rising = (hz - edges[b]) / (edges[b + 1] - edges[b]);
            const double falling = (edges[b + 2] - hz) / (edges[b + 2] - edges[b + 1]);
            weights[b].push_back(static_cast<float>(std::max(0.0, std::min(rising, falling))));
        }
    }
    std::vector<float> window(size), re(size), im(size), cosines, sines;
    FourierTwiddles(size, cosines, sines);
    for (int i = 0; i < size; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
    const long count = static_cast<long>(samples.size());
    std::array<double, Bands> logEnergy{};
    for (size_t p = 0; p < positions.size(); ++p) {
        const long start = positions[p] - size / 2;
        for (int i = 0; i < size; ++i) {
            const long n = start + i;
            re[i] = n >= 0 && n < count ? samples[n] * window[i] : 0.0f;
            im[i] = 0;
        }
        FourierTransform(re, im, cosines, sines);
        for (int b = 0; b < Bands; ++b) {
            double energy = 0;
            for (size_t j = 0; j < weights[b].size(); ++j) {
                const size_t k = firstBin[b] + j;
                energy += weights[b][j] * (re[k] * re[k] + im[k] * im[k]);
            }
            logEnergy[b] = std::log(energy + 1e-10);
        }
        // An orthonormal DCT-II of the band log energies.
        for (int c = 1; c <= VowelCepstrumSize; ++c) {
            double sum = 0;
            for (int b = 0; b < Bands; ++b)
                sum += logEnergy[b] * std::cos(std::numbers::pi * c * (b + 0.5) / Bands);
            result[p][c - 1] = static_cast<float>(sum * std::sqrt(2.0 / Bands));
        }
    }
    return result;
}
