#pragma once
// Reads the 16-bit PCM WAV files that FluidSynth's file renderer writes, for tests that
// measure rendered sound.
#include <QFile>
#include <QString>
#include <QtEndian>
#include <cmath>
#include <vector>

struct WavData {
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> mono;  // channels averaged, -1..1

    double seconds() const { return sampleRate ? double(mono.size()) / sampleRate : 0.0; }

    double rms(double fromS = 0, double toS = 1e9) const {
        const size_t a = size_t(std::max(0.0, fromS) * sampleRate);
        const size_t b = std::min(mono.size(), size_t(std::max(0.0, toS) * sampleRate));
        if (b <= a) return 0.0;
        double sum = 0;
        for (size_t i = a; i < b; ++i) sum += double(mono[i]) * mono[i];
        return std::sqrt(sum / double(b - a));
    }

    double peak() const {
        double p = 0;
        for (float v : mono) p = std::max(p, double(std::fabs(v)));
        return p;
    }

    // Strength of one frequency over a stretch (Goertzel), normalised by its length.
    double power(double hz, double fromS, double toS) const {
        const size_t a = size_t(fromS * sampleRate);
        const size_t b = std::min(mono.size(), size_t(toS * sampleRate));
        const double w = 2.0 * M_PI * hz / sampleRate;
        const double c = 2.0 * std::cos(w);
        double s1 = 0, s2 = 0;
        for (size_t i = a; i < b; ++i) {
            const double s0 = mono[i] + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double n = double(b - a);
        return n > 0 ? (s1 * s1 + s2 * s2 - c * s1 * s2) / (n * n) : 0.0;
    }
};

inline bool readWav(const QString& path, WavData* out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = f.readAll();
    if (all.size() < 12 || !all.startsWith("RIFF") || all.mid(8, 4) != "WAVE") return false;
    int bits = 0;
    int pos = 12;
    while (pos + 8 <= all.size()) {
        const QByteArray id = all.mid(pos, 4);
        const quint32 size = qFromLittleEndian<quint32>(all.constData() + pos + 4);
        const char* body = all.constData() + pos + 8;
        if (id == "fmt " && size >= 16) {
            out->channels = qFromLittleEndian<quint16>(body + 2);
            out->sampleRate = int(qFromLittleEndian<quint32>(body + 4));
            bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data") {
            if (bits != 16 || out->channels <= 0) return false;
            const qint64 avail = qMin<qint64>(size, all.size() - pos - 8);
            const qint64 frames = avail / (2 * out->channels);
            out->mono.resize(size_t(frames));
            for (qint64 i = 0; i < frames; ++i) {
                double sum = 0;
                for (int ch = 0; ch < out->channels; ++ch)
                    sum += qFromLittleEndian<qint16>(body + 2 * (i * out->channels + ch)) / 32768.0;
                out->mono[size_t(i)] = float(sum / out->channels);
            }
            return true;
        }
        pos += 8 + int(size) + int(size & 1);
    }
    return false;
}
