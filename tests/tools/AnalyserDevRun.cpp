// Development driver for the analyser's algorithms: runs the pitch tracker
// and the step finder on sound files read with libsndfile and writes what
// they found as text, so a scoring script can compare it with labelled data
// without going through the phrase file rewrite.
//
//   tvm-devrun OUT_DIR FILE... [--set Name=Value ...]
//
// For each FILE it writes OUT_DIR/<stem>.f0 ("time_s f0_hz" per frame),
// OUT_DIR/<stem>.steps (phrase bounds, then "start end pitchStart pitchEnd
// height" per step, in samples) and OUT_DIR/<stem>.feat (the prominence
// model's cues of each step, one line per step), which the model's
// training reads.
#include "analyser/PitchTracker.h"
#include "analyser/StepFinder.h"

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

bool ReadMono(const char* path, std::vector<float>& samples, int& rate)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr) return false;
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    samples.assign(info.frames, 0.0f);
    for (sf_count_t i = 0; i < info.frames; ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += interleaved[i * info.channels + c];
        samples[i] = sum / info.channels;
    }
    rate = info.samplerate;
    return true;
}

std::string Stem(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tvm-devrun OUT_DIR FILE... [--set Name=Value ...]\n");
        return 2;
    }
    PitchSettings pitch;
    std::map<std::string, float*> pitchFields = {
        {"WindowSeconds", &pitch.WindowSeconds},
        {"CandidateFloor", &pitch.CandidateFloor},
        {"LagWeight", &pitch.LagWeight},
        {"VoicingBias", &pitch.VoicingBias},
        {"FrequencyWeight", &pitch.FrequencyWeight},
        {"OctaveJumpCost", &pitch.OctaveJumpCost},
        {"VoicingChangeCost", &pitch.VoicingChangeCost},
        {"LevelChangeWeight", &pitch.LevelChangeWeight},
        {"QuietStartDb", &pitch.QuietStartDb},
        {"QuietSlope", &pitch.QuietSlope},
        {"RangeOctaves", &pitch.RangeOctaves},
        {"RangeWeight", &pitch.RangeWeight},
        {"EdgeCorrelation", &pitch.EdgeCorrelation},
        {"NoiseAllowance", &pitch.NoiseAllowance},
        {"NoisySnrDb", &pitch.NoisySnrDb},
        {"PeriodicBackground", &pitch.PeriodicBackground},
        {"RefineWindowSeconds", &pitch.RefineWindowSeconds},
        {"FlatteningGamma", &pitch.FlatteningGamma},
        {"SmoothingPerHz", &pitch.SmoothingPerHz},
        {"ReverberantSeconds", &pitch.ReverberantSeconds},
        {"TailDelaySeconds", &pitch.TailDelaySeconds},
        {"TailExcessDb", &pitch.TailExcessDb},
        {"TailWeight", &pitch.TailWeight},
        {"EchoFloorDb", &pitch.EchoFloorDb},
        {"EchoScale", &pitch.EchoScale},
    };
    StepSettings steps;
    std::map<std::string, float*> stepFields = {
        {"FloorDb", &steps.FloorDb},
        {"MinDipDb", &steps.MinDipDb},
        {"VowelBalanceDb", &steps.VowelBalanceDb},
        {"PauseSeconds", &steps.PauseSeconds},
        {"LoudnessWeight", &steps.LoudnessWeight},
        {"LengthWeight", &steps.LengthWeight},
        {"PitchWeight", &steps.PitchWeight},
        {"TiltWeight", &steps.TiltWeight},
    };
    pitchFields.insert(stepFields.begin(), stepFields.end());
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
            std::string setting = argv[++i];
            const size_t eq = setting.find('=');
            auto field = pitchFields.find(setting.substr(0, eq));
            if (eq == std::string::npos || field == pitchFields.end()) {
                std::fprintf(stderr, "unknown setting %s\n", setting.c_str());
                return 2;
            }
            *field->second = std::strtof(setting.c_str() + eq + 1, nullptr);
        } else {
            files.push_back(argv[i]);
        }
    }
    double seconds = 0, audio = 0;
    for (const std::string& path : files) {
        std::vector<float> samples;
        int rate = 0;
        if (!ReadMono(path.c_str(), samples, rate)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            continue;
        }
        const std::clock_t start = std::clock();
        const PreparedSignal signal = PrepareSignal(samples, rate);
        if (signal.HumRemoved) std::fprintf(stderr, "hum removed: %s\n", path.c_str());
        const std::vector<PitchFrame> frames = TrackPitch(signal, pitch);
        std::vector<SyllableMeasures> measures;
        const PhraseSteps found = FindSteps(signal, frames, steps, &measures);
        seconds += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        audio += static_cast<double>(samples.size()) / rate;
        const std::string out = std::string(argv[1]) + "/" + Stem(path);
        if (FILE* f0 = std::fopen((out + ".f0").c_str(), "w")) {
            for (const PitchFrame& frame : frames)
                std::fprintf(f0, "%.6f %.3f %.3f %.2f\n",
                             static_cast<double>(frame.Position) / rate, frame.Frequency,
                             frame.Periodicity, frame.LevelDb);
            std::fclose(f0);
        }
        if (FILE* table = std::fopen((out + ".steps").c_str(), "w")) {
            std::fprintf(table, "%d %d\n", found.PhraseStart, found.PhraseEnd);
            for (const StepRecord& step : found.Steps)
                std::fprintf(table, "%d %d %d %d %d %d %d\n", step.Start,
                             step.Start + step.Length - 1, step.PitchStart, step.PitchEnd,
                             step.Height, step.Reserved1, step.Reserved2);
            std::fclose(table);
        }
        if (FILE* table = std::fopen((out + ".feat").c_str(), "w")) {
            for (const ProminenceFeatures& f : DescribeSyllables(measures)) {
                for (float value : f)
                    std::fprintf(table, "%.5g ", value);
                std::fprintf(table, "\n");
            }
            std::fclose(table);
        }
    }
    std::fprintf(stderr, "analysis CPU %.5f s per s of audio (%.1f s audio)\n",
                 audio > 0 ? seconds / audio : 0.0, audio);
    return 0;
}
