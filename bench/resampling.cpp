// How well a join resamples, next to sox's best ("rate -v"), measured on a
// 1 kHz sine at -6 dBFS taken to 48 kHz:
//   - THD+N of 24-bit 44.1 kHz (all that is not the sine, against the sine);
//   - the image of 22.05 kHz at 21.05 kHz;
//   - the largest spur of the 16-bit 44.1 kHz path (written back to 16 bits).
// velmora-cli joins the tone with half a second of silence at 48 kHz, so the
// tone is resampled into the join's common rate; its middle is measured.
//
// The image of a good resampler lies far below one step of 24 bits, where
// the output's plain rounding decides what lands on it: a 1 kHz tone repeats
// every 20 ms, so its rounding error sits on a 50 Hz comb that takes in 21.05
// kHz, at a level that changes by 20 dB with the tone's phase. The image is
// therefore the mean power over eight starting phases of the tone, the same
// eight for both.
//
//   velmora_resampling [--cli PATH]
//   velmora_resampling --measure FILE...   (THD+N, image and largest spur of
//       each file, a 1 kHz tone at 48 kHz made by any other means)
#include <cmath>
#include <complex>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/AudioCheck.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 48000;
constexpr double kTone = 1000.0;
constexpr size_t kLength = 65536;  // samples measured, from 1 s in

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::vector<double> middle(const std::string& path)
{
    const audiocheck::Pcm pcm = audiocheck::decode(path, kRate, 1);
    if (pcm.frames() < static_cast<int64_t>(kRate + kLength))
        return {};
    return std::vector<double>(pcm.samples.begin() + kRate, pcm.samples.begin() + kRate + kLength);
}

// All that is not the best-fitting 1 kHz sine (and offset), against the sine, in dB.
double thdPlusNoise(const std::vector<double>& x)
{
    double ss = 0, sc = 0, cc = 0, s1 = 0, c1 = 0, xs = 0, xc = 0, x1 = 0;
    const double n = static_cast<double>(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const double s = std::sin(2 * kPi * kTone * i / kRate), c = std::cos(2 * kPi * kTone * i / kRate);
        ss += s * s, sc += s * c, cc += c * c, s1 += s, c1 += c;
        xs += x[i] * s, xc += x[i] * c, x1 += x[i];
    }
    // The normal equations of x ~ a sin + b cos + d, by Cramer's rule.
    const double m[3][3] = {{ss, sc, s1}, {sc, cc, c1}, {s1, c1, n}}, v[3] = {xs, xc, x1};
    auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    double solved[3];
    for (int k = 0; k < 3; ++k) {
        double t[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                t[r][c] = c == k ? v[r] : m[r][c];
        solved[k] = det(t) / det(m);
    }
    double signal = 0, rest = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double fit = solved[0] * std::sin(2 * kPi * kTone * i / kRate) +
                           solved[1] * std::cos(2 * kPi * kTone * i / kRate) + solved[2];
        signal += fit * fit;
        rest += (x[i] - fit) * (x[i] - fit);
    }
    return 10 * std::log10(rest / signal);
}

// The magnitude spectrum under a 7-term Blackman-Harris window, whose side
// lobes stay below -180 dB: a 4-term window's (-92 dB near the tone, -172 dB
// at 21.05 kHz) would be measured instead of the resampler's own.
std::vector<double> spectrum(const std::vector<double>& x)
{
    static const double terms[] = {0.27105140069342, -0.43329793923448, 0.21812299954311, -0.06592544638803,
                                   0.01081174209837, -0.00077658482522, 0.00001388721735};
    const size_t n = x.size();
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / (n - 1);
        double w = 0;
        for (size_t k = 0; k < std::size(terms); ++k)
            w += terms[k] * std::cos(static_cast<double>(k) * t);
        a[i] = x[i] * w;
    }
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * kPi / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
    std::vector<double> magnitude(n / 2);
    for (size_t i = 0; i < n / 2; ++i)
        magnitude[i] = std::abs(a[i]);
    return magnitude;
}

size_t binOf(double hz) { return static_cast<size_t>(std::lround(hz * kLength / kRate)); }

// The strongest bin within 3 bins of `hz` (a windowed peak spreads), in dB against the tone.
double levelAt(const std::vector<double>& magnitude, double hz)
{
    auto peak = [&](size_t centre) {
        double best = 0;
        for (size_t b = centre - 3; b <= centre + 3; ++b)
            best = std::max(best, magnitude[b]);
        return best;
    };
    return 20 * std::log10(peak(binOf(hz)) / peak(binOf(kTone)));
}

