/* Says texts with one of flite's statistical voices (each trained on one
   real speaker's recordings, so its prosody is learnt, not made by rules)
   and writes, per text, the wave and its syllable labels in the layout
   festival_voice.py writes:
       flite_say awb|rms WORK_DIR < lines of "name<TAB>text"                */
#include <flite.h>
#include <stdio.h>
#include <string.h>

cst_voice *register_cmu_us_awb(const char *voxdir);
cst_voice *register_cmu_us_rms(const char *voxdir);

static const cst_item *first_vowel(const cst_item *syl)
{
    const cst_item *seg;
    for (seg = item_daughter(syl); seg; seg = item_next(seg))
        if (strcmp(ffeature_string(seg, "ph_vc"), "+") == 0) return seg;
    return item_daughter(syl);
}

static float start_of(const cst_item *seg)
{
    const cst_item *prev = item_prev(item_as(seg, "Segment"));
    return prev ? item_feat_float(prev, "end") : 0.0f;
}

static void dump(cst_utterance *utt, FILE *out)
{
    int wi = 0;
    const cst_item *word;
    for (word = relation_head(utt_relation(utt, "Word")); word; word = item_next(word)) {
        const cst_item *w = item_as(word, "SylStructure"), *syl;
        int count = 0, si = 0;
        if (!w) continue;
        for (syl = item_daughter(w); syl; syl = item_next(syl)) ++count;
        if (count == 0) continue;
        for (syl = item_daughter(w); syl; syl = item_next(syl), ++si) {
            const cst_item *vowel = first_vowel(syl), *last = item_last_daughter(syl);
            const char *accent = ffeature_string(syl, "accent");
            const char *end_tone = ffeature_string(syl, "endtone");
            char events[64];
            if (strcmp(accent, "0") == 0 || accent[0] == '\0') accent = NULL;
            if (strcmp(end_tone, "0") == 0 || end_tone[0] == '\0') end_tone = NULL;
            snprintf(events, sizeof events, "%s%s%s", accent ? accent : "",
                     accent && end_tone ? " " : "", end_tone ? end_tone : "");
            fprintf(out, "%d\t%s\t%d\t%d\t%s\t%s\t%.4f\t%.4f\t%s\t%.4f\t%.4f\n", wi,
                    item_feat_string(word, "name"), si, count, ffeature_string(syl, "stress"),
                    events[0] ? events : "-", start_of(item_daughter(syl)),
                    item_feat_float(last, "end"), item_feat_string(vowel, "name"),
                    start_of(vowel), item_feat_float(vowel, "end"));
        }
        ++wi;
    }
}

int main(int argc, char **argv)
{
    cst_voice *voice;
    char line[4096], path[8192];
    if (argc != 3) {
        fprintf(stderr, "usage: flite_say awb|rms WORK_DIR < name<TAB>text lines\n");
        return 2;
    }
    flite_init();
    voice = strcmp(argv[1], "awb") == 0   ? register_cmu_us_awb(NULL)
            : strcmp(argv[1], "rms") == 0 ? register_cmu_us_rms(NULL)
                                          : NULL;
    if (!voice) {
        fprintf(stderr, "flite_say: no voice %s\n", argv[1]);
        return 2;
    }
    while (fgets(line, sizeof line, stdin)) {
        char *tab = strchr(line, '\t'), *nl;
        cst_utterance *utt;
        FILE *out;
        if (!tab) continue;
        *tab = '\0';
        if ((nl = strchr(tab + 1, '\n'))) *nl = '\0';
        utt = flite_synth_text(tab + 1, voice);
        snprintf(path, sizeof path, "%s/%s.wav", argv[2], line);
        cst_wave_save_riff(utt_wave(utt), path);
        snprintf(path, sizeof path, "%s/%s.lab", argv[2], line);
        if (!(out = fopen(path, "w"))) {
            perror(path);
            return 1;
        }
        dump(utt, out);
        fclose(out);
        delete_utterance(utt);
    }
    return 0;
}
