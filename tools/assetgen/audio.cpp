// The two sound effects, synthesised: a shotgun shot and the clack of a reload.
// 16-bit mono PCM at 22050 Hz, normalised below full scale so nothing clips.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "assets.h"
#include "draw.h"
#include "rng.h"

namespace {

constexpr int RATE = 22050;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void WriteWav(const std::string& path, std::vector<double> samples, double peak) {
    double top = 0;
    for (double s : samples) top = std::max(top, std::abs(s));
    double gain = top > 0 ? peak / top : 0;
    // A short fade at both ends so the sound starts and stops without a click.
    size_t fade = RATE / 400;
    for (size_t i = 0; i < fade && i < samples.size(); ++i) {
        double f = double(i) / fade;
        samples[i] *= f;
        samples[samples.size() - 1 - i] *= f;
    }
    std::vector<uint8_t> out;
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, RATE);
    Put32(out, RATE * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (double s : samples) {
        long v = std::lround(s * gain * 32767.0);
        Put16(out, uint32_t(uint16_t(int16_t(std::clamp(v, -32767l, 32767l)))));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    size_t written = std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
    if (written != out.size()) throw std::runtime_error("short write to " + path);
}

// A one-pole low-pass filter, enough to colour noise.
struct LowPass {
    double state = 0, k;
    explicit LowPass(double cutoff) : k(1.0 - std::exp(-2.0 * PI * cutoff / RATE)) {}
    double operator()(double x) { return state += k * (x - state); }
};

// A metallic click: a burst of noise through a bright filter and a few inharmonic
// ringing partials, as when steel parts snap together.
void AddClack(std::vector<double>& out, Rng& rng, double start, double pitch, double level) {
    LowPass body(2400 * pitch), air(600 * pitch);
    size_t s0 = size_t(start * RATE);
    const double partials[] = {1.0, 1.48, 2.11, 2.87};
    for (size_t i = 0; s0 + i < out.size() && i < size_t(0.09 * RATE); ++i) {
        double t = double(i) / RATE;
        double n = rng.Range(-1, 1);
        double bright = n - air(n);
        double click = body(bright) * std::exp(-t / 0.008) * 1.6;
        double ring = 0;
        for (int p = 0; p < 4; ++p) {
            ring +=
                std::sin(2 * PI * 1650 * pitch * partials[p] * t) * std::exp(-t / (0.02 / (p + 1)));
        }
        double thud = std::sin(2 * PI * 180 * pitch * t) * std::exp(-t / 0.015);
        out[s0 + i] += level * (click + 0.25 * ring + 0.5 * thud);
    }
}

}  // namespace

void WriteShotSound(const std::string& path) {
    Rng rng(12);
    std::vector<double> s(size_t(0.6 * RATE), 0.0);
    LowPass crack(5000), boom(420), tail(900);
    for (size_t i = 0; i < s.size(); ++i) {
        double t = double(i) / RATE;
        double n = rng.Range(-1, 1);
        double attack = std::min(1.0, t / 0.0015);
        double v = crack(n) * std::exp(-t / 0.012) * 1.2;
        v += boom(n) * std::exp(-t / 0.11) * 3.2;
        v += std::sin(2 * PI * (70 - 30 * std::min(1.0, t / 0.1)) * t) * std::exp(-t / 0.07) * 0.6;
        v += tail(n) * std::exp(-t / 0.22) * 0.6;  // the echo off the hills
        s[i] = v * attack;
    }
    WriteWav(path, s, 0.84);
}

void WriteReloadSound(const std::string& path) {
    Rng rng(34);
    std::vector<double> s(size_t(0.45 * RATE), 0.0);
    // Pump back, then forward: two clacks, the second heavier.
    AddClack(s, rng, 0.01, 1.15, 0.8);
    AddClack(s, rng, 0.05, 1.6, 0.3);
    AddClack(s, rng, 0.22, 0.9, 1.0);
    AddClack(s, rng, 0.245, 1.3, 0.45);
    WriteWav(path, s, 0.78);
}