// The strongest bin away from the tone and from DC, in dB against the tone.
double largestSpur(const std::vector<double>& magnitude)
{
    double spur = 0;
    for (size_t b = binOf(20.0); b < magnitude.size(); ++b) {
        if (b + 8 > binOf(kTone) && b < binOf(kTone) + 8)
            continue;
        spur = std::max(spur, magnitude[b]);
    }
    return 20 * std::log10(spur / magnitude[binOf(kTone)]);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QString cli = QCoreApplication::applicationDirPath() + "/velmora-cli";
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == "--cli")
        cli = arguments[2];
    if (arguments.size() > 2 && arguments[1] == "--measure") {
        for (const QString& file : arguments.mid(2)) {
            const std::vector<double> x = middle(file.toStdString());
            if (x.empty())
                continue;
            const std::vector<double> magnitude = spectrum(x);
            std::printf("%s: THD+N %.1f dBc, at 21.05 kHz %.1f dBc, largest spur %.1f dBc\n", file.toUtf8().constData(),
                        thdPlusNoise(x), levelAt(magnitude, 22050.0 - kTone), largestSpur(magnitude));
        }
        return 0;
    }
    QTemporaryDir work;
    const QString dir = work.path();
    const bool haveSox = run("sox", {"--version"});

    struct Case {
        const char* name;
        int rate;
        const char* codec;
        int bits;
    };
    const Case cases[] = {{"24-bit 44.1 kHz", 44100, "pcm_s24le", 24},
                          {"24-bit 22.05 kHz", 22050, "pcm_s24le", 24},
                          {"16-bit 44.1 kHz", 44100, "pcm_s16le", 16}};
    std::printf("| input, to 48 kHz | measure | velmora-cli | sox rate -v | difference |\n|---|---|---|---|---|\n");
    for (const Case& c : cases) {
        const bool image = c.rate == 22050 && c.bits == 24;
        const int phases = image ? 8 : 1;
        auto measure = [&](const std::vector<double>& x) -> double {
            if (c.bits == 16)
                return largestSpur(spectrum(x));
            return image ? levelAt(spectrum(x), 22050.0 - kTone) : thdPlusNoise(x);
        };
        // The image's power summed over the phases; the other measures from the one phase.
        double ours = 0, theirs = 0;
        for (int phase = 0; phase < phases; ++phase) {
            const QString name = QString("%1-%2-%3").arg(c.rate).arg(c.bits).arg(phase);
            const QString tone = dir + "/tone-" + name + ".wav";
            const QString silence = dir + QString("/silence-%1.wav").arg(c.bits);
            const QString joined = dir + "/joined-" + name + ".wav";
            const QString soxed = dir + "/sox-" + name + ".wav";
            const bool made =
                run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                               QString("aevalsrc=0.5*sin(2*PI*1000*t+%1):s=%2:d=4").arg(0.7 * phase).arg(c.rate),
                               "-c:a", c.codec, tone}) &&
                run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "anullsrc=r=48000:cl=mono", "-t", "0.5",
                               "-c:a", c.codec, silence}) &&
                run(cli, {"join", "--force", "-o", joined, tone, silence});
            if (!made) {
                std::fprintf(stderr, "could not make or join the %s tone\n", c.name);
                return 1;
            }
            if (haveSox)
                run("sox", {tone, "-b", QString::number(c.bits), soxed, "rate", "-v", "48000"});
            const std::vector<double> a = middle(joined.toStdString());
            const std::vector<double> b = haveSox ? middle(soxed.toStdString()) : std::vector<double>{};
            ours += a.empty() ? NAN : image ? std::pow(10.0, measure(a) / 10) : measure(a);
            theirs += b.empty() ? NAN : image ? std::pow(10.0, measure(b) / 10) : measure(b);
        }
        if (image) {
            ours = 10 * std::log10(ours / phases);
            theirs = 10 * std::log10(theirs / phases);
        }
        const char* what = c.bits == 16 ? "largest spur" : image ? "image at 21.05 kHz" : "THD+N";
        std::printf("| %s | %s | %.1f dBc | %.1f dBc | %+.1f dB |\n", c.name, what, ours, theirs, ours - theirs);
    }
    return 0;
}
